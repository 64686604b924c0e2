#include "keys/trusted_keys.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/record.h"
#include "keys/certificate.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "keys/select_keys.h"
#include "operations/key_messages.h"
#include "platform/folder_lock.h"
#include "tests/keys/key_fixtures.h"
#include "tests/support/hex.h"
#include "tests/support/processes.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

using test::TempFolder;
using test::ToHex;

class TrustedKeysTest : public ::testing::Test {
 protected:
  TempFolder dir;
  const CertKeyPairRecords first = test::CertKeyFrom("bob", "Första CA", "0101010101010101");
  const CertKeyPairRecords second = test::CertKeyFrom("carol", "Andra CA", "0202020202020202");
  const CertKeyPairRecords third = test::CertKeyFrom("carol", "Tredje CA", "0303030303030303");

  std::string ListFile() const { return dir.file(kTrustedKeysFileName); }

  std::vector<std::string> Organisations() {
    std::vector<std::string> names;
    for (const ByteBuffer& entry : ReadTrustedKeys(dir.path())) {
      names.push_back(DisplayText(ReadCertKeyHeader(entry)->organisation));
    }
    return names;
  }

  void AddAll() {
    for (const CertKeyPairRecords* key : {&first, &second, &third}) {
      ASSERT_EQ(AddTrustedKey(dir.path(), key->publicRecord), KeyOutcome::kOk);
    }
  }
};

TEST_F(TrustedKeysTest, FileIsACountAndTheRecordsAsAdded) {
  EXPECT_FALSE(ReadTrustedKeyList(dir.path()));
  EXPECT_TRUE(ReadTrustedKeys(dir.path()).empty());
  ASSERT_EQ(AddTrustedKey(dir.path(), first.publicRecord), KeyOutcome::kOk);
  ASSERT_EQ(AddTrustedKey(dir.path(), second.publicRecord), KeyOutcome::kOk);
  ByteBuffer content;
  content.appendU16(2);
  content.appendField(first.publicRecord);
  content.appendField(second.publicRecord);
  ByteBuffer file;
  file.appendField(content);
  EXPECT_EQ(ToHex(test::FromString(test::ReadRaw(ListFile()))), ToHex(file));
}

TEST_F(TrustedKeysTest, RefusesTheSameKeyTwiceAndAnythingButAPublicCertificationKey) {
  ASSERT_EQ(AddTrustedKey(dir.path(), first.publicRecord), KeyOutcome::kOk);
  EXPECT_EQ(AddTrustedKey(dir.path(), first.publicRecord), KeyOutcome::kTrustedKeyDuplicate);
  EXPECT_EQ(AddTrustedKey(dir.path(), first.privateRecord), KeyOutcome::kCertKeyBadFormat);
  EXPECT_EQ(AddTrustedKey(dir.path(), test::KeyPairOf("alice").publicRecord), KeyOutcome::kCertKeyBadFormat);
  EXPECT_EQ(ReadTrustedKeys(dir.path()).size(), 1u);
  EXPECT_EQ(AddTrustedKey(dir.file("missing"), second.publicRecord), KeyOutcome::kTrustedKeyNotSaved);
}

