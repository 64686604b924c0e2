#include "keys/cert_keys.h"

#include "base/byte_stream.h"
#include "base/record.h"
#include "crypto/random_generator.h"
#include "crypto/rsa_keygen.h"
#include "keys/key_files.h"
#include "keys/record_text.h"
#include "keys/safe_file_name.h"

namespace qs {

ByteBuffer BuildCertKeyRecord(const char* tag, const CertKeyHeader& header, const ByteBuffer& keyBlob) {
  ByteBuffer record;
  AppendRecordHeader(record, tag);
  record.appendU16(header.keyType);
  record.appendField(header.keyId);
  record.appendField(header.organisation.toRecordBytes());
  record.appendField(keyBlob);
  return record;
}

std::optional<CertKeyHeader> ReadCertKeyHeader(const ByteBuffer& record) {
  ByteStream in(record);
  const ByteBuffer tagField = in.readField();
  const bool known = tagField.equals(ByteBuffer::fromText(tag::kPublicCertKey)) ||
                     tagField.equals(ByteBuffer::fromText(tag::kPrivateCertKey));
  if (!known || in.readU16() != kRecordVersion) return std::nullopt;
  CertKeyHeader header;
  header.keyType = in.readU16();
  header.keyId = in.readField();
  header.organisation = WideText::fromRecordBytes(in.readField());
  return header;
}

std::optional<CertKeyPairRecords> CreateCertificationKeyPair(RandomGenerator& generator,
                                                             const WideText& organisation, KeyType keyType,
                                                             ProgressHook* hook) {
  if (generator.credit() < RandomGenerator::kRequiredCredit) return std::nullopt;
  const std::optional<std::uint32_t> bits = KeyTypeBits(keyType);
  if (!bits) return std::nullopt;
  const RsaKey key = GenerateRsaKey(*bits, KeyUsage::kSigning, generator, hook);
  if (!key.valid) return std::nullopt;

  CertKeyHeader header;
  header.keyType = keyType;
  header.organisation = organisation;
  header.keyId = generator.output(kKeyIdBytes);
  if (header.keyId.length() != kKeyIdBytes) return std::nullopt;

  CertKeyPairRecords records;
  records.privateRecord = BuildCertKeyRecord(tag::kPrivateCertKey, header, PrivateBlob(key));
  records.publicRecord = BuildCertKeyRecord(tag::kPublicCertKey, header, PublicBlob(key));
  return records;
}

KeyResult<std::string> SuggestedCertKeyName(const ByteBuffer& publicCertKeyRecord) {
  const std::optional<CertKeyHeader> header = ReadCertKeyHeader(publicCertKeyRecord);
  if (!header) return Failed<std::string>(KeyOutcome::kNewCertKeysUnreadable);
  return {KeyOutcome::kOk, SafeFileName(DisplayText(header->organisation)) + "_" + HexString(header->keyId)};
}

KeyStatus SaveCertificationKeyPair(const CertKeyPairRecords& records, const std::string& privatePath,
                                   const std::string& publicPath, const KeyLocking& locking) {
  const std::optional<ByteBuffer> locked = LockKeyRecord(records.privateRecord, {}, locking);
  if (!locked) return KeyOutcome::kPrivateCertKeyNotWritten;
  KeyCause cause;
  if (!WriteKeyFile(privatePath, *locked, {}, platform::FileAccess::kOwnerOnly, &cause))
    return {KeyOutcome::kPrivateCertKeyNotWritten, std::move(cause)};
  if (!WriteKeyFile(publicPath, records.publicRecord, {privatePath}, platform::FileAccess::kUsual, &cause))
    return {KeyOutcome::kPublicCertKeyNotWritten, std::move(cause)};
  return KeyOutcome::kOk;
}

}  // namespace qs
