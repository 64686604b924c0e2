#include "keys/certificate.h"
#include "operations/approval_rows.h"

#include <gtest/gtest.h>

#include "base/byte_stream.h"
#include "base/record.h"
#include "crypto/random_generator.h"
#include "keys/approval.h"
#include "keys/certification.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "tests/keys/key_fixtures.h"
#include "tests/support/hex.h"
#include "tests/support/seeded_generator.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

using test::FromHex;
using test::KeyPairOf;
using test::ToHex;

class CertificateTest : public ::testing::Test {
 protected:
  const ByteBuffer& alicePublic = KeyPairOf("alice").publicRecord;
  const CertKeyPairRecords bobAuthority = test::CertKeyFrom("bob", "Bob CA", "0101010101010101");
  const CertKeyPairRecords carolAuthority = test::CertKeyFrom("carol", "Carol CA", "0202020202020202");
  const ByteBuffer byBob = test::CertificationOf(alicePublic, bobAuthority, 1700000000);
  const ByteBuffer byCarol = test::CertificationOf(alicePublic, carolAuthority, 1700000100);

  ByteBuffer CertificateOf(const std::vector<ByteBuffer>& certifications) {
    return CreateCertificate(alicePublic, certifications).value_or(ByteBuffer());
  }
};

TEST_F(CertificateTest, CopiesFourFieldsOfEachCertification) {
  const std::optional<ByteBuffer> certificate = CreateCertificate(alicePublic, {byBob});
  ASSERT_TRUE(certificate);
  const CertificationRecord certification = *ReadCertification(byBob);
  ByteBuffer expected;
  AppendRecordHeader(expected, tag::kCertificate);
  expected.appendField(alicePublic);
  expected.appendU16(1);
  expected.appendField(certification.keyId);
  expected.appendField(certification.organisation);
  expected.appendField(certification.dataFields);
  expected.appendField(certification.signature);
  EXPECT_EQ(ToHex(*certificate), ToHex(expected));
  EXPECT_TRUE(ExtractCertificateKey(*certificate)->equals(alicePublic));

  const std::optional<ByteBuffer> empty = CreateCertificate(alicePublic, {});
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->length(), 4 + 11 + 2 + 4 + alicePublic.length() + 2);
}

TEST_F(CertificateTest, RefusesCertificationsOfAnotherKeyAndOtherRecords) {
  const ByteBuffer forBob = test::CertificationOf(KeyPairOf("bob").publicRecord, bobAuthority);
  EXPECT_FALSE(CreateCertificate(alicePublic, {byBob, forBob}));
  EXPECT_FALSE(CreateCertificate(alicePublic, {byBob, alicePublic}));
  EXPECT_FALSE(CreateCertificate(KeyPairOf("alice").privateRecord, {}));
  EXPECT_FALSE(ExtractCertificateKey(byBob));
}

TEST_F(CertificateTest, TrustedKeyLookupFindsEveryKeyWithTheKeyId) {
  const CertKeyPairRecords sameIdOtherKey = test::CertKeyFrom("carol", "Other CA", "0101010101010101");
  const ByteBuffer keyId = FromHex("0101010101010101");
  ASSERT_TRUE(FindTrustedKeys(keyId, {}));
  EXPECT_TRUE(FindTrustedKeys(keyId, {})->empty());
  const std::optional<std::vector<TrustedKey>> found = FindTrustedKeys(
      keyId, {carolAuthority.publicRecord, bobAuthority.publicRecord, sameIdOtherKey.publicRecord});
  ASSERT_TRUE(found);
  ASSERT_EQ(found->size(), 2u);
  EXPECT_EQ(DisplayText((*found)[0].organisation), "Bob CA");
  EXPECT_EQ((*found)[0].publicBlob.length(), 256u);
  EXPECT_EQ(DisplayText((*found)[1].organisation), "Other CA");
  // The keyId must match in length too.
  EXPECT_TRUE(FindTrustedKeys(FromHex("01010101"), {bobAuthority.publicRecord})->empty());
  // A malformed entry anywhere fails the lookup.
  EXPECT_FALSE(FindTrustedKeys(keyId, {bobAuthority.privateRecord, bobAuthority.publicRecord}));
  EXPECT_FALSE(FindTrustedKeys(keyId, {bobAuthority.publicRecord, ByteBuffer()}));
}

