#include "keys/locked_key.h"

#include <gtest/gtest.h>

#include <deque>

#include "base/record.h"
#include "crypto/random_generator.h"
#include "crypto/sha256.h"
#include "keys/backup.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "platform/account_protection.h"
#include "platform/working_folder.h"
#include "tests/keys/key_fixtures.h"
#include "tests/support/seeded_generator.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

constexpr ScryptCost kQuickCost{4, 1, 1};  // a derivation in microseconds, for tests only

KeyLocking Passphrase(RandomGenerator& generator, const std::string& passphrase) {
  KeyLocking locking;
  locking.lock = KeyLock::kPassphrase;
  locking.passphrase = SecretText(passphrase);
  locking.generator = &generator;
  locking.cost = kQuickCost;
  return locking;
}

// Answers each question with the next of its passphrases, then with none.
class ScriptedPassphrases final : public PassphraseSource {
 public:
  explicit ScriptedPassphrases(std::deque<std::string> answers) : answers_(std::move(answers)) {}
  std::optional<std::string> passphrase(const std::string& /*file*/, bool retry) override {
    retries += retry ? 1 : 0;
    if (answers_.empty()) return std::nullopt;
    std::string next = answers_.front();
    answers_.pop_front();
    return next;
  }
  int retries = 0;

 private:
  std::deque<std::string> answers_;
};

// A locked record whose check is made to hold again after a change, as an attacker could.
ByteBuffer WithCheckRedone(ByteBuffer record, const ByteBuffer& bound) {
  const std::uint32_t checkStart = record.length() - 4 - kSha256DigestBytes;
  ByteBuffer message = record.slice(checkStart, 0);
  message.append(bound);
  const ByteBuffer check = Sha256(message.span());
  for (std::uint32_t i = 0; i < check.length(); ++i) record.at(checkStart + 4 + i) = check.at(i);
  return record;
}

TEST(LockedKey, APassphraseLockOpensOnlyWithItsPassphraseAndItsBoundBytes) {
  const auto generator = test::SeededGenerator();
  const ByteBuffer plain = test::KeyPairOf("bob").privateRecord;
  const ByteBuffer bound = ByteBuffer::fromText("public record and name");
  const std::optional<ByteBuffer> locked = LockKeyRecord(plain, bound, Passphrase(*generator, "rätt fras"));
  ASSERT_TRUE(locked);
  EXPECT_TRUE(IsLockedKey(*locked));
  EXPECT_EQ(LockOf(*locked), KeyLock::kPassphrase);

  const Unlocked opened = UnlockKey(*locked, bound, "rätt fras");
  ASSERT_EQ(opened.failure, UnlockFailure::kNone);
  EXPECT_TRUE(opened.record.equals(plain));

  struct Case {
    const char* what;
    std::string passphrase;
    ByteBuffer bound;
    UnlockFailure failure;
  };
  const Case cases[] = {
      {"wrong passphrase", "fel fras", bound, UnlockFailure::kWrongPassphrase},
      {"empty passphrase", "", bound, UnlockFailure::kWrongPassphrase},
      {"a prefix of it", "rätt", bound, UnlockFailure::kWrongPassphrase},
      {"other bound bytes", "rätt fras", ByteBuffer::fromText("public record and namf"),
       UnlockFailure::kDamaged},
      {"no bound bytes", "rätt fras", ByteBuffer(), UnlockFailure::kDamaged},
  };
  for (const Case& c : cases)
    EXPECT_EQ(UnlockKey(*locked, c.bound, c.passphrase).failure, c.failure) << c.what;

  // With the check redone for other bound bytes, the seal still refuses them.
  const ByteBuffer otherBound = ByteBuffer::fromText("another public record");
  EXPECT_EQ(UnlockKey(WithCheckRedone(*locked, otherBound), otherBound, "rätt fras").failure,
            UnlockFailure::kWrongPassphrase);
  // Two locks of one key share neither salt nor IV.
  EXPECT_FALSE(LockKeyRecord(plain, bound, Passphrase(*generator, "rätt fras"))->equals(*locked));
}

