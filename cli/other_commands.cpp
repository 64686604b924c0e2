#include <ostream>

#include "cli/command.h"
#include "cli/messages.h"
#include "cli/settings_text.h"
#include "operations/settings.h"

namespace qs::cli {
namespace {

int RunSettings(Session& session, const ParsedArgs& args) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return kFailure;
  const std::optional<std::string> format = args.value("format");
  const std::optional<std::string> compression = args.value("compression");
  const std::optional<std::string> toSelf = args.value("to-self");
  if (format && *format != "quillseal" && *format != "oki") throw UsageError(cli_text::kFormatValues);
  if (compression && *compression != "on" && *compression != "off")
    throw UsageError(cli_text::kCompressionValues);
  if (toSelf && *toSelf != "on" && *toSelf != "off") throw UsageError(cli_text::kToSelfValues);
  Settings settings = ReadSettings(*folder);
  // Only what the flags name changes; the other values are kept as they are in the file then.
  const auto change = [&](Settings& s) {
    if (format) s.fileFormat = *format == "oki" ? Settings::kOki : Settings::kQuillseal;
    if (compression) s.compression = *compression == "on" ? 1 : 0;
    if (toSelf) s.encryptToSelf = *toSelf == "on" ? 1 : 0;
  };
  if (format || compression || toSelf) {
    const SettingsOutcome saved = ChangeSettings(*folder, change, settings);
    if (saved != SettingsOutcome::kSaved) return session.fail(MessageText(saved));
  }
  PrintSettings(session.io().out, settings, cli_text::kOkiFormatInFull);
  return kSuccess;
}

}  // namespace

std::vector<Command> OtherCommands() {
  return {
      {.words = {"settings"},
       .options = {{.name = "format", .takesValue = true},
                   {.name = "compression", .takesValue = true},
                   {.name = "to-self", .takesValue = true}},
       .synopsis = cli_text::kSettingsSynopsis,
       .summary = cli_text::kSettingsSummary,
       .details = cli_text::kSettingsDetails,
       .run = RunSettings},
  };
}

}  // namespace qs::cli
