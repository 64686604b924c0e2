#include <ostream>

#include "cli/command.h"
#include "cli/messages.h"
#include "operations/settings.h"

namespace qs::cli {
namespace {

int RunSettings(Session& session, const ParsedArgs& args) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return kFailure;
  const std::optional<std::string> format = args.value("format");
  const std::optional<std::string> compression = args.value("compression");
  if (format && *format != "quillseal" && *format != "oki") throw UsageError(cli_text::kFormatValues);
  if (compression && *compression != "on" && *compression != "off")
    throw UsageError(cli_text::kCompressionValues);
  Settings settings = ReadSettings(*folder);
  // Only what the flags name changes; the other value is kept as it is in the file then.
  const auto change = [&](Settings& s) {
    if (format) s.fileFormat = *format == "oki" ? Settings::kOki : Settings::kQuillseal;
    if (compression) s.compression = *compression == "on" ? 1 : 0;
  };
  if (format || compression) {
    const SettingsOutcome saved = ChangeSettings(*folder, change, settings);
    if (saved != SettingsOutcome::kSaved) return session.fail(MessageText(saved));
  }
  session.io().out << cli_text::kFileFormatLabel
                   << (settings.fileFormat == Settings::kOki ? cli_text::kOkiFormatInFull
                                                             : cli_text::kQuillsealFormat)
                   << '\n'
                   << cli_text::kCompressionLabel
                   << (settings.compression == 1 ? cli_text::kOn : cli_text::kOff) << '\n';
  return kSuccess;
}

}  // namespace

std::vector<Command> OtherCommands() {
  return {
      {.words = {"settings"},
       .options = {{.name = "format", .takesValue = true}, {.name = "compression", .takesValue = true}},
       .synopsis = cli_text::kSettingsSynopsis,
       .summary = cli_text::kSettingsSummary,
       .details = cli_text::kSettingsDetails,
       .run = RunSettings},
  };
}

}  // namespace qs::cli
