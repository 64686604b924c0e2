#include "cli/key_type_option.h"

#include "cli/messages.h"

namespace qs::cli {

KeyType KeyTypeOption(const ParsedArgs& args, const std::string& name) {
  const std::string bits = args.value(name).value_or("2048");
  if (bits == "2048") return 0;
  if (bits == "3072") return 1;
  if (bits == "4096") return 2;
  throw UsageError("--" + name + cli_text::kTakesKeyBits);
}

}  // namespace qs::cli
