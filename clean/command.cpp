#include "clean/command.h"

namespace qs::clean {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::wstring_view CommandWordOf(std::wstring_view commandLine) {
  std::size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == L'"') {
    const std::size_t close = commandLine.find(L'"', 1);
    i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
  }
  while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
  return commandLine.substr(i);
}

Command ParseCommand(std::wstring_view word) {
  if (word == L"clean_folder") return Command::kCleanFolder;
  if (word == L"no_remove_task") return Command::kNoRemoveTask;
  if (word == L"remove_task") return Command::kRemoveTask;
  return Command::kUnknown;
}

}  // namespace qs::clean