// Key-IDs are chosen by whoever makes a key: a fake authority trusted first must not keep the
// real one, whose fingerprint the user approved, out of the list.
TEST_F(TrustedKeysTest, AnotherKeyWithATrustedKeyIdIsAddedAfterAWarningWithBothFingerprints) {
  const CertKeyPairRecords fake = test::CertKeyFrom("carol", "Första CA", "0101010101010101");
  ASSERT_EQ(AddTrustedKey(dir.path(), fake.publicRecord), KeyOutcome::kOk);
  test::WriteContent(dir.file("real.public_cert_key"), first.publicRecord);
  const KeyResult<TrustedKeyCandidate> real = ReadTrustedKeyCandidate(dir.file("real.public_cert_key"));
  ASSERT_TRUE(real.ok());
  const std::string fakeFingerprint = HexString(*ComputeFingerprint(fake.publicRecord));
  const std::string realFingerprint = HexString(*ComputeFingerprint(first.publicRecord));
  EXPECT_EQ(SharedKeyIdWarningFor(dir.path(), real.value),
            "Varning! Nyckel-ID 0101010101010101 finns redan i listan av betrodda nycklar, men för en annan "
            "nyckel.\nDen valda nyckelns fingerprint: " +
                realFingerprint + "\nBetrodd nyckel med samma Nyckel-ID: " + fakeFingerprint +
                "\nNyckel-ID väljs fritt av den som skapar en nyckel. Godkänn bara nyckeln om du har "
                "kontrollerat dess fingerprint med utfärdaren, och ta bort den betrodda nyckel som inte är "
                "äkta.");
  ASSERT_EQ(AddTrustedKey(dir.path(), first.publicRecord), KeyOutcome::kOk);
  EXPECT_EQ(ReadTrustedKeys(dir.path()).size(), 2u);
  EXPECT_EQ(AddTrustedKey(dir.path(), first.publicRecord), KeyOutcome::kTrustedKeyDuplicate);
  // The real authority's certificates verify now.
  const ByteBuffer& alicePublic = test::KeyPairOf("alice").publicRecord;
  test::WriteContent(dir.file("alice.certificate"),
                     *CreateCertificate(alicePublic, {test::CertificationOf(alicePublic, first)}));
  const KeyResult<PeerCertificate> peer = CheckPeerCertificate(dir.file("alice.certificate"), dir.path());
  ASSERT_TRUE(peer.ok());
  EXPECT_EQ(peer.value.results.at(0).status, CertificationStatus::kVerified);

  // No warning for a key alone with its Key-ID, nor for one already in the list (whose
  // addition is refused), nor without a readable list.
  test::WriteContent(dir.file("second.public_cert_key"), second.publicRecord);
  EXPECT_FALSE(
      SharedKeyIdWarningFor(dir.path(), ReadTrustedKeyCandidate(dir.file("second.public_cert_key")).value));
  EXPECT_FALSE(SharedKeyIdWarningFor(dir.path(), real.value));
  EXPECT_FALSE(SharedKeyIdWarningFor(dir.file("missing"), real.value));
}

TEST_F(TrustedKeysTest, AFullListRefusesTheNextKeyAndStaysAsItWas) {
  ByteBuffer content;
  content.appendU16(0xFFFF);
  for (std::uint32_t i = 0; i < 0xFFFF; ++i) content.appendU32(0);  // empty entries never match
  test::WriteContent(ListFile(), content);
  const std::string before = test::ReadRaw(ListFile());
  EXPECT_EQ(AddTrustedKey(dir.path(), first.publicRecord), KeyOutcome::kTrustedKeyNotSaved);
  EXPECT_EQ(test::ReadRaw(ListFile()), before);
}

TEST_F(TrustedKeysTest, DamagedListsAreReadAsFarAsTheyGo) {
  test::WriteContent(ListFile(), ByteBuffer());  // no count at all
  ASSERT_EQ(AddTrustedKey(dir.path(), first.publicRecord), KeyOutcome::kOk);
  EXPECT_EQ(Organisations(), std::vector<std::string>{"Första CA"});

  ByteBuffer content;
  content.appendU16(5);  // claims more than it holds
  content.appendField(first.publicRecord);
  test::WriteContent(ListFile(), content);
  ASSERT_EQ(AddTrustedKey(dir.path(), second.publicRecord), KeyOutcome::kOk);
  EXPECT_EQ(Organisations(), (std::vector<std::string>{"Första CA", "Andra CA"}));
}

