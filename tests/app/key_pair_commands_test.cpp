// The menu's export of the public key and the backup of the key pair: their suggested names,
// what they write, and what a refusal or a cancel leaves.
#include "app/key_pair_commands.h"

#include <gtest/gtest.h>

#include "app/resource_ids.h"
#include "keys/key_files.h"
#include "keys/key_store.h"
#include "keys/possession_proof.h"
#include "keys/record_text.h"
#include "tests/app/app_fixture.h"
#include "tests/support/hex.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

using Log = std::vector<std::string>;

constexpr char kExportDialog[] =
    "save@101: Välj plats för den publika nyckeln... | Publik nyckel (*.public_key)|*.public_key | "
    "public_key | ";
constexpr char kBackupDialog[] =
    "save@101: Välj plats för säkerhetskopian... | Säkerhetskopia av privat nyckel "
    "(*.key_backup)|*.key_backup | "
    "key_backup | ";
constexpr char kBackupWarning[] =
    "warn@101: VARNING! Nyckelparet innehåller den privata nyckel som måste hållas hemlig, lagra det "
    "exporterade nyckelparet på en säker plats!";

using KeyPairCommandsTest = test::AppTest;

TEST_F(KeyPairCommandsTest, ExportSuggestsTheKeyNameAndWritesThePublicRecordWithItsProof) {
  storeKeyPair("alice", "work key");
  ui_.chooseFile(path("alice.public_key"));
  main().click(IDM_EXPORT_PUBLIC_KEY);
  EXPECT_EQ(ui_.log(), (Log{std::string(kExportDialog) + "work_key"}));
  EXPECT_EQ(test::ToHex(ReadKeyFile(path("alice.public_key")).value_or(ByteBuffer())),
            test::ToHex(test::KeyPairOf("alice").publicRecord));
  EXPECT_TRUE(VerifyPossessionProof(test::KeyPairOf("alice").publicRecord,
                                    ReadKeyFile(path("alice.public_key.signature")).value_or(ByteBuffer())));
}

// The proof needs the generator: without its credit nothing is asked or written.
class UncreditedKeyPairCommandsTest : public test::AppTest {
 protected:
  UncreditedKeyPairCommandsTest() : AppTest(false) {}
};

TEST_F(UncreditedKeyPairCommandsTest, ExportWithoutTheGeneratorWritesNoKeyWithoutItsProof) {
  storeKeyPair("alice", "a");
  const std::string before = folderListing();
  main().click(IDM_EXPORT_PUBLIC_KEY);
  EXPECT_EQ(ui_.log(), (Log{"error@101: Fel: Slumptalsgeneratorn är inte initierad!"}));
  EXPECT_EQ(folderListing(), before);
}

TEST_F(KeyPairCommandsTest, ExportWithoutAKeyPairOrAfterACancelWritesNothing) {
  main().click(IDM_EXPORT_PUBLIC_KEY);
  EXPECT_EQ(ui_.log(), (Log{"error@101: Hittade ingen publik nyckel!\n" + state_.file(kKeyPairFileName) +
                            ": filen finns inte"}));
  storeKeyPair("alice", "a");
  ui_.clearLog();
  const std::string before = folderListing();
  ui_.chooseFile(std::nullopt);
  main().click(IDM_EXPORT_PUBLIC_KEY);
  EXPECT_EQ(ui_.log().size(), 1u) << "only the save dialog";
  EXPECT_EQ(folderListing(), before);
}

TEST_F(KeyPairCommandsTest, ExportOntoTheStoredKeyPairIsRefused) {
  storeKeyPair("alice", "a");
  const std::string stored = test::ReadRaw(path("priv_key.bin"));
  ui_.chooseFile(path("priv_key.bin"));
  main().click(IDM_EXPORT_PUBLIC_KEY);
  EXPECT_EQ(ui_.log().back(), "error@101: Kunde inte spara nyckeln!\n" + path("priv_key.bin") +
                                  ": målfilen är samma fil som källfilen");
  EXPECT_EQ(test::ReadRaw(path("priv_key.bin")), stored);
}

TEST_F(KeyPairCommandsTest, BackupWarnsThenCopiesTheKeyPairUnderItsFingerprint) {
  storeKeyPair("alice", "a");
  const std::string fingerprint = HexString(*ComputeFingerprint(test::KeyPairOf("alice").publicRecord));
  ui_.chooseFile(path("alice.key_backup"));
  main().click(IDM_BACKUP_KEY_PAIR);
  EXPECT_EQ(ui_.log(), (Log{kBackupWarning, kBackupDialog + fingerprint,
                            "info@101: Nyckelparet har säkerhetskopierats!"}));
  EXPECT_EQ(fingerprint.size(), 64u);
  // Plain, also where priv_key.bin is locked to the account.
  const test::TestKeyPair& alice = test::KeyPairOf("alice");
  EXPECT_EQ(test::ToHex(ReadKeyFile(path("alice.key_backup")).value_or(ByteBuffer())),
            test::ToHex(EncodeStoredKeyPair({alice.privateRecord, alice.publicRecord, KeyNameText("a")})));
}

