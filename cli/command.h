#pragma once
#include <span>
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/session.h"
#include "operations/messages.h"

namespace qs::cli {

// One leaf of the command tree, for example "key show".
struct Command {
  std::vector<std::string> words;
  std::vector<OptionSpec> options = {};
  std::size_t minPositionals = 0;
  std::size_t maxPositionals = 0;
  const char* synopsis;      // options and operands, as the help shows them
  const char* summary;       // one line of Swedish
  const char* details = "";  // more help text
  int (*run)(Session& session, const ParsedArgs& args);
  // The message when run fails for a reason it cannot name: an exception such as running
  // out of memory.
  const char* unforeseenFailure = MessageText(FileOutcome::kUnknown);
  // Whether the command makes a key pair, and so may make the --workdir that holds it.
  bool createsKeyPair = false;
};

// Every command of the program, grouped by their first word in help order.
std::span<const Command> AllCommands();

// The commands of each area, defined beside their code.
std::vector<Command> KeyCommands();
std::vector<Command> CertificationCommands();
std::vector<Command> FileCommands();
std::vector<Command> OtherCommands();
std::vector<Command> FileReportCommands();

}  // namespace qs::cli