TEST_F(TrustedKeysTest, RemovesTheEntryOfTheRowWhereverItIsNow) {
  const TrustedKeyRow firstRow{0, "", 0, "", HexString(*ComputeFingerprint(first.publicRecord))};
  EXPECT_EQ(RemoveTrustedKey(dir.path(), &firstRow), KeyOutcome::kTrustedListUnreadable);
  AddAll();
  const std::vector<TrustedKeyRow> rows = ListTrustedKeys(dir.path()).rows;
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(RemoveTrustedKey(dir.path(), nullptr), KeyOutcome::kNoTrustedKeySelected);
  ASSERT_EQ(RemoveTrustedKey(dir.path(), &rows[1]), KeyOutcome::kOk);
  EXPECT_EQ(Organisations(), (std::vector<std::string>{"Första CA", "Tredje CA"}));
  // The listing is older than that removal: its third row's key now stands second, and the
  // first key, at the place of the second row, is not what that row showed.
  ASSERT_EQ(RemoveTrustedKey(dir.path(), &rows[2]), KeyOutcome::kOk);
  EXPECT_EQ(Organisations(), std::vector<std::string>{"Första CA"});
  EXPECT_EQ(RemoveTrustedKey(dir.path(), &rows[1]), KeyOutcome::kOk);  // already gone: nothing changes
  EXPECT_EQ(Organisations(), std::vector<std::string>{"Första CA"});
  ASSERT_EQ(RemoveTrustedKey(dir.path(), &rows[0]), KeyOutcome::kOk);
  EXPECT_EQ(test::ReadRaw(ListFile()), std::string("\x02\0\0\0\0\0", 6));
  EXPECT_EQ(RemoveTrustedKey(dir.path(), &rows[0]), KeyOutcome::kOk);  // nothing left to remove
  EXPECT_FALSE(ListTrustedKeys(dir.path()).canRemove);
}

// Programs that change the list at once each keep the lock from reading to writing, so no
// change that reported success is lost, and one that waited too long says so and changes
// nothing.
TEST_F(TrustedKeysTest, ConcurrentChangesAreAllKept) {
  constexpr int kAdders = 8;
  std::vector<CertKeyPairRecords> keys;
  for (int i = 0; i < kAdders; ++i) {
    keys.push_back(test::CertKeyFrom(i % 2 ? "bob" : "carol", "CA " + std::to_string(i),
                                     std::string(15, '0') + std::to_string(i)));
  }
  const std::vector<bool> added = test::RunTogether(
      kAdders, [&](int i) { return AddTrustedKey(dir.path(), keys[i].publicRecord) == KeyOutcome::kOk; });
  EXPECT_EQ(added, std::vector<bool>(kAdders, true));
  EXPECT_EQ(ReadTrustedKeys(dir.path()).size(), static_cast<std::size_t>(kAdders));

  // One removes the first key while others add: the removed key stays removed.
  const TrustedKeyRow row = ListTrustedKeys(dir.path()).rows.front();
  const std::string removed = row.organisation;
  const std::vector<bool> changed = test::RunTogether(3, [&](int i) {
    const CertKeyPairRecords& key = i == 0 ? first : i == 1 ? second : third;
    return i == 0 ? RemoveTrustedKey(dir.path(), &row) == KeyOutcome::kOk
                  : AddTrustedKey(dir.path(), key.publicRecord) == KeyOutcome::kOk;
  });
  EXPECT_EQ(changed, std::vector<bool>(3, true));
  const std::vector<std::string> names = Organisations();
  EXPECT_EQ(names.size(), static_cast<std::size_t>(kAdders + 1));
  EXPECT_EQ(std::count(names.begin(), names.end(), removed), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), "Andra CA"), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), "Tredje CA"), 1);
}

