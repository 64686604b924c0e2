#pragma once
#include <string>

#include "base/byte_buffer.h"
#include "keys/key_result.h"
#include "keys/key_unlock.h"
#include "keys/locked_key.h"
#include "platform/file.h"

namespace qs {

// A ".key_backup" file is priv_key.bin's content with its private keys in plain, which the
// user is warned about (key_text::kBackupWarning) before choosing where, so that it opens on
// any machine; or, when the user gives a passphrase, locked with it.

struct KeyPairBackup {
  ByteBuffer content;         // priv_key.bin's content
  std::string suggestedName;  // the fingerprint in hex, so backups of different pairs differ
};

// kNothingToBackUp without a readable priv_key.bin or one that does not open (source asked
// where it is locked with a passphrase), kBackupNoFingerprint when its public record gives
// none. A plain priv_key.bin backed up without a passphrase is copied byte for byte.
KeyResult<KeyPairBackup> PrepareBackup(const std::string& workingFolder, PassphraseSource* source = nullptr,
                                       const KeyLocking& locking = {});

// Writes the content unchanged; kKeyPairNotSaved when it cannot, or when path names
// priv_key.bin. On kOk the user is told key_text::kBackupSaved.
KeyStatus WriteBackup(const std::string& workingFolder, const std::string& path, const ByteBuffer& content);

// Replaces priv_key.bin with a backup's content after checking that it holds a key pair
// (opened with a passphrase from source where it is locked) (see HoldsKeyPair) whose keys work (see
// KeyPairWorks): kBackupUnreadable when the file cannot be read or holds anything else, kBackupDamaged when
// its keys do not work, kKeyPairNotSaved when priv_key.bin cannot be written or is the chosen file. The write
// decides under the working folder's lock as WriteStoredKeyPair does (kFolderBusy,
// kKeyPairExists with Overwrite::kNever). A locked backup is stored as it is; a plain one
// is locked as new key pairs are (DefaultLocking). On every failure the stored key pair
// stays as it was.
KeyStatus RestoreKeyPair(const std::string& workingFolder, const std::string& backupPath,
                         platform::Overwrite overwrite = platform::Overwrite::kReplace,
                         PassphraseSource* source = nullptr);

}  // namespace qs
