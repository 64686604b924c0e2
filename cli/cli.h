#pragma once
#include <string>
#include <vector>

#include "cli/io.h"

namespace qs::cli {

// Runs the command line (the words after the program name) and gives the exit status.
int Run(const std::vector<std::string>& words, Io& io);

}  // namespace qs::cli
