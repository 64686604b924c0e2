#include "formats/file_result.h"

namespace qs {

ResultCode CodeOfFinding(Finding finding) {
  switch (finding) {
    case Finding::kOtherMethod:
      return ResultCode::kOtherMethod;
    case Finding::kNotForThisKey:
    case Finding::kNotBySender:
    case Finding::kOwnKeyUnusable:
      return ResultCode::kKeys;
    case Finding::kSameFile:
      return ResultCode::kTarget;
    default:
      return ResultCode::kSource;
  }
}

FileResult WholeFileFailed(ResultCode code, const std::string& file, const WholeFileProblem& problem,
                           Finding notThisKind) {
  switch (problem.kind) {
    case WholeFileProblem::kSystem:
      return SystemFailed(code, file);
    case WholeFileProblem::kTruncated:
      return Failed(code,
                    {file, Finding::kTruncated, platform::FileError::kNone, problem.size, problem.needed});
    case WholeFileProblem::kTrailingBytes:
      return Failed(code, {file, Finding::kTrailingBytes});
    case WholeFileProblem::kCancelled:
      return Failed(ResultCode::kCancelled, {});
    default:
      return Failed(code, {file, notThisKind});
  }
}

}  // namespace qs
