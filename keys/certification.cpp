#include "keys/certification.h"

#include "base/byte_stream.h"
#include "base/record.h"
#include "crypto/key_records.h"
#include "crypto/random_generator.h"
#include "crypto/rsa_signature.h"
#include "crypto/sha256.h"

namespace qs {
namespace {

// The blob of a "PrivateCertKey" record loaded as a signing key, invalid on any failure;
// keyId and the organisation's field bytes go into the certification as they are.
RsaKey LoadCertificationKey(const ByteBuffer& privateCertKeyRecord, RandomGenerator& generator,
                            CertificationRecord& certification) {
  ByteStream in(privateCertKeyRecord);
  if (!ReadRecordHeader(in, tag::kPrivateCertKey)) return {};
  const std::optional<std::uint32_t> bits = KeyTypeBits(in.readU16());
  certification.keyId = in.readField();
  certification.organisation = in.readField();
  const ByteBuffer blob = in.readField();
  if (!bits) return {};
  return LoadRsaKey(*bits, blob, true, KeyUsage::kSigning, &generator);
}

}  // namespace

ByteBuffer BuildCertification(const CertificationRecord& certification) {
  ByteBuffer record;
  AppendRecordHeader(record, tag::kCertification);
  record.appendField(certification.keyId);
  record.appendField(certification.organisation);
  record.appendField(certification.dataFields);
  record.appendField(certification.signature);
  record.appendField(certification.keyFingerprint);
  return record;
}

std::optional<CertificationRecord> ReadCertification(const ByteBuffer& record) {
  ByteStream in(record);
  if (!ReadRecordHeader(in, tag::kCertification)) return std::nullopt;
  std::optional<ByteBuffer> keyId = in.readCompleteField();
  std::optional<ByteBuffer> organisation = in.readCompleteField();
  std::optional<ByteBuffer> dataFields = in.readCompleteField();
  std::optional<ByteBuffer> signature = in.readCompleteField();
  std::optional<ByteBuffer> keyFingerprint = in.readCompleteField();
  if (!keyId || !organisation || !dataFields || !signature || !keyFingerprint || in.remaining() != 0 ||
      !DecodeDataFields(*dataFields)) {
    return std::nullopt;
  }
  return CertificationRecord{std::move(*keyId), std::move(*organisation), std::move(*dataFields),
                             std::move(*signature), std::move(*keyFingerprint)};
}

std::optional<CertificationHeader> ReadCertificationHeader(const ByteBuffer& record) {
  const std::optional<CertificationRecord> certification = ReadCertification(record);
  if (!certification) return std::nullopt;
  return CertificationHeader{certification->keyId, WideText::fromRecordBytes(certification->organisation)};
}

ByteBuffer CertificationDigest(const ByteBuffer& publicKeyRecord, const ByteBuffer& dataFields) {
  Sha256Context context;
  context.update(publicKeyRecord.span());
  context.update(dataFields.span());
  ByteBuffer digest;
  context.digest(digest);
  return digest;
}

std::optional<ByteBuffer> Certify(RandomGenerator& generator, const std::vector<DataField>& fields,
                                  const ByteBuffer& privateCertKeyRecord, const ByteBuffer& publicKeyRecord,
                                  std::uint32_t timestamp) {
  if (generator.credit() < RandomGenerator::kRequiredCredit) return std::nullopt;
  if (!ReadExactKeyRecord(publicKeyRecord, tag::kPublicKey) || fields.empty()) return std::nullopt;
  const std::optional<ByteBuffer> dataFields = EncodeDataFields(fields, timestamp);
  if (!dataFields) return std::nullopt;

  CertificationRecord certification;
  const RsaKey key = LoadCertificationKey(privateCertKeyRecord, generator, certification);
  certification.signature = Sign(key, CertificationDigest(publicKeyRecord, *dataFields));
  if (certification.signature.empty()) return std::nullopt;
  certification.dataFields = *dataFields;
  certification.keyFingerprint = Sha256(publicKeyRecord.span());
  return BuildCertification(certification);
}

}  // namespace qs
