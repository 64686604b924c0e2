#include "cli/output_file.h"

#include "cli/messages.h"
#include "platform/file.h"

namespace qs::cli {

bool MayWrite(Session& session, const std::string& target, bool force) {
  if (force || !platform::FileExists(target)) return true;
  session.fail(OutputExistsText(target));
  return false;
}

platform::Overwrite OverwriteOf(const ParsedArgs& args) {
  return args.has("force") ? platform::Overwrite::kReplace : platform::Overwrite::kNever;
}

std::string OutputExistsText(const std::string& target) {
  return cli_text::kOutputExists + target + cli_text::kUseForce;
}

}  // namespace qs::cli
