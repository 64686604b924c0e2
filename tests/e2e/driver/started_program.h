#pragma once
// The one program a driver session starts and watches.
#include <windows.h>

#include <optional>
#include <string>

namespace qs::e2e {

class StartedProgram {
 public:
  StartedProgram() = default;
  ~StartedProgram();
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;

  // Starts a program with exactly this command line (nothing added, nothing trimmed), ending
  // a previous one first. Returns the Windows error code on failure.
  std::optional<DWORD> start(const std::wstring& commandLine);
  // The exit code once the program has ended within the time; nullopt while it runs.
  std::optional<DWORD> waitForExit(DWORD milliseconds);
  // Ends the program if it still runs, with exit code 255.
  void kill();

 private:
  void close();

  HANDLE process_ = nullptr;
};

}  // namespace qs::e2e
