#pragma once
#include <ostream>

#include "operations/settings.h"

namespace qs::cli {

// One line per choice, as `settings` and `inspect` show them; okiFormatName is the name the
// OKI format goes by there.
void PrintSettings(std::ostream& out, const Settings& settings, const char* okiFormatName);

}  // namespace qs::cli
