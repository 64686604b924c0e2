#include "keys/key_unlock.h"

#include "base/secret_text.h"
#include "keys/locked_key.h"

namespace qs {
namespace {

KeyFinding FindingOf(UnlockFailure failure) {
  switch (failure) {
    case UnlockFailure::kCostRefused:
      return KeyFinding::kLockCostRefused;
    case UnlockFailure::kNotHere:
      return KeyFinding::kLockedToWindows;
    case UnlockFailure::kOtherAccount:
      return KeyFinding::kLockedToOtherAccount;
    case UnlockFailure::kWrongPassphrase:
      return KeyFinding::kWrongPassphrase;
    case UnlockFailure::kNone:
    case UnlockFailure::kDamaged:
      break;
  }
  return KeyFinding::kLockDamaged;
}

}  // namespace

std::optional<ByteBuffer> UnlockRecord(const ByteBuffer& record, const ByteBuffer& bound,
                                       const std::string& file, PassphraseSource* source, KeyCause& cause) {
  if (!IsLockedKey(record)) return record;
  LockedKeyHeader header;
  UnlockFailure failure = ReadLockedKey(record, bound, header);
  if (failure == UnlockFailure::kNone && header.lock == KeyLock::kAccount) {
    Unlocked opened = UnlockKey(record, bound, {});
    if (opened.failure == UnlockFailure::kNone) return std::move(opened.record);
    failure = opened.failure;
  }
  if (failure != UnlockFailure::kNone) {
    cause = FoundIn(file, FindingOf(failure));
    return std::nullopt;
  }
  for (bool retry = false;; retry = true) {
    std::optional<std::string> passphrase = source ? source->passphrase(file, retry) : std::nullopt;
    if (!passphrase) {
      cause = FoundIn(file, retry ? KeyFinding::kWrongPassphrase : KeyFinding::kPassphraseNotGiven);
      return std::nullopt;
    }
    Unlocked opened = UnlockKey(record, bound, *passphrase);
    WipeText(*passphrase);
    if (opened.failure == UnlockFailure::kNone) return std::move(opened.record);
    if (opened.failure != UnlockFailure::kWrongPassphrase) {
      cause = FoundIn(file, FindingOf(opened.failure));
      return std::nullopt;
    }
  }
}

}  // namespace qs
