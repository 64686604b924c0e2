#pragma once
#include <cstdint>
#include <utility>

#include "formats/file_result.h"
#include "keys/key_outcome.h"

namespace qs {

// What a key file held instead of what the operation needed; the file could be read.
enum class KeyFinding : std::uint8_t {
  kNone,
  kNotKeyFile,              // no record of any kind this program writes
  kNotCertificate,          // a record, but no personal certificate
  kCertKeyNotCertificate,   // a certification key where a personal certificate belongs
  kNotPublicKey,            // no ".public_key" record
  kNotPublicCertKey,        // no public certification key
  kNotCertification,        // no certification
  kNotKeyPair,              // no key pair (priv_key.bin or a backup)
  kUntrustedCertification,  // a certification whose authority's key does not verify it
  // A private key locked at rest (keys/locked_key.h) that could not be opened.
  kLockDamaged,           // the lock's record is damaged
  kLockCostRefused,       // its passphrase cost is beyond what this program spends
  kLockedToWindows,       // locked to a Windows account, read on another system
  kLockedToOtherAccount,  // this account on this machine cannot open it
  kWrongPassphrase,
  kPassphraseNotGiven,  // the user gave none: cancelled, or no way to ask
};

// The file a key operation failed on: what the system or the container said about it, or,
// for a file that could be read, what it held.
struct KeyCause {
  FileCause file;
  KeyFinding finding = KeyFinding::kNone;
};

// The outcome of a key operation that gives no value, with its cause.
struct KeyStatus {
  // An outcome without a cause converts, as most outcomes concern no file.
  KeyStatus(KeyOutcome outcome_ = KeyOutcome::kOk,
            KeyCause cause_ = {})  // NOLINT(google-explicit-constructor)
      : outcome(outcome_), cause(std::move(cause_)) {}

  KeyOutcome outcome = KeyOutcome::kOk;
  KeyCause cause;

  bool ok() const { return outcome == KeyOutcome::kOk; }
  bool operator==(KeyOutcome other) const { return outcome == other; }
};

// A value together with the outcome that produced it; the value means something only when
// the outcome is kOk, the cause only when it is not (and may then be empty).
template <typename T>
struct KeyResult {
  KeyResult() = default;
  KeyResult(KeyOutcome outcome_, T value_, KeyCause cause_ = {})
      : outcome(outcome_), value(std::move(value_)), cause(std::move(cause_)) {}

  KeyOutcome outcome = KeyOutcome::kOk;
  T value{};
  KeyCause cause;

  bool ok() const { return outcome == KeyOutcome::kOk; }
  KeyStatus status() const { return {outcome, cause}; }
};

template <typename T>
KeyResult<T> Failed(KeyOutcome outcome, KeyCause cause = {}) {
  return KeyResult<T>(outcome, T{}, std::move(cause));
}

// The last failing file call's error, on that file.
inline KeyCause SystemCause(const std::string& file) {
  return KeyCause{FileCause{file, Finding::kSystem, platform::LastFileError()}};
}

// A working folder whose lock could not be taken, though nobody held it.
inline KeyCause FolderCause(const std::string& folder) {
  const platform::FileError error = platform::LastFileError();
  return KeyCause{
      FileCause{folder, Finding::kSystem,
                error == platform::FileError::kNotFound ? platform::FileError::kNoFolder : error}};
}

// What was found in a file that could be read.
inline KeyCause FoundIn(const std::string& file, KeyFinding finding) {
  return KeyCause{FileCause{file}, finding};
}

}  // namespace qs
