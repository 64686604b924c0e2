#include "cli/output_file.h"

#include "cli/messages.h"
#include "platform/file.h"

namespace qs::cli {

bool MayWrite(Session& session, const std::string& target, bool force) {
  if (force || !platform::FileExists(target)) return true;
  session.fail(cli_text::kOutputExists + target + cli_text::kUseForce);
  return false;
}

}  // namespace qs::cli
