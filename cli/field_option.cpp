#include "cli/field_option.h"

#include <cstdint>
#include <cstdio>

#include "base/windows1252.h"
#include "cli/args.h"
#include "cli/messages.h"
#include "keys/record_text.h"

namespace qs::cli {

namespace {

// "U+0141" for a whole UTF-8 character; empty for bytes that are none.
std::string CodePointName(const std::string& character) {
  const auto lead = static_cast<std::uint8_t>(character[0]);
  const std::size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (lead < 0xC0 || character.size() != length) return {};
  std::uint32_t c = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (static_cast<std::uint8_t>(character[i]) & 0x3F);
  char name[16];
  std::snprintf(name, sizeof name, " (U+%04X)", static_cast<unsigned>(c));
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
  const std::string character = FirstCharacterOutsideWindows1252(text);
  if (!character.empty())
    throw UsageError("--" + option + cli_text::kCharacter + character + "\"" + CodePointName(character) +
                     cli_text::kNotStorable);
  return text;
}

}  // namespace qs::cli
