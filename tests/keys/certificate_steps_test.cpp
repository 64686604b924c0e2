#include <gtest/gtest.h>

#include "base/record.h"
#include "keys/approval.h"
#include "keys/certificate.h"
#include "keys/key_files.h"
#include "keys/key_store.h"
#include "keys/personal_certificate.h"
#include "keys/record_text.h"
#include "keys/select_keys.h"
#include "keys/trusted_keys.h"
#include "operations/approval_rows.h"
#include "operations/key_messages.h"
#include "tests/keys/key_fixtures.h"
#include "tests/support/hex.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

using test::KeyPairOf;

class CertificateStepsTest : public ::testing::Test {
 protected:
  test::TempFolder dir;
  const CertKeyPairRecords authority = test::CertKeyFrom("bob", "Bob CA", "0101010101010101");

  std::string Save(const std::string& name, const ByteBuffer& content) {
    test::WriteContent(dir.file(name), content);
    return dir.file(name);
  }
};

TEST_F(CertificateStepsTest, PendingListTakesOnlyCertificationsSoRowsAreEntries) {
  PendingCertifications pending;
  const std::string first =
      Save("a.certification", test::CertificationOf(KeyPairOf("alice").publicRecord, authority));
  const std::string other =
      Save("b.certification", test::CertificationOf(KeyPairOf("bob").publicRecord, authority));
  EXPECT_EQ(pending.add(dir.file("none")), KeyOutcome::kCertificationFileUnreadable);
  EXPECT_EQ(pending.add(Save("k.public_key", KeyPairOf("alice").publicRecord)),
            KeyOutcome::kCertificationFileUnreadable);
  ASSERT_EQ(pending.add(first), KeyOutcome::kOk);
  ASSERT_EQ(pending.add(other), KeyOutcome::kOk);  // made for another key: listed, refused later
  ASSERT_EQ(pending.add(first), KeyOutcome::kOk);
  const std::vector<PendingCertifications::Row> rows = pending.rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].organisation, "Bob CA");
  EXPECT_EQ(rows[0].keyId, "0101010101010101");

  StoredKeyPair alice{KeyPairOf("alice").privateRecord, KeyPairOf("alice").publicRecord,
                      KeyNameText("Alice A")};
  EXPECT_EQ(MakePersonalCertificate(alice, pending).outcome, KeyOutcome::kCertificateNotCreated);
  EXPECT_EQ(pending.remove(std::nullopt), KeyOutcome::kNoCertificationSelected);
  EXPECT_EQ(pending.remove(3), KeyOutcome::kNoCertificationSelected);
  ASSERT_EQ(pending.remove(1), KeyOutcome::kOk);
  EXPECT_EQ(pending.paths(), (std::vector<std::string>{first, first}));

  const KeyResult<PersonalCertificate> made = MakePersonalCertificate(alice, pending);
  ASSERT_TRUE(made.ok());
  EXPECT_EQ(made.value.suggestedName, "Alice_A");
  EXPECT_TRUE(made.value.record.equals(*CreateCertificate(alice.publicRecord, pending.contents())));

  // Never over an input: a gathered certification or the key pair.
  EXPECT_EQ(WritePersonalCertificate(dir.path(), first, made.value.record, pending),
            KeyOutcome::kCertificateNotWritten);
  test::StoreTestKeyPair(dir.path(), "alice", "Alice A");
  EXPECT_EQ(WritePersonalCertificate(dir.path(), dir.file(kKeyPairFileName), made.value.record, pending),
            KeyOutcome::kCertificateNotWritten);
  ASSERT_EQ(WritePersonalCertificate(dir.path(), dir.file("a.certificate"), made.value.record, pending),
            KeyOutcome::kOk);
  EXPECT_TRUE(ReadKeyFile(dir.file("a.certificate"))->equals(made.value.record));

  pending.clear();
  EXPECT_TRUE(pending.empty());
  EXPECT_TRUE(MakePersonalCertificate(alice, pending).ok());
}