TEST_F(KeyPairCommandsTest, BackupWithoutAKeyPairOrAfterACancelWritesNothing) {
  main().click(IDM_BACKUP_KEY_PAIR);
  EXPECT_EQ(ui_.log(), (Log{"error@101: Det finns ingen privat nyckel att säkerhetskopiera.\n" +
                            state_.file(kKeyPairFileName) + ": filen finns inte"}));
  storeKeyPair("alice", "a");
  ui_.clearLog();
  const std::string before = folderListing();
  ui_.chooseFile(std::nullopt);
  main().click(IDM_BACKUP_KEY_PAIR);
  EXPECT_EQ(ui_.log().size(), 2u) << "the warning and the save dialog, nothing after";
  EXPECT_EQ(folderListing(), before);
}

TEST_F(KeyPairCommandsTest, BackupOntoTheStoredKeyPairIsRefused) {
  storeKeyPair("alice", "a");
  const std::string stored = test::ReadRaw(path("priv_key.bin"));
  ui_.chooseFile(path("priv_key.bin"));
  main().click(IDM_BACKUP_KEY_PAIR);
  EXPECT_EQ(ui_.log().back(), "error@101: Fel: Kunde inte spara krypteringsnyckeln.\n" +
                                  path("priv_key.bin") + ": målfilen är samma fil som källfilen");
  EXPECT_EQ(test::ReadRaw(path("priv_key.bin")), stored);
}

// Each command that opens the private key asks for a passphrase it is locked with, and a
// cancel ends it without a word and with nothing written.
TEST_F(KeyPairCommandsTest, APassphraseLockedKeyPairIsAskedForByExportBackupAndRestore) {
  storeKeyPair("alice", "a", "alices fras");
  const std::string stored = test::ReadRaw(path("priv_key.bin"));
  const std::string before = folderListing();
  answerPassphrase(std::nullopt);
  ui_.chooseFile(path("alice.public_key"));
  main().click(IDM_EXPORT_PUBLIC_KEY);
  answerPassphrase(std::nullopt);
  main().click(IDM_BACKUP_KEY_PAIR);
  EXPECT_EQ(ui_.log(), (Log{std::string(kExportDialog) + "a", "dialog 127@101", "end 127: 0",
                            "dialog 127@101", "end 127: 0"}));
  EXPECT_EQ(folderListing(), before);

  ui_.clearLog();
  answerPassphrase("alices fras");
  ui_.chooseFile(path("alice.public_key"));
  main().click(IDM_EXPORT_PUBLIC_KEY);
  EXPECT_TRUE(VerifyPossessionProof(test::KeyPairOf("alice").publicRecord,
                                    ReadKeyFile(path("alice.public_key.signature")).value_or(ByteBuffer())));

  // The backup is the plain copy the warning speaks of.
  answerPassphrase("alices fras");
  ui_.chooseFile(path("alice.key_backup"));
  main().click(IDM_BACKUP_KEY_PAIR);
  EXPECT_EQ(ui_.logOf("dialog 127"), (Log{"dialog 127@101", "dialog 127@101"}));
  EXPECT_EQ(ui_.log().back(), "info@101: Nyckelparet har säkerhetskopierats!");
  const ByteBuffer backup = ReadKeyFile(path("alice.key_backup")).value_or(ByteBuffer());
  EXPECT_EQ(KeyPairLock(backup), KeyLock::kNone);
  EXPECT_EQ(test::ToHex(DecodeStoredKeyPair(backup).privateRecord),
            test::ToHex(test::KeyPairOf("alice").privateRecord));
  EXPECT_EQ(test::ReadRaw(path("priv_key.bin")), stored) << "the stored pair stays locked";

  // A backup locked with a passphrase is opened to check its keys and stored as it is.
  const std::optional<ByteBuffer> lockedBackup = EncodeLockedKeyPair(
      {test::KeyPairOf("bob").privateRecord, test::KeyPairOf("bob").publicRecord, KeyNameText("b")},
      passphraseLock("bobs fras"));
  ASSERT_TRUE(lockedBackup);
  const std::string bobBackup = writeKeyFile("bob.key_backup", *lockedBackup);
  ui_.clearLog();
  ui_.chooseFile(bobBackup);
  answerPassphrase(std::nullopt);
  RestoreKeyPairCommand(ui_, state_, main(), platform::Overwrite::kReplace);
  EXPECT_EQ(ui_.logOf("error"), Log{});
  EXPECT_EQ(test::ReadRaw(path("priv_key.bin")), stored);
  ui_.chooseFile(bobBackup);
  answerPassphrase("bobs fras");
  RestoreKeyPairCommand(ui_, state_, main(), platform::Overwrite::kReplace);
  EXPECT_EQ(ui_.logOf("dialog"), (Log{"dialog 127@101", "dialog 127@101"}));
  EXPECT_EQ(test::ReadRaw(path("priv_key.bin")), test::ReadRaw(bobBackup));
}

}  // namespace
}  // namespace qs
