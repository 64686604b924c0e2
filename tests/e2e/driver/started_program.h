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
  // Opens the file as Explorer does, through its association: with the named verb, or with
  // the default verb (a double-click) when verb is empty; with the verbs of the named file
  // class (such as "*", every file's) when fileClass is not empty. Returns the Windows error
  // code on failure, also when the association started no process of its own to watch.
  std::optional<DWORD> open(const std::wstring& verb, const std::wstring& file,
                            const std::wstring& fileClass);
  // The exit code once the program has ended within the time; nullopt while it runs.
  std::optional<DWORD> waitForExit(DWORD milliseconds);
  // Ends the program if it still runs, with exit code 255.
  void kill();

 private:
  void close();

  HANDLE process_ = nullptr;
};

}  // namespace qs::e2e
