#include "cli/output_file.h"

#include "platform/file.h"

namespace qs::cli {

bool MayWrite(Session& session, const std::string& target, bool force) {
  if (force || !platform::FileExists(target)) return true;
  session.fail("Filen finns redan: " + target + " (använd --force för att skriva över den).");
  return false;
}

}  // namespace qs::cli
