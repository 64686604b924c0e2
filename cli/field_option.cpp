#include "cli/field_option.h"

#include "cli/args.h"
#include "cli/messages.h"
#include "keys/record_text.h"

namespace qs::cli {

DataField FieldOption(const std::string& word, const std::string& option) {
  const std::size_t eq = word.find('=');
  if (eq == std::string::npos || eq == 0) throw UsageError("--" + option + cli_text::kTakesField);
  return {RecordText(word.substr(0, eq)), RecordText(word.substr(eq + 1))};
}

}  // namespace qs::cli
