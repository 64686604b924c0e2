#include "keys/certification.h"

#include <gtest/gtest.h>

#include "base/record.h"
#include "crypto/random_generator.h"
#include "crypto/sha256.h"
#include "keys/certify.h"
#include "keys/key_files.h"
#include "keys/key_store.h"
#include "keys/possession_proof.h"
#include "keys/record_text.h"
#include "tests/keys/key_fixtures.h"
#include "tests/support/hex.h"
#include "tests/support/seeded_generator.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

using test::Fields;
using test::FromHex;
using test::ToHex;

std::vector<DataField> Repeated(std::size_t count, std::size_t nameLength, std::size_t valueLength) {
  std::vector<DataField> fields;
  for (std::size_t i = 0; i < count; ++i) {
    fields.push_back(
        DataField{RecordText(std::string(nameLength, 'n')), RecordText(std::string(valueLength, 'v'))});
  }
  return fields;
}

TEST(DataFields, LayoutAndRoundTrip) {
  const std::optional<ByteBuffer> record = EncodeDataFields(Fields({{"Ort", "Umeå"}, {"", "x"}}), 0x01020304);
  ASSERT_TRUE(record);
  EXPECT_EQ(ToHex(*record),
            "04030201"
            "0200"
            "06000000004f00720074"
            "080000000055006d006500e5"
            "00000000"
            "020000000078");
  const std::optional<DecodedDataFields> decoded = DecodeDataFields(*record);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->timestamp, 0x01020304u);
  ASSERT_EQ(decoded->fields.size(), 2u);
  EXPECT_EQ(DisplayText(decoded->fields[0].value), "Umeå");
  EXPECT_EQ(decoded->fields[1].name.count(), 0u);
}

TEST(DataFields, LimitsOfNamesValuesAndCount) {
  EXPECT_TRUE(EncodeDataFields(Repeated(20, 20, 150), 0));
  EXPECT_FALSE(EncodeDataFields(Repeated(21, 1, 1), 0));
  EXPECT_FALSE(EncodeDataFields(Repeated(1, 21, 1), 0));
  EXPECT_FALSE(EncodeDataFields(Repeated(1, 1, 151), 0));
}

TEST(DataFields, OnlyTheExactLayoutDecodes) {
  EXPECT_TRUE(DecodeDataFields(FromHex("010000000000")));
  EXPECT_TRUE(
      DecodeDataFields(FromHex("000000000100"
                               "020000000041"
                               "00000000")));
  for (const char* damaged : {
           "010203",      // no count
           "0100000002",  // half a count
           "00000000ffff"
           "02000000004100000000",  // a count of 65535 over one pair
           "000000000100"
           "020000000041",  // a name without its value
           "000000000100"
           "0300000000410000000000",  // half a unit of text
           "000000000100"
           "020000000041"
           "0000000000",  // a byte after the last pair
           "000000000100"
           "090000000041"
           "00000000",  // a text longer than the record
       }) {
    EXPECT_FALSE(DecodeDataFields(FromHex(damaged))) << damaged;
  }
}

class CertifyTest : public ::testing::Test {
 protected:
  const ByteBuffer& alicePublic = test::KeyPairOf("alice").publicRecord;
  const CertKeyPairRecords authority = test::CertKeyFrom("bob", "Test Org", "0123456789ABCDEF");
  std::unique_ptr<RandomGenerator> generator = test::SeededGenerator();

  std::optional<ByteBuffer> CertifyAlice(const std::vector<DataField>& fields) {
    return Certify(*generator, fields, authority.privateRecord, alicePublic, 1700000000);
  }
};

TEST_F(CertifyTest, RecordCarriesTheAuthorityTheFieldsAndTheKeyFingerprint) {
  const std::optional<ByteBuffer> record = CertifyAlice(Fields({{"Namn", "Alice"}}));
  ASSERT_TRUE(record);
  const std::optional<CertificationRecord> read = ReadCertification(*record);
  ASSERT_TRUE(read);
  EXPECT_EQ(ToHex(read->keyId), "0123456789abcdef");
  EXPECT_EQ(DisplayText(WideText::fromRecordBytes(read->organisation)), "Test Org");
  EXPECT_TRUE(read->dataFields.equals(*EncodeDataFields(Fields({{"Namn", "Alice"}}), 1700000000)));
  EXPECT_EQ(read->signature.length(), 256u);
  EXPECT_TRUE(read->keyFingerprint.equals(*ComputeFingerprint(alicePublic)));
  // Deterministic signatures: the same input certifies to the same bytes.
  EXPECT_TRUE(CertifyAlice(Fields({{"Namn", "Alice"}}))->equals(*record));

  const std::optional<CertificationHeader> header = ReadCertificationHeader(*record);
  ASSERT_TRUE(header);
  EXPECT_EQ(DisplayText(header->organisation), "Test Org");
  EXPECT_FALSE(ReadCertificationHeader(alicePublic));
}

