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
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  gInterrupted = true;
  return TRUE;
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
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
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
