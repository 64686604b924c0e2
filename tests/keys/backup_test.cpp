#include "keys/backup.h"

#include <gtest/gtest.h>

#include "keys/key_pair_info.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "tests/keys/key_fixtures.h"
#include "tests/support/hex.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

using test::KeyPairOf;
using test::ReadRaw;
using test::TempFolder;

class BackupTest : public ::testing::Test {
 protected:
  TempFolder dir;
  std::string KeyPairFile() const { return dir.file(kKeyPairFileName); }
};

TEST_F(BackupTest, BackupThenRestoreGivesTheSameFile) {
  test::StoreTestKeyPair(dir.path(), "bob", "Bobs nyckel");
  const std::string original = ReadRaw(KeyPairFile());
  const KeyPairInfo before = DescribeStoredKeyPair(dir.path());

  const KeyResult<KeyPairBackup> backup = PrepareBackup(dir.path());
  ASSERT_TRUE(backup.ok());
  EXPECT_EQ(backup.value.suggestedName, HexString(*ComputeFingerprint(KeyPairOf("bob").publicRecord)));
  ASSERT_EQ(WriteBackup(dir.path(), dir.file("b.key_backup"), backup.value.content), KeyOutcome::kOk);
  EXPECT_EQ(ReadRaw(dir.file("b.key_backup")), original);

  test::StoreTestKeyPair(dir.path(), "carol", "Carols nyckel");
  ASSERT_EQ(RestoreKeyPair(dir.path(), dir.file("b.key_backup")), KeyOutcome::kOk);
  EXPECT_EQ(ReadRaw(KeyPairFile()), original);
  const KeyPairInfo after = DescribeStoredKeyPair(dir.path());
  EXPECT_EQ(after.fingerprint, before.fingerprint);
  EXPECT_EQ(after.name, "Bobs nyckel");
}

TEST_F(BackupTest, NothingToBackUpOrNoFingerprint) {
  EXPECT_EQ(PrepareBackup(dir.path()).outcome, KeyOutcome::kNothingToBackUp);
  const test::TestKeyPair& bob = KeyPairOf("bob");
  ASSERT_EQ(
      WriteStoredKeyPair(dir.path(), StoredKeyPair{bob.privateRecord, bob.privateRecord, KeyNameText("b")}),
      KeyOutcome::kOk);
  EXPECT_EQ(PrepareBackup(dir.path()).outcome, KeyOutcome::kBackupNoFingerprint);
}

TEST_F(BackupTest, NeverWritesOverTheKeyPairItself) {
  test::StoreTestKeyPair(dir.path(), "bob", "b");
  const std::string original = ReadRaw(KeyPairFile());
  EXPECT_EQ(WriteBackup(dir.path(), KeyPairFile(), test::FromString("x")), KeyOutcome::kKeyPairNotSaved);
  EXPECT_EQ(WriteBackup(dir.path(), dir.file("missing/b"), test::FromString("x")),
            KeyOutcome::kKeyPairNotSaved);
  EXPECT_EQ(ReadRaw(KeyPairFile()), original);
}

TEST_F(BackupTest, RestoreRefusesWhatIsNotAKeyPairAndKeepsTheStoredOne) {
  test::StoreTestKeyPair(dir.path(), "carol", "Carols nyckel");
  const std::string original = ReadRaw(KeyPairFile());
  const test::TestKeyPair& alice = KeyPairOf("alice");
  const test::TestKeyPair& bob = KeyPairOf("bob");

  const auto refused = [&](const ByteBuffer& content) {
    test::WriteContent(dir.file("x.key_backup"), content);
    return RestoreKeyPair(dir.path(), dir.file("x.key_backup")) == KeyOutcome::kBackupUnreadable &&
           ReadRaw(KeyPairFile()) == original;
  };
  EXPECT_TRUE(refused(ByteBuffer()));
  EXPECT_TRUE(refused(test::CertKeyFrom("bob", "CA", "01").privateRecord));
  EXPECT_TRUE(
      refused(EncodeStoredKeyPair(StoredKeyPair{alice.privateRecord, bob.publicRecord, KeyNameText("m")})));
  EXPECT_TRUE(
      refused(EncodeStoredKeyPair(StoredKeyPair{alice.publicRecord, alice.privateRecord, KeyNameText("m")})));
  // A key pair cut short inside its public record.
  const ByteBuffer whole = EncodeStoredKeyPair(StoredKeyPair{alice.privateRecord, alice.publicRecord, {}});
  EXPECT_TRUE(refused(whole.slice(4 + alice.privateRecord.length() + 4 + 40, 0)));

  EXPECT_EQ(RestoreKeyPair(dir.path(), dir.file("none")), KeyOutcome::kBackupUnreadable);
  test::WriteRaw(dir.file("short.key_backup"), std::string("\xff\0\0\0", 4));
  EXPECT_EQ(RestoreKeyPair(dir.path(), dir.file("short.key_backup")), KeyOutcome::kBackupUnreadable);
  EXPECT_EQ(ReadRaw(KeyPairFile()), original);
}

TEST_F(BackupTest, RestoreIntoAMissingFolderFailsToSave) {
  test::StoreTestKeyPair(dir.path(), "alice", "a");
  EXPECT_EQ(RestoreKeyPair(dir.file("missing"), KeyPairFile()), KeyOutcome::kKeyPairNotSaved);
  EXPECT_EQ(RestoreKeyPair(dir.path(), KeyPairFile()), KeyOutcome::kKeyPairNotSaved);
}

}  // namespace
}  // namespace qs
