#pragma once
#include <cstdint>

namespace qs {

// What a key, certification, certificate, trusted-list or backup operation came to. Every
// failure that the user is told about has its own value, so the GUI and the command line
// show the same words (operations/key_messages.h).
enum class KeyOutcome : std::uint8_t {
  kOk,
  // The stored key pair and its export.
  kNoPublicKey,          // no readable priv_key.bin to export from
  kPublicKeyNotSaved,    // the ".public_key" file could not be written
  kPublicKeyNotSigned,   // its proof of possession could not be made; nothing written
  kKeysUnavailable,      // the keys for a file command could not be gathered
  kKeyPairNotSaved,      // priv_key.bin (restore) or a backup could not be written
  kKeyPairNotGenerated,  // generation failed or was cancelled
  kNewKeyPairNotSaved,   // a generated key pair could not be written to priv_key.bin
  kKeyPairExists,        // a key pair was stored meanwhile that nobody agreed to replace
  // Certification key pairs.
  kCertKeysNotCreated,
  kNewCertKeysUnreadable,
  kPrivateCertKeyNotWritten,
  kPublicCertKeyNotWritten,
  // Certifying a public key.
  kPublicKeyFileUnreadable,
  kPrivateCertKeyUnreadable,
  kNoDataFields,
  kPublicKeyNoFingerprint,
  kPossessionProofMissing,  // no readable signature file beside the ".public_key" file
  kPossessionProofInvalid,  // not the record's own signing key's proof over that file
  kCertificationNotCreated,
  kCertificationHeaderUnreadable,
  kCertificationNotWritten,
  // Assembling a certificate.
  kCertificationFileUnreadable,
  kNoCertificationSelected,
  kCertificateNotCreated,
  kCertificateNotWritten,
  // Trusted certification keys.
  kCertKeyBadFormat,
  kTrustedKeyDuplicate,
  kTrustedKeyNotSaved,
  kKeyFileUnreadable,
  kKeyUnreadable,
  kFingerprintUnreadable,
  kNoTrustedKeySelected,
  kTrustedListUnreadable,
  kTrustedListNotWritten,
  kStoredTrustedKeyUnreadable,
  // Backup and restore.
  kNothingToBackUp,
  kBackupNoFingerprint,
  kBackupUnreadable,
  kBackupDamaged,  // a key pair whose keys do not work: p·q ≠ n, or a private operation fails
  // Any change of a working-folder file.
  kFolderBusy,  // another program kept the working folder's lock through the whole wait
};

}  // namespace qs
