#include "tests/keys/key_fixtures.h"

#include <gtest/gtest.h>

#include "base/byte_stream.h"
#include "base/record.h"
#include "base/whole_file.h"
#include "crypto/random_generator.h"
#include "formats/signature_file.h"
#include "keys/certification.h"
#include "keys/key_store.h"
#include "keys/possession_proof.h"
#include "keys/record_text.h"
#include "tests/support/hex.h"
#include "tests/support/seeded_generator.h"
#include "tests/support/test_keys.h"

namespace qs::test {

CertKeyPairRecords CertKeyFrom(const std::string& pairName, const std::string& organisation,
                               const std::string& keyIdHex) {
  const TestKeyPair& pair = KeyPairOf(pairName);
  const std::optional<KeyRecord> secret = ReadKeyRecord(pair.privateRecord, tag::kPrivateKey);
  const std::optional<KeyRecord> known = ReadKeyRecord(pair.publicRecord, tag::kPublicKey);
  EXPECT_TRUE(secret && known);
  CertKeyHeader header;
  header.keyType = known->signingKeyType;
  header.keyId = FromHex(keyIdHex);
  header.organisation = RecordText(organisation);
  return CertKeyPairRecords{BuildCertKeyRecord(tag::kPublicCertKey, header, known->signingKey),
                            BuildCertKeyRecord(tag::kPrivateCertKey, header, secret->signingKey)};
}

const CertKeyPairRecords& GeneratedCertKeyPair() {
  static const CertKeyPairRecords records = [] {
    const auto generator = SeededGenerator();
    std::optional<CertKeyPairRecords> made =
        CreateCertificationKeyPair(*generator, RecordText("Test Org"), 0, nullptr);
    EXPECT_TRUE(made);
    return made.value_or(CertKeyPairRecords{});
  }();
  return records;
}

std::vector<DataField> Fields(const std::vector<std::pair<std::string, std::string>>& namesAndValues) {
  std::vector<DataField> fields;
  for (const auto& [name, value] : namesAndValues)
    fields.push_back(DataField{RecordText(name), RecordText(value)});
  return fields;
}

void StoreTestKeyPair(const std::string& folder, const std::string& pairName, const std::string& keyName) {
  const TestKeyPair& pair = KeyPairOf(pairName);
  ASSERT_EQ(
      WriteStoredKeyPair(folder, StoredKeyPair{pair.privateRecord, pair.publicRecord, KeyNameText(keyName)}),
      KeyOutcome::kOk);
}

ByteBuffer CertificationOf(const ByteBuffer& publicRecord, const CertKeyPairRecords& authority,
                           std::uint32_t timestamp) {
  const auto generator = SeededGenerator();
  const std::optional<ByteBuffer> certification = Certify(*generator, Fields({{"Namn", "Alice Andersson"}}),
                                                          authority.privateRecord, publicRecord, timestamp);
  EXPECT_TRUE(certification);
  return certification.value_or(ByteBuffer());
}

void WriteContent(const std::string& path, const ByteBuffer& content) {
  ASSERT_TRUE(WriteWholeFile(ByteStream(content), path));
}

void WriteExportedPublicKey(const std::string& path, const std::string& pairName) {
  const TestKeyPair& pair = KeyPairOf(pairName);
  const auto generator = SeededGenerator();
  const std::optional<ByteBuffer> proof =
      SignPossessionProof(*generator, pair.privateRecord, pair.publicRecord, 1700000000);
  ASSERT_TRUE(proof);
  WriteContent(path, pair.publicRecord);
  WriteContent(PossessionProofPath(path), *proof);
}

ByteBuffer HybridPublicKey(const std::string& encryptionPair, const std::string& signingPair) {
  KeyRecord hybrid = *ReadKeyRecord(KeyPairOf(encryptionPair).publicRecord, tag::kPublicKey);
  const KeyRecord signing = *ReadKeyRecord(KeyPairOf(signingPair).publicRecord, tag::kPublicKey);
  hybrid.signingKeyType = signing.signingKeyType;
  hybrid.signingKey = signing.signingKey;
  return BuildKeyRecord(tag::kPublicKey, hybrid);
}

void SignFileAs(const std::string& pairName, const std::string& path, const std::string& signaturePath,
                const std::string& message) {
  const auto generator = SeededGenerator();
  SignatureRequest request;
  request.generator = generator.get();
  request.message = KeyNameText(message);
  request.timestamp = 1700000000;
  ASSERT_TRUE(SignFile(request, KeyPairOf(pairName).privateRecord, path, signaturePath));
}

}  // namespace qs::test