TEST_F(TrustedKeysTest, ABusyFolderIsReportedAndNothingChanges) {
  AddAll();
  const std::string before = test::ReadRaw(ListFile());
  platform::SetFolderLockWait(std::chrono::milliseconds(100));
  {
    const platform::FolderLock other(dir.path());
    ASSERT_TRUE(other.held());
    const std::vector<bool> outcomes = test::RunTogether(2, [&](int i) {
      const TrustedKeyRow row = ListTrustedKeys(dir.path()).rows.front();
      return (i == 0
                  ? AddTrustedKey(dir.path(), test::CertKeyFrom("bob", "Ny", "0404040404040404").publicRecord)
                  : RemoveTrustedKey(dir.path(), &row)) == KeyOutcome::kFolderBusy;
    });
    EXPECT_EQ(outcomes, std::vector<bool>(2, true));
  }
  platform::SetFolderLockWait(platform::kFolderLockWait);
  EXPECT_EQ(test::ReadRaw(ListFile()), before);
  EXPECT_STREQ(MessageText(KeyOutcome::kFolderBusy),
               "Arbetsmappen används av ett annat Quillseal-program just nu. Försök igen om en stund.");
}

TEST_F(TrustedKeysTest, RowsKeepTheirEntryPastAnUnreadableEntry) {
  TrustedKeyListing listing = ListTrustedKeys(dir.path());
  EXPECT_FALSE(listing.readable || listing.canRemove);

  CertKeyHeader unknownType = *ReadCertKeyHeader(third.publicRecord);
  unknownType.keyType = 7;
  ByteBuffer content;
  content.appendU16(3);
  content.appendField(first.publicRecord);
  content.appendField(first.privateRecord);  // has a header but no fingerprint
  content.appendField(BuildCertKeyRecord(tag::kPublicCertKey, unknownType, test::FromHex("00")));
  test::WriteContent(ListFile(), content);

  listing = ListTrustedKeys(dir.path());
  EXPECT_TRUE(listing.readable && listing.canRemove);
  EXPECT_EQ(listing.unreadable, std::vector<std::size_t>{1});
  ASSERT_EQ(listing.rows.size(), 2u);
  EXPECT_EQ(listing.rows[0].entry, 0u);
  EXPECT_EQ(listing.rows[0].organisation, "Första CA");
  EXPECT_EQ(KeyTypeName(listing.rows[0].keyType), "RSA 2048bit");
  EXPECT_EQ(listing.rows[0].keyId, "0101010101010101");
  EXPECT_EQ(listing.rows[0].fingerprint, HexString(*ComputeFingerprint(first.publicRecord)));
  EXPECT_EQ(listing.rows[1].entry, 2u);
  EXPECT_EQ(KeyTypeName(listing.rows[1].keyType), "Okänd typ");

  // Removing the second row removes the third entry, not the unreadable second one.
  ASSERT_EQ(RemoveTrustedKey(dir.path(), &listing.rows[1]), KeyOutcome::kOk);
  const std::vector<ByteBuffer> left = ReadTrustedKeys(dir.path());
  ASSERT_EQ(left.size(), 2u);
  EXPECT_TRUE(left[1].equals(first.privateRecord));
}

TEST_F(TrustedKeysTest, CandidateFileOutcomes) {
  EXPECT_EQ(ReadTrustedKeyCandidate(dir.file("none")).outcome, KeyOutcome::kKeyFileUnreadable);
  test::WriteContent(dir.file("a.public_key"), test::KeyPairOf("alice").publicRecord);
  EXPECT_EQ(ReadTrustedKeyCandidate(dir.file("a.public_key")).outcome, KeyOutcome::kKeyUnreadable);
  test::WriteContent(dir.file("k.private_cert_key"), first.privateRecord);
  EXPECT_EQ(ReadTrustedKeyCandidate(dir.file("k.private_cert_key")).outcome,
            KeyOutcome::kFingerprintUnreadable);
  test::WriteContent(dir.file("k.public_cert_key"), first.publicRecord);
  const KeyResult<TrustedKeyCandidate> candidate = ReadTrustedKeyCandidate(dir.file("k.public_cert_key"));
  ASSERT_TRUE(candidate.ok());
  EXPECT_TRUE(candidate.value.record.equals(first.publicRecord));
  EXPECT_EQ(DisplayText(candidate.value.header.organisation), "Första CA");
  EXPECT_TRUE(candidate.value.fingerprint.equals(*ComputeFingerprint(first.publicRecord)));
}

}  // namespace
}  // namespace qs
