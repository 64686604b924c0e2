#include "app/source_problem.h"

#include "operations/cause_text.h"
#include "platform/file.h"
#include "platform/file_error.h"

namespace qs {

std::string SourceProblem(const std::string& path) {
  // Opening refuses folders and anything else that is not a plain file, and says why.
  if (platform::File::openRead(path)) return {};
  return CauseText({path, Finding::kSystem, platform::LastFileError()});
}

}  // namespace qs
