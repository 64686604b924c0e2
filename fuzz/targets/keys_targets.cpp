// Key records, certification keys, certifications, certificates and the trusted list.
#include "base/record.h"
#include "crypto/key_records.h"
#include "crypto/rsa_key.h"
#include "fuzz/fuzz_target.h"
#include "keys/cert_keys.h"
#include "keys/certificate.h"
#include "keys/certification.h"
#include "keys/key_store.h"
#include "keys/trusted_keys.h"

namespace {

// One trusted authority built from the fixed signing key, so certificates that name its keyId
// reach the signature check.
const std::vector<qs::ByteBuffer>& TrustedList() {
  static const std::vector<qs::ByteBuffer> list = [] {
    const std::optional<qs::KeyRecord> known =
        qs::ReadKeyRecord(qs::fuzz::FixedKeys().publicRecord, qs::tag::kPublicKey);
    if (!known) qs::fuzz::Fail("fixed key");
    qs::CertKeyHeader header;
    header.keyType = known->signingKeyType;
    header.keyId = qs::ByteBuffer::fromText(qs::fuzz::kFixedAuthorityKeyId);
    return std::vector<qs::ByteBuffer>{
        qs::BuildCertKeyRecord(qs::tag::kPublicCertKey, header, known->signingKey)};
  }();
  return list;
}

}  // namespace

QS_FUZZ_TARGET(key_record) {
  const qs::ByteBuffer bytes(data);
  for (const char* tag : {qs::tag::kPublicKey, qs::tag::kPrivateKey}) {
    const std::optional<qs::KeyRecord> record = qs::ReadKeyRecord(bytes, tag);
    if (!record) continue;
    const bool isPrivate = tag == qs::tag::kPrivateKey;
    if (const std::optional<std::uint32_t> bits = qs::KeyTypeBits(record->encryptionKeyType)) {
      qs::LoadRsaKey(*bits, record->encryptionKey, isPrivate, qs::KeyUsage::kEncryption, nullptr);
    }
    if (const std::optional<std::uint32_t> bits = qs::KeyTypeBits(record->signingKeyType)) {
      qs::LoadRsaKey(*bits, record->signingKey, isPrivate, qs::KeyUsage::kSigning, nullptr);
    }
  }
  qs::ReadKeyTypes(bytes);
  qs::ComputeFingerprint(bytes);
  const qs::StoredKeyPair pair = qs::DecodeStoredKeyPair(bytes);
  qs::HoldsKeyPair(pair);
}

QS_FUZZ_TARGET(cert_key) {
  const qs::ByteBuffer bytes(data);
  qs::ReadCertKeyHeader(bytes);
  qs::SuggestedCertKeyName(bytes);
}

QS_FUZZ_TARGET(certification) {
  const qs::ByteBuffer bytes(data);
  qs::ReadCertification(bytes);
  qs::ReadCertificationHeader(bytes);
}

QS_FUZZ_TARGET(certificate) {
  const qs::ByteBuffer bytes(data);
  qs::ExtractCertificateKey(bytes);
  qs::VerifyCertificate(bytes, TrustedList());
}

QS_FUZZ_TARGET(trusted_list) {
  const std::vector<qs::ByteBuffer> entries = qs::DecodeTrustedKeyList(qs::ByteBuffer(data));
  qs::FindTrustedKeys(qs::ByteBuffer::fromText(qs::fuzz::kFixedAuthorityKeyId), entries);
  for (const qs::ByteBuffer& entry : entries) qs::ReadCertKeyHeader(entry);
}
