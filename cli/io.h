#pragma once
#include <iosfwd>

namespace qs::cli {

// Where a command reads and writes, so tests can run commands on string streams.
struct Io {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool inputIsTerminal = false;  // questions may be asked
  bool errorIsTerminal = false;  // progress may be drawn
};

// Exit statuses, as users of command-line tools expect them.
enum ExitStatus : int {
  kSuccess = 0,
  kFailure = 1,
  kUsage = 2,
  kInterrupted = 130,
};

}  // namespace qs::cli
