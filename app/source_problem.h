#pragma once
#include <string>

namespace qs {

// What keeps a file command from reading its source, as the second line of the command's
// failure message ("rapport.txt: filen finns inte"); empty when it opens for reading as a
// plain file. Asked before any question or dialog, so a mistyped name is told at once.
std::string SourceProblem(const std::string& path);

}  // namespace qs