TEST_F(CertificateStepsTest, PeerCertificateIsCheckedAgainstTheTrustedList) {
  const ByteBuffer& alicePublic = KeyPairOf("alice").publicRecord;
  const std::string path =
      Save("a.certificate", *CreateCertificate(alicePublic, {test::CertificationOf(alicePublic, authority)}));

  // Without a trusted list the certification is shown, unchecked.
  KeyResult<PeerCertificate> peer = CheckPeerCertificate(path, dir.path());
  ASSERT_TRUE(peer.ok());
  EXPECT_TRUE(peer.value.publicRecord.equals(alicePublic));
  EXPECT_TRUE(peer.value.fingerprint.equals(*ComputeFingerprint(alicePublic)));
  ASSERT_EQ(peer.value.results.size(), 1u);
  EXPECT_EQ(peer.value.results[0].status, CertificationStatus::kNoTrustedKey);

  ASSERT_EQ(AddTrustedKey(dir.path(), authority.publicRecord), KeyOutcome::kOk);
  peer = CheckPeerCertificate(path, dir.path());
  ASSERT_TRUE(peer.ok());
  EXPECT_EQ(peer.value.results[0].status, CertificationStatus::kVerified);

  EXPECT_FALSE(CheckPeerCertificate(dir.file("none"), dir.path()).ok());
  EXPECT_FALSE(CheckPeerCertificate(Save("x", alicePublic), dir.path()).ok());
  // A certificate whose key is not a public record has no fingerprint.
  ByteBuffer privateInside;
  AppendRecordHeader(privateInside, tag::kCertificate);
  privateInside.appendField(KeyPairOf("alice").privateRecord);
  privateInside.appendU16(0);
  EXPECT_FALSE(CheckPeerCertificate(Save("p.certificate", privateInside), dir.path()).ok());
  // A damaged trusted list fails every check.
  test::WriteContent(dir.file(kTrustedKeysFileName), EncodeTrustedKeyList({alicePublic}));
  EXPECT_FALSE(CheckPeerCertificate(path, dir.path()).ok());
}

// A result as VerifyCertificate gives it, its fields "Namn" and, when role is given, "Roll".
CertificationResult Result(const std::string& keyIdHex, bool verified, std::uint32_t timestamp,
                           const std::string& name, const std::string& role = "") {
  CertificationResult result;
  result.keyId = test::FromHex(keyIdHex);
  result.status = verified ? CertificationStatus::kVerified : CertificationStatus::kNoTrustedKey;
  result.timestamp = timestamp;
  result.fields = test::Fields({{"Namn", name}});
  if (!role.empty()) result.fields.push_back(test::Fields({{"Roll", role}})[0]);
  return result;
}

constexpr char kA[] = "AAAAAAAAAAAAAAAA";
constexpr char kB[] = "BBBBBBBBBBBBBBBB";

