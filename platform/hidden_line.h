#pragma once
#include <string>

namespace qs::platform {

enum class HiddenLine { kRead, kEnd, kInterrupted };

// A line typed at the terminal (standard input) without echo, without its line end; the
// terminal's mode is restored on every path and a newline goes to standard error for the
// Enter that was not shown. kEnd at end of input with nothing typed; kInterrupted when
// Ctrl-C came, which needs CatchInterrupts() (platform/console.h) first: without it Ctrl-C
// ends the process with the echo still off. The caller wipes line; every buffer used on the
// way is wiped here. Where standard input is no terminal the line is read as it comes.
HiddenLine ReadHiddenLine(std::string& line);

}  // namespace qs::platform
