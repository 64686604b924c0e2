#include "tests/e2e/driver/started_program.h"

#include <shellapi.h>

#include <vector>

namespace qs::e2e {

StartedProgram::~StartedProgram() { close(); }

std::optional<DWORD> StartedProgram::start(const std::wstring& commandLine) {
  close();
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');  // CreateProcessW may write into the command line
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return GetLastError();
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  return std::nullopt;
}

std::optional<DWORD> StartedProgram::open(const std::wstring& verb, const std::wstring& file,
                                          const std::wstring& fileClass) {
  close();
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = verb.empty() ? nullptr : verb.c_str();
  info.lpFile = file.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!fileClass.empty()) {
    info.fMask |= SEE_MASK_CLASSNAME;
    info.lpClass = fileClass.c_str();
  }
  if (!ShellExecuteExW(&info)) return GetLastError();
  if (info.hProcess == nullptr) return ERROR_INVALID_HANDLE;
  process_ = info.hProcess;
  return std::nullopt;
}

std::optional<DWORD> StartedProgram::waitForExit(DWORD milliseconds) {
  DWORD code = 0;
  if (process_ == nullptr || WaitForSingleObject(process_, milliseconds) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process_, &code)) {
    return std::nullopt;
  }
  return code;
}

void StartedProgram::kill() {
  if (process_ == nullptr || WaitForSingleObject(process_, 0) != WAIT_TIMEOUT) return;
  TerminateProcess(process_, 255);
  WaitForSingleObject(process_, 5000);
}

void StartedProgram::close() {
  if (process_ == nullptr) return;
  kill();
  CloseHandle(process_);
  process_ = nullptr;
}

}  // namespace qs::e2e
