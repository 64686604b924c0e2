#include "cli/command.h"

namespace qs::cli {

std::span<const Command> AllCommands() {
  static const std::vector<Command> all = [] {
    std::vector<Command> commands;
    for (auto group : {KeyCommands, CertificationCommands, FileCommands, OtherCommands, InspectCommands}) {
      for (Command& c : group()) commands.push_back(std::move(c));
    }
    return commands;
  }();
  return all;
}

}  // namespace qs::cli