// A fake authority that took the real one's Key-ID and was trusted first must neither stop the
// real one's certifications verifying nor have them shown under its name; a certification that
// neither key verifies still fails the certificate.
TEST_F(CertificateTest, ACertificationIsTriedWithEveryTrustedKeyOfItsKeyId) {
  const CertKeyPairRecords fake = test::CertKeyFrom("carol", "Bob CA", "0101010101010101");
  const ByteBuffer byFake = test::CertificationOf(alicePublic, fake, 1700000200);
  for (const std::vector<ByteBuffer>& trusted : std::vector<std::vector<ByteBuffer>>{
           {fake.publicRecord, bobAuthority.publicRecord}, {bobAuthority.publicRecord, fake.publicRecord}}) {
    const std::optional<CertificationResults> results =
        VerifyCertificate(CertificateOf({byBob, byFake}), trusted);
    ASSERT_TRUE(results);
    ASSERT_EQ(results->size(), 2u);
    EXPECT_EQ((*results)[0].status, CertificationStatus::kVerified);
    EXPECT_EQ((*results)[0].timestamp, 1700000000u);
    EXPECT_EQ((*results)[1].status, CertificationStatus::kVerified);
    EXPECT_EQ((*results)[1].timestamp, 1700000200u);
  }
  // Each shows the organisation of the key that verified it.
  const CertKeyPairRecords renamedFake = test::CertKeyFrom("carol", "Falsk CA", "0101010101010101");
  const std::optional<CertificationResults> named = VerifyCertificate(
      CertificateOf({byFake, byBob}), {renamedFake.publicRecord, bobAuthority.publicRecord});
  ASSERT_TRUE(named);
  EXPECT_EQ(DisplayText((*named)[0].organisation), "Falsk CA");
  EXPECT_EQ(DisplayText((*named)[1].organisation), "Bob CA");
  // Only the fake key trusted: the genuine certification fails the whole, as before.
  EXPECT_FALSE(VerifyCertificate(CertificateOf({byBob}), {fake.publicRecord}));
  // A key of a bad type verifies nothing, but does not stop the other one.
  CertKeyHeader badType = *ReadCertKeyHeader(fake.publicRecord);
  badType.keyType = 5;
  const ByteBuffer blob = ReadKeyRecord(KeyPairOf("carol").publicRecord, tag::kPublicKey)->signingKey;
  const ByteBuffer badKey = BuildCertKeyRecord(tag::kPublicCertKey, badType, blob);
  EXPECT_TRUE(VerifyCertificate(CertificateOf({byBob}), {badKey, bobAuthority.publicRecord}));
  EXPECT_FALSE(VerifyCertificate(CertificateOf({byBob}), {badKey}));
}

TEST_F(CertificateTest, ResultsForTrustedAndUntrustedAuthorities) {
  const std::optional<CertificationResults> results =
      VerifyCertificate(CertificateOf({byBob, byCarol}),
                        {test::CertKeyFrom("bob", "Bob CA renamed", "0101010101010101").publicRecord});
  ASSERT_TRUE(results);
  ASSERT_EQ(results->size(), 2u);
  const CertificationResult& trusted = (*results)[0];
  EXPECT_EQ(trusted.status, CertificationStatus::kVerified);
  EXPECT_EQ(DisplayText(trusted.organisation), "Bob CA renamed");  // the trusted key's name
  EXPECT_EQ(trusted.timestamp, 1700000000u);
  ASSERT_EQ(trusted.fields.size(), 1u);
  EXPECT_EQ(DisplayText(trusted.fields[0].value), "Alice Andersson");
  const CertificationResult& untrusted = (*results)[1];
  EXPECT_EQ(untrusted.status, CertificationStatus::kNoTrustedKey);
  EXPECT_EQ(DisplayText(untrusted.organisation), "Carol CA");
  EXPECT_EQ(ToHex(untrusted.keyId), "0202020202020202");
  EXPECT_EQ(untrusted.timestamp, 0u);
  EXPECT_TRUE(untrusted.fields.empty());

  const ApprovalRow untrustedRow = DescribeCertification(untrusted);
  EXPECT_EQ(untrustedRow.status, "Ingen betrodd nyckel hittades");
  EXPECT_EQ(untrustedRow.timestamp, "--");
  EXPECT_FALSE(untrustedRow.verified);
  EXPECT_FALSE(VerifiedIdentityOf(untrusted));
  const ApprovalRow trustedRow = DescribeCertification(trusted);
  EXPECT_EQ(trustedRow.status, "Hittade nyckel");
  EXPECT_EQ(trustedRow.keyId, "0101010101010101");
  EXPECT_EQ(trustedRow.timestamp.size(), 16u);  // YYYY-MM-DD HH:MM in local time
  const std::optional<VerifiedIdentity> identity = VerifiedIdentityOf(trusted);
  ASSERT_TRUE(identity);
  EXPECT_EQ(identity->organisation, "Bob CA renamed");
  ASSERT_EQ(identity->fields.size(), 1u);
  EXPECT_EQ(identity->fields[0].first, "Namn");

  const std::optional<CertificationResults> none =
      VerifyCertificate(CertificateOf({}), {bobAuthority.publicRecord});
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->empty());
}