TEST_F(CertifyTest, FieldLimitsHoldAtTheirEdges) {
  EXPECT_TRUE(CertifyAlice(Repeated(20, 20, 150)));
  EXPECT_FALSE(CertifyAlice(Repeated(21, 20, 150)));
  EXPECT_FALSE(CertifyAlice(Repeated(1, 21, 1)));
  EXPECT_FALSE(CertifyAlice(Repeated(1, 1, 151)));
  EXPECT_FALSE(CertifyAlice({}));
}

TEST_F(CertifyTest, RefusesWrongKeysAndMissingCredit) {
  const std::vector<DataField> fields = Fields({{"Namn", "Alice"}});
  // Certifying a certification key, or signing with its public half.
  EXPECT_FALSE(Certify(*generator, fields, authority.privateRecord, authority.publicRecord, 0));
  EXPECT_FALSE(Certify(*generator, fields, authority.publicRecord, alicePublic, 0));
  EXPECT_FALSE(Certify(*generator, fields, test::KeyPairOf("bob").privateRecord, alicePublic, 0));
  RandomGenerator uncredited;
  EXPECT_FALSE(Certify(uncredited, fields, authority.privateRecord, alicePublic, 0));
}

TEST(CertificationName, PublicKeyFileNameBeforeItsFirstDot) {
  const ByteBuffer keyId = FromHex("0123456789ABCDEF");
  const WideText org = RecordText("Test Org");
  EXPECT_EQ(SuggestedCertificationName("C:\\keys\\user key.public_key", org, keyId),
            "user_key_Test_Org_0123456789ABCDEF");
  EXPECT_EQ(SuggestedCertificationName("/home/u/a.b.public_key", org, keyId), "a_Test_Org_0123456789ABCDEF");
  EXPECT_EQ(SuggestedCertificationName("nodot", org, keyId), "nodot_Test_Org_0123456789ABCDEF");
}

class CertifyCommandTest : public CertifyTest {
 protected:
  test::TempFolder dir;
  std::string publicPath = dir.file("alice key.public_key");
  std::string privatePath = dir.file("org.private_cert_key");

  std::string proofPath = PossessionProofPath(publicPath);

  void SetUp() override {
    test::WriteExportedPublicKey(publicPath, "alice");
    test::WriteContent(privatePath, authority.privateRecord);
  }

  KeyOutcome ReadInputs(const std::string& publicKey, const std::string& proof) {
    return ReadCertificationInputs(publicKey, privatePath, proof, Fields({{"Namn", "Alice"}})).outcome;
  }
};

