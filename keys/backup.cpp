#include "keys/backup.h"

#include "crypto/key_wrap.h"
#include "keys/key_files.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "platform/working_folder.h"

namespace qs {
namespace {

std::string KeyPairPath(const std::string& workingFolder) {
  return platform::JoinPath(workingFolder, kKeyPairFileName);
}

}  // namespace

KeyResult<KeyPairBackup> PrepareBackup(const std::string& workingFolder, PassphraseSource* source,
                                       const KeyLocking& locking) {
  KeyCause cause;
  std::optional<ByteBuffer> content = ReadKeyFile(KeyPairPath(workingFolder), &cause);
  if (!content) return Failed<KeyPairBackup>(KeyOutcome::kNothingToBackUp, std::move(cause));
  const std::optional<ByteBuffer> fingerprint =
      ComputeFingerprint(DecodeStoredKeyPair(*content).publicRecord);
  if (!fingerprint) return Failed<KeyPairBackup>(KeyOutcome::kBackupNoFingerprint);
  if (KeyPairLock(*content) != KeyLock::kNone || locking.lock != KeyLock::kNone) {
    const std::optional<StoredKeyPair> pair =
        UnlockKeyPair(*content, KeyPairPath(workingFolder), source, cause);
    if (!pair) return Failed<KeyPairBackup>(KeyOutcome::kNothingToBackUp, std::move(cause));
    content = EncodeLockedKeyPair(*pair, locking);
    if (!content) return Failed<KeyPairBackup>(KeyOutcome::kKeyPairNotSaved);
  }
  return {KeyOutcome::kOk, KeyPairBackup{std::move(*content), HexString(*fingerprint)}};
}

KeyStatus WriteBackup(const std::string& workingFolder, const std::string& path, const ByteBuffer& content) {
  KeyCause cause;
  if (!WriteKeyFile(path, content, {KeyPairPath(workingFolder)}, platform::FileAccess::kOwnerOnly, &cause))
    return {KeyOutcome::kKeyPairNotSaved, std::move(cause)};
  return KeyOutcome::kOk;
}

KeyStatus RestoreKeyPair(const std::string& workingFolder, const std::string& backupPath,
                         platform::Overwrite overwrite, PassphraseSource* source) {
  KeyCause cause;
  std::optional<ByteBuffer> content = ReadKeyFile(backupPath, &cause);
  if (!content) return {KeyOutcome::kBackupUnreadable, std::move(cause)};
  const std::optional<StoredKeyPair> pair = UnlockKeyPair(*content, backupPath, source, cause);
  if (!pair) return {KeyOutcome::kBackupUnreadable, std::move(cause)};
  if (!HoldsKeyPair(*pair))
    return {KeyOutcome::kBackupUnreadable, FoundIn(backupPath, KeyFinding::kNotKeyPair)};
  // A damaged key replacing the working one would make every later decryption fail.
  if (!KeyPairWorks(pair->privateRecord, pair->publicRecord)) return KeyOutcome::kBackupDamaged;
  const KeyLocking locking = DefaultLocking();
  if (KeyPairLock(*content) == KeyLock::kNone && locking.lock != KeyLock::kNone) {
    content = EncodeLockedKeyPair(*pair, locking);
    if (!content) return KeyOutcome::kKeyPairNotSaved;
  }
  return StoreKeyPairContent(workingFolder, *content, overwrite, {backupPath}, KeyOutcome::kKeyPairNotSaved);
}

}  // namespace qs
