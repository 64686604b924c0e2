#pragma once
// The one command word rw_clean is started with.
#include <string_view>

namespace qs::clean {

enum class Command { kCleanFolder, kNoRemoveTask, kRemoveTask, kUnknown };

// The text after the program name and its separating blanks, as Windows hands a whole command
// line to a program: a program name in double quotes ends at the closing quote, any other at
// the first blank. Trailing blanks stay part of the word.
std::wstring_view CommandWordOf(std::wstring_view commandLine);

// Exact, case-sensitive match: "clean_folder " or "\"remove_task\"" are unknown words.
Command ParseCommand(std::wstring_view word);

}  // namespace qs::clean