TEST_F(CertifyCommandTest, OutcomesInTheOrderTheStepsRun) {
  const std::vector<DataField> fields = Fields({{"Namn", "Alice"}});
  EXPECT_EQ(ReadCertificationInputs(dir.file("none"), dir.file("none"), dir.file("none"), {}).outcome,
            KeyOutcome::kPublicKeyFileUnreadable);
  EXPECT_EQ(ReadCertificationInputs(publicPath, dir.file("none"), proofPath, {}).outcome,
            KeyOutcome::kPrivateCertKeyUnreadable);
  EXPECT_EQ(ReadCertificationInputs(publicPath, privatePath, proofPath, {}).outcome,
            KeyOutcome::kNoDataFields);
  EXPECT_EQ(ReadCertificationInputs(privatePath, privatePath, proofPath, fields).outcome,
            KeyOutcome::kPublicKeyNoFingerprint);
  EXPECT_EQ(ReadCertificationInputs(publicPath, privatePath, dir.file("none"), fields).outcome,
            KeyOutcome::kPossessionProofMissing);

  // A ".public_cert_key" passes the fingerprint, has no signing key to prove, and cannot be
  // certified.
  test::WriteContent(dir.file("org.public_cert_key"), authority.publicRecord);
  const KeyResult<CertificationInputs> certKey =
      ReadCertificationInputs(dir.file("org.public_cert_key"), privatePath, dir.file("none"), fields);
  ASSERT_TRUE(certKey.ok());
  EXPECT_EQ(MakeCertification(*generator, certKey.value, fields, 0, "x").outcome,
            KeyOutcome::kCertificationNotCreated);

  const KeyResult<CertificationInputs> inputs =
      ReadCertificationInputs(publicPath, privatePath, proofPath, fields);
  ASSERT_TRUE(inputs.ok());
  EXPECT_TRUE(inputs.value.fingerprint.equals(*ComputeFingerprint(alicePublic)));
  EXPECT_EQ(MakeCertification(*generator, inputs.value, Repeated(1, 21, 1), 0, publicPath).outcome,
            KeyOutcome::kCertificationNotCreated);
  RandomGenerator uncredited;
  EXPECT_EQ(MakeCertification(uncredited, inputs.value, fields, 0, publicPath).outcome,
            KeyOutcome::kCertificationNotCreated);

  const KeyResult<NewCertification> made =
      MakeCertification(*generator, inputs.value, fields, 1700000000, publicPath);
  ASSERT_TRUE(made.ok());
  EXPECT_EQ(made.value.suggestedName, "alice_key_Test_Org_0123456789ABCDEF");
  EXPECT_TRUE(made.value.record.equals(*CertifyAlice(fields)));

  EXPECT_EQ(WriteCertification(publicPath, made.value.record, publicPath, privatePath),
            KeyOutcome::kCertificationNotWritten);
  EXPECT_EQ(WriteCertification(dir.file("missing/c"), made.value.record, publicPath, privatePath),
            KeyOutcome::kCertificationNotWritten);
  ASSERT_EQ(WriteCertification(dir.file("c.certification"), made.value.record, publicPath, privatePath),
            KeyOutcome::kOk);
  EXPECT_TRUE(ReadKeyFile(dir.file("c.certification"))->equals(made.value.record));
}

// Mallory joins his own encryption key to Alice's signing key: certified as him, every
// signature Alice ever made would verify as his. Only the holder of a record's signing key can
// make the proof the authority asks for.
TEST_F(CertifyCommandTest, OnlyTheKeysOwnProofOfPossessionLetsItBeCertified) {
  const std::string hybrid = dir.file("mallory.public_key");
  test::WriteContent(hybrid, test::HybridPublicKey("bob", "alice"));
  EXPECT_EQ(ReadInputs(hybrid, PossessionProofPath(hybrid)), KeyOutcome::kPossessionProofMissing);
  // Mallory signs it with his own key, message and all.
  test::SignFileAs("bob", hybrid, PossessionProofPath(hybrid), kPossessionProofMessage);
  EXPECT_EQ(ReadInputs(hybrid, PossessionProofPath(hybrid)), KeyOutcome::kPossessionProofInvalid);
  // Alice's real proof lies beside her own file, not his.
  EXPECT_EQ(ReadInputs(hybrid, proofPath), KeyOutcome::kPossessionProofInvalid);
  // Nor does a signature Alice made over his file as a document, without the proof's message.
  test::SignFileAs("alice", hybrid, dir.file("signed.signature"), "");
  EXPECT_EQ(ReadInputs(hybrid, dir.file("signed.signature")), KeyOutcome::kPossessionProofInvalid);
  test::SignFileAs("alice", hybrid, dir.file("message.signature"), "Innehavsbevis");
  EXPECT_EQ(ReadInputs(hybrid, dir.file("message.signature")), KeyOutcome::kPossessionProofInvalid);
  // Another key's proof over its own file.
  test::WriteExportedPublicKey(dir.file("carol.public_key"), "carol");
  EXPECT_EQ(ReadInputs(publicPath, PossessionProofPath(dir.file("carol.public_key"))),
            KeyOutcome::kPossessionProofInvalid);
  // The honest proof, beside the file or anywhere else.
  EXPECT_EQ(ReadInputs(publicPath, proofPath), KeyOutcome::kOk);
  test::WriteRaw(dir.file("moved.signature"), test::ReadRaw(proofPath));
  EXPECT_EQ(ReadInputs(publicPath, dir.file("moved.signature")), KeyOutcome::kOk);
  // Inputs that skipped the check are never certified.
  CertificationInputs unchecked{alicePublic, authority.privateRecord, *ComputeFingerprint(alicePublic)};
  EXPECT_EQ(MakeCertification(*generator, unchecked, Fields({{"Namn", "Alice"}}), 0, publicPath).outcome,
            KeyOutcome::kCertificationNotCreated);
}

}  // namespace
}  // namespace qs