TEST_F(CertificateTest, OneForgedCertificationOfATrustedAuthorityFailsTheWhole) {
  const std::vector<ByteBuffer> trusted = {bobAuthority.publicRecord, carolAuthority.publicRecord};
  ASSERT_TRUE(VerifyCertificate(CertificateOf({byBob, byCarol}), trusted));

  // Carol's data fields altered after signing: the timestamp's lowest byte.
  CertificationRecord forged = *ReadCertification(byCarol);
  forged.dataFields.at(0) ^= 1;
  EXPECT_FALSE(VerifyCertificate(CertificateOf({byBob, BuildCertification(forged)}), trusted));
  // Carol's signature presented under Bob's keyId.
  forged = *ReadCertification(byCarol);
  forged.keyId = FromHex("0101010101010101");
  EXPECT_FALSE(VerifyCertificate(CertificateOf({BuildCertification(forged), byCarol}), trusted));
  // The same forgery passes unchecked when neither authority is trusted.
  EXPECT_TRUE(VerifyCertificate(CertificateOf({byBob, BuildCertification(forged)}), {}));

  // A certificate carrying another public key than the one certified.
  ByteBuffer swapped;
  AppendRecordHeader(swapped, tag::kCertificate);
  swapped.appendField(KeyPairOf("bob").publicRecord);
  ByteBuffer rest = CertificateOf({byBob});
  ByteStream in(rest);
  in.skipField();
  in.readU16();
  in.skipField();
  swapped.append(rest.slice(rest.length(), in.cursor));
  EXPECT_FALSE(VerifyCertificate(swapped, trusted));
}

// The authority signs the key record and the data fields back to back, so the same signature
// covers every other place to cut those bytes in two; only the exact layouts fix the cut.
TEST_F(CertificateTest, KeyRecordAndDataFieldsCutElsewhereAreRefused) {
  const CertificationRecord signedOne = *ReadCertification(byBob);
  ByteBuffer joined = alicePublic;
  joined.append(signedOne.dataFields);
  const auto recut = [&](std::uint32_t keyBytes) {
    ByteBuffer certificate;
    AppendRecordHeader(certificate, tag::kCertificate);
    certificate.appendField(joined.slice(keyBytes, 0));
    certificate.appendU16(1);
    certificate.appendField(signedOne.keyId);
    certificate.appendField(signedOne.organisation);
    certificate.appendField(joined.slice(joined.length() - keyBytes, keyBytes));
    certificate.appendField(signedOne.signature);
    return certificate;
  };
  const std::vector<ByteBuffer> trusted = {bobAuthority.publicRecord};
  ASSERT_TRUE(VerifyCertificate(recut(alicePublic.length()), trusted));
  for (const std::uint32_t keyBytes :
       {alicePublic.length() + 6, alicePublic.length() + 4, alicePublic.length() - 2}) {
    EXPECT_FALSE(VerifyCertificate(recut(keyBytes), trusted)) << keyBytes;
    EXPECT_FALSE(VerifyCertificate(recut(keyBytes), {})) << keyBytes;
    EXPECT_FALSE(ExtractCertificateKey(recut(keyBytes))) << keyBytes;
  }

  // Neither side makes or takes such records: the authority, the certificate and the
  // certification reader all want the key record and the data fields exact.
  ByteBuffer longKey = alicePublic;
  longKey.appendU16(0);
  EXPECT_FALSE(CreateCertificate(longKey, {}));
  std::unique_ptr<RandomGenerator> generator = test::SeededGenerator();
  EXPECT_FALSE(Certify(*generator, {{RecordText("Namn"), RecordText("A")}}, bobAuthority.privateRecord,
                       longKey, 1700000000));
  CertificationRecord longFields = signedOne;
  longFields.dataFields.appendU16(0);
  EXPECT_FALSE(ReadCertification(BuildCertification(longFields)));
  ByteBuffer trailing = byBob;
  trailing.appendU8(0);
  EXPECT_FALSE(ReadCertification(trailing));
}

TEST_F(CertificateTest, DamagedCertificatesAndTrustedListsFail) {
  const ByteBuffer certificate = CertificateOf({byBob});
  EXPECT_FALSE(VerifyCertificate(certificate.slice(certificate.length() - 1, 0), {}));
  // A byte after the last certification, or where none follows the count.
  for (ByteBuffer appended : {certificate, CertificateOf({})}) {
    ASSERT_TRUE(ReadCertificate(appended));
    appended.appendU8(0);
    EXPECT_FALSE(ReadCertificate(appended));
    EXPECT_FALSE(VerifyCertificate(appended, {}));
    EXPECT_FALSE(VerifyCertificate(appended, {bobAuthority.publicRecord}));
  }
  ByteBuffer otherVersion = certificate;
  otherVersion.at(4 + 11) = 1;
  EXPECT_FALSE(VerifyCertificate(otherVersion, {}));
  EXPECT_FALSE(ExtractCertificateKey(otherVersion));
  EXPECT_FALSE(VerifyCertificate(certificate, {alicePublic}));

  CertKeyHeader badType = *ReadCertKeyHeader(bobAuthority.publicRecord);
  badType.keyType = 5;
  const ByteBuffer blob = ReadKeyRecord(KeyPairOf("bob").publicRecord, tag::kPublicKey)->signingKey;
  EXPECT_FALSE(VerifyCertificate(certificate, {BuildCertKeyRecord(tag::kPublicCertKey, badType, blob)}));
}

}  // namespace
}  // namespace qs
