#include "cli/exit_status.h"

namespace qs::cli {
namespace {

// Whether the finding is about what a file holds rather than about reaching it.
bool RefusesContent(Finding finding) {
  switch (finding) {
    case Finding::kTruncated:
    case Finding::kTrailingBytes:
    case Finding::kNotEncryptedFile:
    case Finding::kNotSignatureFile:
    case Finding::kOtherMethod:
    case Finding::kDamaged:
    case Finding::kDamagedChunk:
    case Finding::kNotForThisKey:
    case Finding::kNotBySender:
    case Finding::kSignatureMismatch:
      return true;
    case Finding::kNone:
    case Finding::kSystem:
    case Finding::kSameFile:
    case Finding::kTooLarge:
      break;
  }
  return false;
}

}  // namespace

ExitStatus StatusOf(FileOutcome outcome, const FileCause& cause) {
  switch (outcome) {
    case FileOutcome::kCancelled:
      return kInterrupted;
    case FileOutcome::kOkiOneRecipient:
      return kUsage;
    default:
      return RefusesContent(cause.finding) ? kRefused : kFailure;
  }
}

ExitStatus StatusOf(const KeyStatus& status) {
  switch (status.cause.finding) {
    case KeyFinding::kUntrustedCertification:
    case KeyFinding::kPassphraseNotGiven:  // as a question answered no
      return kNotApproved;
    case KeyFinding::kNone:
      break;
    default:
      return kRefused;
  }
  switch (status.outcome) {
    case KeyOutcome::kBackupDamaged:
    case KeyOutcome::kPossessionProofInvalid:
    case KeyOutcome::kCertKeyBadFormat:
      return kRefused;
    default:
      return RefusesContent(status.cause.file.finding) ? kRefused : kFailure;
  }
}

}  // namespace qs::cli
