#pragma once
#include <atomic>
#include <string>
#include <vector>

namespace qs::platform {

enum class ConsoleStream { kInput, kOutput, kError };

bool IsTerminal(ConsoleStream stream);

// Makes the console show UTF-8 text as written (Windows); nothing elsewhere.
void UseUtf8Console();

// After this, Ctrl-C, SIGTERM, a hang-up (SIGHUP), SIGQUIT and on Windows the console's
// close, logoff and shutdown events no longer end the process but set the flag below, which
// long operations poll and turn into their cancel flag. A write to a closed pipe fails
// instead of ending the process (SIGPIPE is ignored).
void CatchInterrupts();
bool InterruptRequested();

#ifdef _WIN32
// The wide command line as UTF-8 words.
std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv);
#endif

}  // namespace qs::platform