// --expect-field counts only what a trusted authority vouches for now: its newest word, or
// none where two of its certifications of one time disagree.
TEST(Approval, ExpectedFieldsMustBeHeldByOneVerifiedCertificationNotContradictedSince) {
  using Expected = std::vector<std::pair<std::string, std::string>>;
  struct Case {
    const char* why;
    CertificationResults results;
    Expected expected;
    bool vouched;
  };
  const std::vector<Case> cases{
      {"verified", {Result(kA, true, 1, "Bob")}, {{"Namn", "Bob"}}, true},
      {"unverified fields never count", {Result(kA, false, 0, "Bob")}, {{"Namn", "Bob"}}, false},
      {"no certification", {}, {{"Namn", "Bob"}}, false},
      {"another value", {Result(kA, true, 1, "Bob")}, {{"Namn", "Bobby"}}, false},
      {"case counts", {Result(kA, true, 1, "Bob")}, {{"Namn", "bob"}}, false},
      {"another name", {Result(kA, true, 1, "Bob")}, {{"Name", "Bob"}}, false},
      {"all in one", {Result(kA, true, 1, "Bob", "CA")}, {{"Namn", "Bob"}, {"Roll", "CA"}}, true},
      {"split over two",
       {Result(kA, true, 1, "Bob"), Result(kB, true, 1, "Eve", "CA")},
       {{"Namn", "Bob"}, {"Roll", "CA"}},
       false},
      {"the newest word counts",
       {Result(kA, true, 5, "Bob", "Styrelse"), Result(kA, true, 9, "Bob", "Medlem")},
       {{"Roll", "Medlem"}},
       true},
      {"an older word does not",
       {Result(kA, true, 5, "Bob", "Styrelse"), Result(kA, true, 9, "Bob", "Medlem")},
       {{"Roll", "Styrelse"}},
       false},
      {"whatever the order",
       {Result(kA, true, 9, "Bob", "Medlem"), Result(kA, true, 5, "Bob", "Styrelse")},
       {{"Roll", "Styrelse"}},
       false},
      {"one time, two words",
       {Result(kA, true, 5, "Bob", "Styrelse"), Result(kA, true, 5, "Bob", "Medlem")},
       {{"Namn", "Bob"}},
       false},
      {"the same word again",
       {Result(kA, true, 5, "Bob"), Result(kA, true, 9, "Bob")},
       {{"Namn", "Bob"}},
       true},
      {"another authority's newer word",
       {Result(kA, true, 5, "Bob"), Result(kB, true, 9, "Eve")},
       {{"Namn", "Bob"}},
       true},
      {"an unverified newer word",
       {Result(kA, true, 5, "Bob"), Result(kA, false, 9, "Eve")},
       {{"Namn", "Bob"}},
       true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VouchesFor(c.results, test::Fields(c.expected)), c.vouched) << c.why;
  }
}

// The holder orders the certifications and the dialog shows the first; where one authority
// says different things, its certifications stand together, newest first, with a warning.
TEST(Approval, DifferingCertificationsOfOneAuthorityComeNewestFirstWithAWarning) {
  struct Case {
    const char* why;
    CertificationResults results;
    std::vector<std::uint32_t> order;  // the timestamps after ordering
    std::string warned;                // the Key-IDs named
  };
  const std::vector<Case> cases{
      {"gathered at the first one's place",
       {Result(kB, false, 0, "x"), Result(kA, true, 1, "Bob", "Styrelse"), Result(kB, true, 7, "Bob"),
        Result(kA, true, 3, "Bob", "Medlem"), Result(kA, true, 2, "Bob", "Styrelse")},
       {0, 3, 2, 1, 7},
       kA},
      {"the same fields stay in order", {Result(kA, true, 1, "Bob"), Result(kA, true, 3, "Bob")}, {1, 3}, ""},
      {"other authorities stay in order",
       {Result(kA, true, 1, "Bob"), Result(kB, true, 3, "Eve")},
       {1, 3},
       ""},
      {"equal times keep the holder's order",
       {Result(kA, true, 3, "Bob", "Styrelse"), Result(kA, true, 3, "Bob", "Medlem")},
       {3, 3},
       kA},
      {"two authorities named once each",
       {Result(kA, true, 1, "Bob"), Result(kB, true, 2, "Eve"), Result(kA, true, 4, "Rob"),
        Result(kB, true, 8, "Ewa")},
       {4, 1, 8, 2},
       std::string(kA) + ", " + kB},
  };
  for (Case c : cases) {
    const std::string warning = ConflictWarning(c.results);
    EXPECT_EQ(warning, c.warned.empty() ? "" : key_text::kConflictingCertifications + c.warned) << c.why;
    OrderForApproval(c.results);
    std::vector<std::uint32_t> order;
    for (const CertificationResult& result : c.results) order.push_back(result.timestamp);
    EXPECT_EQ(order, c.order) << c.why;
  }
}

TEST_F(CertificateStepsTest, OwnKeysComeFromTheStoredPair) {
  EXPECT_FALSE(ReadOwnKeys(dir.path()).ok());
  test::StoreTestKeyPair(dir.path(), "carol", "Carol C");
  const KeyResult<OwnKeys> own = ReadOwnKeys(dir.path());
  ASSERT_TRUE(own.ok());
  EXPECT_TRUE(own.value.privateRecord.equals(KeyPairOf("carol").privateRecord));
  EXPECT_EQ(own.value.keyName.str(), "Carol C");
}

}  // namespace
}  // namespace qs
