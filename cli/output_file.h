#pragma once
#include <string>

#include "cli/session.h"

namespace qs::cli {

// Output files are never overwritten without --force; false after a message.
bool MayWrite(Session& session, const std::string& target, bool force);

}  // namespace qs::cli
