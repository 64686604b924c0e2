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

KeyResult<KeyPairBackup> PrepareBackup(const std::string& workingFolder) {
  std::optional<ByteBuffer> content = ReadKeyFile(KeyPairPath(workingFolder));
  if (!content) return Failed<KeyPairBackup>(KeyOutcome::kNothingToBackUp);
  const std::optional<ByteBuffer> fingerprint =
      ComputeFingerprint(DecodeStoredKeyPair(*content).publicRecord);
  if (!fingerprint) return Failed<KeyPairBackup>(KeyOutcome::kBackupNoFingerprint);
  return {KeyOutcome::kOk, KeyPairBackup{std::move(*content), HexString(*fingerprint)}};
}

KeyOutcome WriteBackup(const std::string& workingFolder, const std::string& path, const ByteBuffer& content) {
  return WriteKeyFile(path, content, {KeyPairPath(workingFolder)}, platform::FileAccess::kOwnerOnly)
             ? KeyOutcome::kOk
             : KeyOutcome::kKeyPairNotSaved;
}

KeyOutcome RestoreKeyPair(const std::string& workingFolder, const std::string& backupPath,
                          platform::Overwrite overwrite) {
  const std::optional<ByteBuffer> content = ReadKeyFile(backupPath);
  if (!content) return KeyOutcome::kBackupUnreadable;
  const StoredKeyPair pair = DecodeStoredKeyPair(*content);
  if (!HoldsKeyPair(pair)) return KeyOutcome::kBackupUnreadable;
  // A damaged key replacing the working one would make every later decryption fail.
  if (!KeyPairWorks(pair.privateRecord, pair.publicRecord)) return KeyOutcome::kBackupDamaged;
  return StoreKeyPairContent(workingFolder, *content, overwrite, {backupPath}, KeyOutcome::kKeyPairNotSaved);
}

}  // namespace qs
