#include "cli/cli.h"

#include <fstream>
#include <ostream>

#include "base/visible_text.h"
#include "cli/command.h"
#include "cli/field_option.h"
#include "cli/messages.h"
#include "cli/passphrase.h"
#include "keys/record_text.h"

namespace qs::cli {
namespace {

const OptionSpec kGlobalOptions[] = {
    {"workdir", 0, true},
    {"yes"},
    {"expect-fingerprint", 0, true},
    {"expect-field", 0, true, true},
    {"quiet"},
    {"passphrase-file", 0, true},
    {"help", 'h'},
    {"version"},
};

std::string Joined(const std::vector<std::string>& words, std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count && i < words.size(); ++i) out += (i ? " " : "") + words[i];
  return out;
}

void PrintCommandList(std::ostream& out, const std::vector<std::string>& prefix) {
  for (const Command& c : AllCommands()) {
    if (!std::equal(prefix.begin(), prefix.end(), c.words.begin(),
                    c.words.begin() + std::min(prefix.size(), c.words.size())))
      continue;
    std::string line = "  " + Joined(c.words, c.words.size());
    line.resize(std::max<std::size_t>(line.size() + 2, 24), ' ');
    out << line << c.summary << '\n';
  }
}

void PrintCommandHelp(std::ostream& out, const Command& c) {
  out << cli_text::kUsage << Joined(c.words, c.words.size()) << ' ' << c.synopsis << "\n\n"
      << c.summary << '\n';
  if (c.details[0] != '\0') out << '\n' << c.details;
}

// The command whose words start the given words, longest first; sets how many it used.
const Command* FindCommand(const std::vector<std::string>& words, std::size_t& used) {
  const Command* best = nullptr;
  for (const Command& c : AllCommands()) {
    if (c.words.size() <= words.size() && std::equal(c.words.begin(), c.words.end(), words.begin()) &&
        (best == nullptr || c.words.size() > best->words.size())) {
      best = &c;
    }
  }
  used = best ? best->words.size() : 0;
  return best;
}

// True when some command starts with these words (a group such as "key").
bool IsGroup(const std::vector<std::string>& words) {
  for (const Command& c : AllCommands()) {
    if (c.words.size() > words.size() && std::equal(words.begin(), words.end(), c.words.begin())) return true;
  }
  return false;
}

// Each --expect-field as record text. A text no certification can hold as written (outside
// Windows-1252, or with control characters) is a mistake, since it could only match another.
std::vector<DataField> ExpectedFields(const ParsedArgs& global) {
  std::vector<DataField> fields;
  for (const std::string& word : global.values("expect-field")) {
    DataField field = FieldOption(word, "expect-field");
    if (DisplayText(field.name) + '=' + DisplayText(field.value) != word)
      throw UsageError(cli_text::kExpectedFieldNotRecordText + word);
    fields.push_back(std::move(field));
  }
  return fields;
}

// The text may quote a word of the command, a file name perhaps: it is shown escaped.
int UsageFailure(Io& io, const std::string& text, const std::string& helpFor) {
  io.err << "quillseal-cli: " << VisibleText(text) << '\n'
         << cli_text::kSeeHelp << helpFor << (helpFor.empty() ? "" : " ") << "--help'.\n";
  return kUsage;
}

// Any exception but a usage mistake fails the command with its usual status and message;
// the temporary files of what it was writing are removed as the exception unwinds.
int RunCommand(const Command& command, Session& session, const ParsedArgs& args) {
  try {
    return command.run(session, args);
  } catch (const UsageError&) {
    throw;
  } catch (...) {
    return session.fail(command.unforeseenFailure);
  }
}

}  // namespace

int Run(const std::vector<std::string>& words, Io& io) {
  try {
    std::size_t consumed = 0;
    const ParsedArgs global = ParsedArgs::parseLeading(words, kGlobalOptions, consumed);
    const std::vector<std::string> rest(words.begin() + static_cast<std::ptrdiff_t>(consumed), words.end());
    if (global.has("version")) {
      io.out << "quillseal-cli " QS_VERSION "\n";
      return kSuccess;
    }
    if (rest.empty()) {
      if (global.has("help")) {
        io.out << cli_text::kProgramHelp;
        PrintCommandList(io.out, {});
        return kSuccess;
      }
      return UsageFailure(io, cli_text::kNoCommand, "");
    }

    std::size_t used = 0;
    const Command* command = FindCommand(rest, used);
    if (command == nullptr) {
      // A group word alone, or with --help: list its commands.
      std::vector<std::string> group;
      for (const std::string& w : rest) {
        if (w.rfind("-", 0) == 0) break;
        group.push_back(w);
      }
      if (!group.empty() && IsGroup(group)) {
        const bool help =
            rest.size() > group.size() && (rest[group.size()] == "--help" || rest[group.size()] == "-h");
        (help ? io.out : io.err) << cli_text::kUsage << Joined(group, group.size()) << ' '
                                 << cli_text::kGroupSynopsis << "\n\n";
        PrintCommandList(help ? io.out : io.err, group);
        return help ? kSuccess : kUsage;
      }
      return UsageFailure(io, cli_text::kUnknownCommand + rest[0], "");
    }

    std::vector<OptionSpec> specs = command->options;
    specs.push_back({"help", 'h'});
    const std::vector<std::string> operands(rest.begin() + static_cast<std::ptrdiff_t>(used), rest.end());
    const std::string name = Joined(command->words, command->words.size());
    const ParsedArgs args = ParsedArgs::parse(operands, specs);
    if (args.has("help")) {
      PrintCommandHelp(io.out, *command);
      return kSuccess;
    }
    const std::size_t count = args.positionals().size();
    if (count < command->minPositionals) return UsageFailure(io, cli_text::kTooFewArguments + name, name);
    if (count > command->maxPositionals) return UsageFailure(io, cli_text::kTooManyArguments + name, name);

    GlobalOptions options;
    options.workdir = global.value("workdir");
    options.createWorkdir = command->createsKeyPair;
    options.yes = global.has("yes");
    options.expectFingerprint = global.value("expect-fingerprint");
    options.quiet = global.has("quiet");
    options.expectFields = ExpectedFields(global);
    if (const std::optional<std::string> file = global.value("passphrase-file")) {
      options.passphrase = ReadPassphraseFile(*file);
      if (!options.passphrase) {
        const bool readable = static_cast<bool>(std::ifstream(*file));
        return UsageFailure(
            io,
            (readable ? cli_text::kPassphraseFileEmpty : cli_text::kPassphraseFileUnreadable) +
                VisibleText(*file),
            "");
      }
    }
    Session session(io, options);
    int status = RunCommand(*command, session, args);
    if (status == kFailure) status = session.failureStatus();
    // A closed standard output (a pipe whose reader went away) fails the writes without a
    // signal; what the command printed did not arrive, and its status must say so.
    if (!io.out.flush() && status != kInterrupted) return session.fail(cli_text::kOutputNotWritten);
    return status;
  } catch (const UsageError& e) {
    return UsageFailure(io, e.what(), "");
  }
}

}  // namespace qs::cli
