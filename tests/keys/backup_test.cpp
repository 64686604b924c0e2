#include "keys/backup.h"

#include <gtest/gtest.h>

#include "base/record.h"
#include "crypto/key_records.h"
#include "crypto/key_wrap.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "operations/key_messages.h"
#include "operations/key_pair_info.h"
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

  // A backup file of a test key pair.
  void WriteContentOf(const std::string& file, const std::string& pair) {
    const test::TestKeyPair& keys = KeyPairOf(pair);
    test::WriteContent(dir.file(file),
                       EncodeStoredKeyPair({keys.privateRecord, keys.publicRecord, KeyNameText(pair)}));
  }
};

// A plain priv_key.bin, as every earlier build wrote it, is backed up byte for byte; restored,
// it is locked as new key pairs are.
TEST_F(BackupTest, BackupThenRestoreGivesTheSameFile) {
  const test::TestKeyPair& bob = KeyPairOf("bob");
  ASSERT_EQ(WriteStoredKeyPair(dir.path(),
                               StoredKeyPair{bob.privateRecord, bob.publicRecord, KeyNameText("Bobs nyckel")},
                               platform::Overwrite::kReplace, KeyLocking{}),
            KeyOutcome::kOk);
  const std::string original = ReadRaw(KeyPairFile());
  const KeyPairInfo before = DescribeStoredKeyPair(dir.path());

  const KeyResult<KeyPairBackup> backup = PrepareBackup(dir.path());
  ASSERT_TRUE(backup.ok());
  EXPECT_EQ(backup.value.suggestedName, HexString(*ComputeFingerprint(KeyPairOf("bob").publicRecord)));
  ASSERT_EQ(WriteBackup(dir.path(), dir.file("b.key_backup"), backup.value.content), KeyOutcome::kOk);
  EXPECT_EQ(ReadRaw(dir.file("b.key_backup")), original);

  test::StoreTestKeyPair(dir.path(), "carol", "Carols nyckel");
  ASSERT_EQ(RestoreKeyPair(dir.path(), dir.file("b.key_backup")), KeyOutcome::kOk);
  KeyCause cause;
  const std::optional<StoredKeyPair> restored = OpenStoredKeyPair(dir.path(), nullptr, cause);
  ASSERT_TRUE(restored);
  EXPECT_TRUE(restored->privateRecord.equals(bob.privateRecord));
  EXPECT_EQ(LockOf(ReadStoredKeyPair(dir.path())->privateRecord), DefaultLocking().lock);
  if (DefaultLocking().lock == KeyLock::kNone) {
    EXPECT_EQ(ReadRaw(KeyPairFile()), original);
  }
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

// A key pair of the right shape whose keys do not work would replace the good one and make
// every later decryption fail: one bit of p, q, dP, dQ or qInv, or the modulus of the other
// key, is refused as damaged, and the stored pair stays.
TEST_F(BackupTest, RestoreRefusesADamagedKeyPair) {
  for (const char* name : {"alice", "bob", "carol"}) {  // made by the generator: each works
    EXPECT_TRUE(KeyPairWorks(KeyPairOf(name).privateRecord, KeyPairOf(name).publicRecord)) << name;
  }
  const test::TestKeyPair& carol = KeyPairOf("carol");  // both keys 2048 bits: k = 256
  const KeyRecord secret = *ReadKeyRecord(carol.privateRecord, tag::kPrivateKey);
  const KeyRecord known = *ReadKeyRecord(carol.publicRecord, tag::kPublicKey);
  const auto restored = [&](const KeyRecord& privateKey, const KeyRecord& publicKey) {
    const StoredKeyPair pair{BuildKeyRecord(tag::kPrivateKey, privateKey),
                             BuildKeyRecord(tag::kPublicKey, publicKey), KeyNameText("c")};
    test::WriteContent(dir.file("c.key_backup"), EncodeStoredKeyPair(pair));
    return RestoreKeyPair(dir.path(), dir.file("c.key_backup"));
  };
  ASSERT_EQ(restored(secret, known), KeyOutcome::kOk);
  test::StoreTestKeyPair(dir.path(), "alice", "Alices nyckel");
  const std::string original = ReadRaw(KeyPairFile());
  // Offsets in a 2048-bit private blob: p 0, q 128, dP 256, dQ 384, qInv 512 (n from 640).
  for (const bool signing : {false, true}) {
    for (const std::uint32_t at : {5u, 128u + 5, 256u + 5, 384u + 5, 512u + 5}) {
      SCOPED_TRACE(testing::Message() << (signing ? "signing" : "encryption") << " key, byte " << at);
      KeyRecord damaged = secret;
      ByteBuffer& blob = signing ? damaged.signingKey : damaged.encryptionKey;
      blob.data()[at] ^= 0x02;  // p and q stay odd
      EXPECT_EQ(restored(damaged, known), KeyOutcome::kBackupDamaged);
      EXPECT_EQ(ReadRaw(KeyPairFile()), original);
    }
  }
  // The encryption key's modulus replaced by the signing key's, in both records alike.
  KeyRecord otherSecret = secret;
  KeyRecord otherKnown = known;
  otherKnown.encryptionKey = known.signingKey;
  for (std::uint32_t i = 0; i < 256; ++i) otherSecret.encryptionKey.data()[640 + i] = known.signingKey.at(i);
  EXPECT_EQ(restored(otherSecret, otherKnown), KeyOutcome::kBackupDamaged);
  EXPECT_EQ(ReadRaw(KeyPairFile()), original);
  EXPECT_STREQ(MessageText(KeyOutcome::kBackupDamaged),
               "Fel: Säkerhetskopian är skadad, dess nycklar fungerar inte. Det lagrade nyckelparet har inte "
               "ändrats.");
}

// Without leave to replace, a key pair stored by then (by another program, say) stays.
TEST_F(BackupTest, RestoreReplacesOnlyWhatItMay) {
  WriteContentOf("b.key_backup", "bob");
  EXPECT_EQ(RestoreKeyPair(dir.path(), dir.file("b.key_backup"), platform::Overwrite::kNever),
            KeyOutcome::kOk);
  test::StoreTestKeyPair(dir.path(), "carol", "c");
  const std::string carol = ReadRaw(KeyPairFile());
  EXPECT_EQ(RestoreKeyPair(dir.path(), dir.file("b.key_backup"), platform::Overwrite::kNever),
            KeyOutcome::kKeyPairExists);
  EXPECT_EQ(ReadRaw(KeyPairFile()), carol);
}

TEST_F(BackupTest, RestoreIntoAMissingFolderFailsToSave) {
  test::StoreTestKeyPair(dir.path(), "alice", "a");
  EXPECT_EQ(RestoreKeyPair(dir.file("missing"), KeyPairFile()), KeyOutcome::kKeyPairNotSaved);
  EXPECT_EQ(RestoreKeyPair(dir.path(), KeyPairFile()), KeyOutcome::kKeyPairNotSaved);
}

}  // namespace
}  // namespace qs
