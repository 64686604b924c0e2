#pragma once
#include <optional>
#include <string>

#include "cli/args.h"
#include "crypto/key_records.h"

namespace qs::cli {

// The key type of a "--...-bits 2048|3072|4096" option, 2048 when it is absent; any other
// value is a usage error.
KeyType KeyTypeOption(const ParsedArgs& args, const std::string& name);

}  // namespace qs::cli
