#include "platform/console.h"

#include <csignal>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "platform/widen_win32.h"
#else
#include <unistd.h>
#endif

namespace qs::platform {
namespace {

std::atomic<bool> gInterrupted{false};

#ifdef _WIN32
// After the handler returns from a close, logoff or shutdown event the system ends the
// process at once, so it returns never: the main thread cancels, removes its temporary file
// and exits, which ends this thread too (or the system does, after its grace period).
BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      gInterrupted = true;
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      gInterrupted = true;
      Sleep(INFINITE);
      return TRUE;
    default:
      return FALSE;
  }
}
#else
void OnInterrupt(int) { gInterrupted = true; }
#endif

}  // namespace

bool IsTerminal(ConsoleStream stream) {
  FILE* const files[] = {stdin, stdout, stderr};
  FILE* f = files[static_cast<int>(stream)];
#ifdef _WIN32
  return _isatty(_fileno(f)) != 0;
#else
  return ::isatty(::fileno(f)) != 0;
#endif
}

void UseUtf8Console() {
#ifdef _WIN32
  SetConsoleOutputCP(CP_UTF8);
  SetConsoleCP(CP_UTF8);
#endif
}

void CatchInterrupts() {
#ifdef _WIN32
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // A closed terminal or connection (SIGHUP) and SIGQUIT would otherwise end the process in
  // the middle of a write and leave its temporary file behind.
  for (const int caught : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(caught, &action, nullptr);
  // A reader that went away makes the write fail, which is reported, instead of ending the
  // process unseen.
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
#endif
}

bool InterruptRequested() { return gInterrupted.load(); }

#ifdef _WIN32
std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv) {
  std::vector<std::string> words;
  for (int i = 0; i < argc; ++i) words.push_back(Narrow(argv[i]));
  return words;
}
#endif

}  // namespace qs::platform
