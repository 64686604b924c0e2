// quillseal-cli: the command line's entry point; everything else lives in the qs_cli library.
#include <iostream>

#include "cli/cli.h"
#include "platform/console.h"
#include "platform/hidden_line.h"

namespace {

int RunWith(const std::vector<std::string>& words) {
  qs::platform::UseUtf8Console();
  qs::platform::CatchInterrupts();
  qs::cli::Io io{std::cin,
                 std::cout,
                 std::cerr,
                 qs::platform::IsTerminal(qs::platform::ConsoleStream::kInput),
                 qs::platform::IsTerminal(qs::platform::ConsoleStream::kError),
                 qs::platform::ReadHiddenLine};
  return qs::cli::Run(words, io);
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> words = qs::platform::Utf8Arguments(argc, argv);
  words.erase(words.begin());
  return RunWith(words);
}
#else
int main(int argc, char** argv) { return RunWith(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