TEST(LockedKey, EveryChangedByteIsRefusedAndNeverOpensToAnotherKey) {
  const auto generator = test::SeededGenerator();
  const ByteBuffer plain = test::KeyPairOf("carol").privateRecord;
  const ByteBuffer bound = ByteBuffer::fromText("bound");
  const ByteBuffer locked = *LockKeyRecord(plain, bound, Passphrase(*generator, "fras"));
  const std::uint32_t checkStart = locked.length() - 4 - kSha256DigestBytes;
  for (std::uint32_t i = 0; i < locked.length(); ++i) {
    ByteBuffer changed = locked;
    changed.at(i) ^= 0x01;
    EXPECT_NE(UnlockKey(changed, bound, "fras").failure, UnlockFailure::kNone) << "byte " << i;
    // Even with the check made to hold, only the seal can say yes, and it does not.
    if (i < checkStart) {
      EXPECT_NE(UnlockKey(WithCheckRedone(changed, bound), bound, "fras").failure, UnlockFailure::kNone)
          << "byte " << i;
    }
  }
  for (std::uint32_t cut = 0; cut < locked.length(); cut += 7)
    EXPECT_EQ(UnlockKey(locked.slice(cut, 0), bound, "fras").failure, UnlockFailure::kDamaged) << cut;
  ByteBuffer longer = locked;
  longer.appendU8(0);
  EXPECT_EQ(UnlockKey(longer, bound, "fras").failure, UnlockFailure::kDamaged);
}

TEST(LockedKey, AHostileCostIsRefusedBeforeAnyWorkAndNeverWritten) {
  const auto generator = test::SeededGenerator();
  const ByteBuffer bound = ByteBuffer::fromText("bound");
  const ByteBuffer locked =
      *LockKeyRecord(test::KeyPairOf("bob").privateRecord, bound, Passphrase(*generator, "f"));
  // The cost follows the tag field, the version and the lock: log2 N, then r.
  const std::uint32_t costAt = 4 + static_cast<std::uint32_t>(sizeof tag::kLockedKey - 1) + 2 + 2;
  ByteBuffer huge = locked;
  huge.at(costAt) = 40;
  EXPECT_EQ(UnlockKey(WithCheckRedone(huge, bound), bound, "f").failure, UnlockFailure::kCostRefused);
  KeyLocking refused = Passphrase(*generator, "f");
  refused.cost = ScryptCost{40, 8, 1};
  EXPECT_FALSE(LockKeyRecord(test::KeyPairOf("bob").privateRecord, bound, refused));
  KeyLocking noGenerator = Passphrase(*generator, "f");
  noGenerator.generator = nullptr;
  EXPECT_FALSE(LockKeyRecord(test::KeyPairOf("bob").privateRecord, bound, noGenerator));
}

TEST(LockedKey, AnAccountLockOpensForTheAccountAndSaysSoElsewhere) {
  const ByteBuffer plain = test::KeyPairOf("bob").privateRecord;
  const ByteBuffer bound = ByteBuffer::fromText("bound");
  KeyLocking account;
  account.lock = KeyLock::kAccount;
  if (!platform::AccountProtectionAvailable()) {
    EXPECT_EQ(DefaultLocking().lock, KeyLock::kNone);
    EXPECT_FALSE(LockKeyRecord(plain, bound, account));
    // What Windows wrote: the sealed bytes cannot be opened here, and the message says why.
    ByteBuffer record;
    AppendRecordHeader(record, tag::kLockedKey);
    record.appendU16(static_cast<std::uint16_t>(KeyLock::kAccount));
    record.appendField(ByteBuffer::fromText("sealed by the system"));
    record.appendField(ByteBuffer::zeros(kSha256DigestBytes));
    EXPECT_EQ(UnlockKey(WithCheckRedone(record, bound), bound, "").failure, UnlockFailure::kNotHere);
    return;
  }
  EXPECT_EQ(DefaultLocking().lock, KeyLock::kAccount);
  const std::optional<ByteBuffer> locked = LockKeyRecord(plain, bound, account);
  ASSERT_TRUE(locked);
  const Unlocked opened = UnlockKey(*locked, bound, "");
  ASSERT_EQ(opened.failure, UnlockFailure::kNone);
  EXPECT_TRUE(opened.record.equals(plain));
  const ByteBuffer otherBound = ByteBuffer::fromText("other");
  EXPECT_EQ(UnlockKey(WithCheckRedone(*locked, otherBound), otherBound, "").failure,
            UnlockFailure::kOtherAccount);
}

