// e2e_driver: operates the windows of a program under test for the end-to-end scripts. Runs
// the commands given as arguments, or else one command a line from standard input, and writes
// one UTF-8 reply line for each (see commands.h). Ends at "quit" or the end of the input.
#include <windows.h>

#include <iostream>
#include <string>

#include "platform/widen_win32.h"
#include "tests/e2e/driver/commands.h"

namespace {

void Reply(const std::wstring& text) {
  // Straight to the handle: no console code page, no buffering between question and answer.
  const std::string line = qs::platform::Narrow(text) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  qs::e2e::Session session;
  if (argc > 1) {
    for (int i = 1; i < argc; ++i) Reply(session.run(argv[i]));
    return 0;
  }
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "quit") break;
    Reply(session.run(qs::platform::Widen(line)));
  }
  return 0;
}
