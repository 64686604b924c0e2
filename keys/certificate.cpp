#include "keys/certificate.h"

#include "base/byte_stream.h"
#include "base/record.h"
#include "crypto/key_records.h"
#include "crypto/rsa_key.h"
#include "crypto/rsa_signature.h"
#include "crypto/sha256.h"
#include "keys/certification.h"

namespace qs {

std::optional<ByteBuffer> CreateCertificate(const ByteBuffer& publicKeyRecord,
                                            const std::vector<ByteBuffer>& certifications) {
  if (!ReadExactKeyRecord(publicKeyRecord, tag::kPublicKey) || certifications.size() > 0xFFFF)
    return std::nullopt;
  const ByteBuffer fingerprint = Sha256(publicKeyRecord.span());

  ByteBuffer certificate;
  AppendRecordHeader(certificate, tag::kCertificate);
  certificate.appendField(publicKeyRecord);
  certificate.appendU16(static_cast<std::uint16_t>(certifications.size()));
  for (const ByteBuffer& entry : certifications) {
    const std::optional<CertificationRecord> certification = ReadCertification(entry);
    if (!certification || !certification->keyFingerprint.equals(fingerprint)) return std::nullopt;
    certificate.appendField(certification->keyId);
    certificate.appendField(certification->organisation);
    certificate.appendField(certification->dataFields);
    certificate.appendField(certification->signature);
  }
  return certificate;
}

namespace {

// The certified "PublicKey" record, exactly: the certifications sign it followed directly by
// their data fields, so a record with bytes after its blobs could have taken them from there.
std::optional<ByteBuffer> ReadCertifiedKey(ByteStream& in) {
  if (!ReadRecordHeader(in, tag::kCertificate)) return std::nullopt;
  std::optional<ByteBuffer> key = in.readCompleteField();
  if (!key || !ReadExactKeyRecord(*key, tag::kPublicKey)) return std::nullopt;
  return key;
}

// Checks one certification of a trusted authority; false when the key type is bad or the
// signature does not cover this key and these data fields.
bool VerifyCertification(const TrustedKey& authority, const ByteBuffer& publicKeyRecord,
                         const ByteBuffer& dataFields, const ByteBuffer& signature) {
  const std::optional<std::uint32_t> bits = KeyTypeBits(authority.keyType);
  if (!bits) return false;
  const RsaKey key = LoadRsaKey(*bits, authority.publicBlob, false, KeyUsage::kSigning, nullptr);
  return Verify(key, CertificationDigest(publicKeyRecord, dataFields), signature);
}

// The first of the trusted keys with the certification's Key-ID that verifies it; none when
// no key does.
const TrustedKey* FirstSigner(const std::vector<TrustedKey>& authorities, const ByteBuffer& publicKeyRecord,
                              const CertificateEntry& entry) {
  for (const TrustedKey& authority : authorities) {
    if (VerifyCertification(authority, publicKeyRecord, entry.dataFields, entry.signature)) return &authority;
  }
  return nullptr;
}

}  // namespace

std::optional<ByteBuffer> ExtractCertificateKey(const ByteBuffer& certificate) {
  ByteStream in(certificate);
  return ReadCertifiedKey(in);
}

std::optional<std::vector<TrustedKey>> FindTrustedKeys(const ByteBuffer& keyId,
                                                       const std::vector<ByteBuffer>& trusted) {
  std::vector<TrustedKey> found;
  for (const ByteBuffer& entry : trusted) {
    ByteStream in(entry);
    if (!ReadRecordHeader(in, tag::kPublicCertKey)) return std::nullopt;
    TrustedKey key;
    key.keyType = in.readU16();
    const ByteBuffer entryKeyId = in.readField();
    key.organisation = WideText::fromRecordBytes(in.readField());
    key.publicBlob = in.readField();
    if (entryKeyId.equals(keyId)) found.push_back(std::move(key));
  }
  return found;
}

std::optional<CertificateRecord> ReadCertificate(const ByteBuffer& certificate) {
  ByteStream in(certificate);
  std::optional<ByteBuffer> publicKeyRecord = ReadCertifiedKey(in);
  if (!publicKeyRecord) return std::nullopt;
  CertificateRecord record{std::move(*publicKeyRecord), {}};
  const std::uint16_t count = in.readU16();
  for (std::uint16_t i = 0; i < count; ++i) {
    // A certificate cut short is damaged, not a list of empty certifications to show.
    std::optional<ByteBuffer> keyId = in.readCompleteField();
    std::optional<ByteBuffer> organisation = in.readCompleteField();
    std::optional<ByteBuffer> dataFields = in.readCompleteField();
    std::optional<ByteBuffer> signature = in.readCompleteField();
    if (!keyId || !organisation || !dataFields || !signature) return std::nullopt;
    std::optional<DecodedDataFields> decoded = DecodeDataFields(*dataFields);
    if (!decoded) return std::nullopt;
    record.certifications.push_back({std::move(*keyId), std::move(*organisation), std::move(*dataFields),
                                     std::move(*decoded), std::move(*signature)});
  }
  // Whatever follows the last certification is covered by nothing and made by no writer.
  if (in.remaining() != 0) return std::nullopt;
  return record;
}

std::optional<CertificationResults> VerifyCertificate(const ByteBuffer& certificate,
                                                      const std::vector<ByteBuffer>& trusted) {
  std::optional<CertificateRecord> record = ReadCertificate(certificate);
  if (!record) return std::nullopt;

  CertificationResults results;
  for (CertificateEntry& entry : record->certifications) {
    CertificationResult result;
    result.keyId = std::move(entry.keyId);
    result.organisation = WideText::fromRecordBytes(entry.organisation);

    const std::optional<std::vector<TrustedKey>> authorities = FindTrustedKeys(result.keyId, trusted);
    if (!authorities) return std::nullopt;
    if (!authorities->empty()) {
      const TrustedKey* signer = FirstSigner(*authorities, record->publicKeyRecord, entry);
      if (signer == nullptr) return std::nullopt;
      result.organisation = signer->organisation;
      result.status = CertificationStatus::kVerified;
      result.timestamp = entry.decoded.timestamp;
      result.fields = std::move(entry.decoded.fields);
    }
    results.push_back(std::move(result));
  }
  return results;
}

}  // namespace qs
