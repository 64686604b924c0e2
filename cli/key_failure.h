#pragma once
#include "cli/session.h"
#include "keys/key_result.h"

namespace qs::cli {

// Tells a key operation's failure, its message and then its cause, and gives kFailure.
int FailKey(Session& session, const KeyStatus& status);

}  // namespace qs::cli
