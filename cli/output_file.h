#pragma once
#include <string>

#include "cli/args.h"
#include "cli/session.h"
#include "platform/file.h"

namespace qs::cli {

// Output files are never overwritten without --force; false after a message.
bool MayWrite(Session& session, const std::string& target, bool force);

// What a write may do with a file that exists at its target when the output is put in place:
// replace it only with --force. Decided again then, since another program may have made the
// file after the command looked (a file command's output, a key pair).
platform::Overwrite OverwriteOf(const ParsedArgs& args);

// What MayWrite says of a target that exists.
std::string OutputExistsText(const std::string& target);

}  // namespace qs::cli
