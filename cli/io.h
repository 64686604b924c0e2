#pragma once
#include <iosfwd>

#include "platform/hidden_line.h"

namespace qs::cli {

// Where a command reads and writes, so tests can run commands on string streams.
struct Io {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool inputIsTerminal = false;  // questions may be asked
  bool errorIsTerminal = false;  // progress may be drawn
  // Reads a passphrase at the terminal without echo; null reads a line of in.
  platform::HiddenLine (*readHidden)(std::string& line) = nullptr;
};

// Exit statuses a script can act on; --help, the manual and the README show the same table.
enum ExitStatus : int {
  kSuccess = 0,
  kFailure = 1,      // the system failed: a file, the disk, memory
  kUsage = 2,        // the command was called wrongly
  kRefused = 3,      // the data was refused: damaged, forged, not for this key, no match
  kNotApproved = 4,  // a certificate or key was not approved: untrusted, or answered no
  kInterrupted = 130,
};

}  // namespace qs::cli
