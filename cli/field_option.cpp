#include "cli/field_option.h"

#include <cstdio>
#include <optional>

#include "base/windows1252.h"
#include "cli/args.h"
#include "cli/messages.h"
#include "keys/record_text.h"

namespace qs::cli {

namespace {

// " (U+0141)" for a character that is one; empty for bytes that are none.
std::string CodePointName(const Utf8Character& character) {
  if (!character.codePoint) return {};
  char name[16];
  std::snprintf(name, sizeof name, " (U+%04X)", static_cast<unsigned>(*character.codePoint));
  return name;
}

}  // namespace

DataField FieldOption(const std::string& word, const std::string& option) {
  const std::size_t eq = word.find('=');
  if (eq == std::string::npos || eq == 0) throw UsageError("--" + option + cli_text::kTakesField);
  StorableText(word, option);
  return {RecordText(word.substr(0, eq)), RecordText(word.substr(eq + 1))};
}

const std::string& StorableText(const std::string& text, const std::string& option) {
  const std::optional<Utf8Character> character = FirstCharacterOutsideWindows1252(text);
  if (character)
    throw UsageError("--" + option + cli_text::kCharacter + character->bytes + "\"" +
                     CodePointName(*character) + cli_text::kNotStorable);
  return text;
}

}  // namespace qs::cli