TEST(LockedKeyPair, OpensAfterAWrongTryAndNamesEachWayItFails) {
  test::TempFolder dir;
  const auto generator = test::SeededGenerator();
  const test::TestKeyPair& bob = test::KeyPairOf("bob");
  const StoredKeyPair pair{bob.privateRecord, bob.publicRecord, KeyNameText("Bob")};
  ASSERT_EQ(
      WriteStoredKeyPair(dir.path(), pair, platform::Overwrite::kReplace, Passphrase(*generator, "fras")),
      KeyOutcome::kOk);
  // The public half stays readable without the passphrase.
  const std::optional<StoredKeyPair> stored = ReadStoredKeyPair(dir.path());
  ASSERT_TRUE(stored);
  EXPECT_TRUE(stored->publicRecord.equals(bob.publicRecord));
  EXPECT_TRUE(IsLockedKey(stored->privateRecord));

  struct Case {
    const char* what;
    std::deque<std::string> answers;
    KeyFinding finding;
  };
  const Case cases[] = {
      {"right at once", {"fras"}, KeyFinding::kNone},
      {"right at the second try", {"fel", "fras"}, KeyFinding::kNone},
      {"none given", {}, KeyFinding::kPassphraseNotGiven},
      {"wrong, then none", {"fel"}, KeyFinding::kWrongPassphrase},
  };
  const std::string file = platform::JoinPath(dir.path(), kKeyPairFileName);
  for (const Case& c : cases) {
    ScriptedPassphrases source(c.answers);
    KeyCause cause;
    const std::optional<StoredKeyPair> opened = OpenStoredKeyPair(dir.path(), &source, cause);
    EXPECT_EQ(cause.finding, c.finding) << c.what;
    EXPECT_EQ(opened.has_value(), c.finding == KeyFinding::kNone) << c.what;
    if (opened) {
      EXPECT_TRUE(opened->privateRecord.equals(bob.privateRecord)) << c.what;
    } else {
      EXPECT_EQ(cause.file.file, file) << c.what;
    }
  }
  KeyCause noSource;
  EXPECT_FALSE(OpenStoredKeyPair(dir.path(), nullptr, noSource));
  EXPECT_EQ(noSource.finding, KeyFinding::kPassphraseNotGiven);

  // Another public record under the lock: the check catches it before any question.
  StoredKeyPair swapped = *stored;
  swapped.publicRecord = test::KeyPairOf("carol").publicRecord;
  ScriptedPassphrases neverAsked({"fras"});
  KeyCause cause;
  EXPECT_FALSE(UnlockKeyPair(EncodeStoredKeyPair(swapped), file, &neverAsked, cause));
  EXPECT_EQ(cause.finding, KeyFinding::kLockDamaged);
}

TEST(LockedKeyPair, RelockingChangesOnlyTheLockAndBackupsStayPortableUnlessLocked) {
  test::TempFolder dir;
  const auto generator = test::SeededGenerator();
  test::StoreTestKeyPair(dir.path(), "bob", "Bob");
  const test::TestKeyPair& bob = test::KeyPairOf("bob");
  ScriptedPassphrases none({});
  ASSERT_EQ(RelockStoredKeyPair(dir.path(), &none, Passphrase(*generator, "ny fras")), KeyOutcome::kOk);
  KeyCause cause;
  ScriptedPassphrases right({"ny fras"});
  const std::optional<StoredKeyPair> relocked = OpenStoredKeyPair(dir.path(), &right, cause);
  ASSERT_TRUE(relocked);
  EXPECT_TRUE(relocked->privateRecord.equals(bob.privateRecord));
  EXPECT_EQ(DisplayText(relocked->keyName), "Bob");

  // A backup without a passphrase holds the plain pair, as every earlier build wrote it.
  ScriptedPassphrases forBackup({"ny fras"});
  const KeyResult<KeyPairBackup> plain = PrepareBackup(dir.path(), &forBackup);
  ASSERT_TRUE(plain.ok());
  EXPECT_TRUE(plain.value.content.equals(EncodeStoredKeyPair(*relocked)));
  // Without the passphrase nothing is backed up.
  ScriptedPassphrases wrong({"fel"});
  EXPECT_EQ(PrepareBackup(dir.path(), &wrong).cause.finding, KeyFinding::kWrongPassphrase);

  // A backup locked with a passphrase restores, asking for it, and stays locked.
  ScriptedPassphrases again({"ny fras"});
  const KeyResult<KeyPairBackup> locked = PrepareBackup(dir.path(), &again, Passphrase(*generator, "backup"));
  ASSERT_TRUE(locked.ok());
  const std::string backupPath = dir.file("locked.key_backup");
  ASSERT_EQ(WriteBackup(dir.path(), backupPath, locked.value.content), KeyOutcome::kOk);
  test::TempFolder other;
  ScriptedPassphrases cancel({});
  const KeyStatus refused = RestoreKeyPair(other.path(), backupPath, platform::Overwrite::kReplace, &cancel);
  EXPECT_EQ(refused.outcome, KeyOutcome::kBackupUnreadable);
  EXPECT_EQ(refused.cause.finding, KeyFinding::kPassphraseNotGiven);
  EXPECT_FALSE(KeyPairStored(other.path()));
  ScriptedPassphrases backupPassphrase({"backup"});
  ASSERT_EQ(RestoreKeyPair(other.path(), backupPath, platform::Overwrite::kReplace, &backupPassphrase),
            KeyOutcome::kOk);
  const std::optional<StoredKeyPair> restored = ReadStoredKeyPair(other.path());
  ASSERT_TRUE(restored);
  EXPECT_EQ(LockOf(restored->privateRecord), KeyLock::kPassphrase);
}

}  // namespace
}  // namespace qs
