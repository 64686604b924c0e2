#include "app/source_problem.h"

#include "app/texts.h"
#include "platform/file.h"

namespace qs {

std::string SourceProblem(const std::string& path) {
  if (!platform::FileExists(path)) return path + text::kSourceMissing;
  // Opening refuses folders and anything else that is not a plain file.
  if (!platform::File::openRead(path)) return path + text::kSourceNotReadable;
  return {};
}

}  // namespace qs
