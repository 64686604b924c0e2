#include "cli/settings_text.h"

#include "cli/messages.h"

namespace qs::cli {

void PrintSettings(std::ostream& out, const Settings& settings, const char* okiFormatName) {
  out << cli_text::kFileFormatLabel
      << (settings.fileFormat == Settings::kOki ? okiFormatName : cli_text::kQuillsealFormat) << '\n'
      << cli_text::kCompressionLabel << (settings.compression == 1 ? cli_text::kOn : cli_text::kOff) << '\n'
      << cli_text::kToSelfLabel << (settings.encryptToSelf == 1 ? cli_text::kOn : cli_text::kOff) << '\n';
}

}  // namespace qs::cli
