#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qs {

// A name taken from a control or a file dialog, cut at its first control character.
std::string CutAtControl(std::string_view name);

// The full paths in what an open dialog that lets several files be chosen gives, without
// the empty string that ends it: one full path alone, or the folder followed by each name
// chosen in it, the strings apart by a NUL. Empty names are passed over.
std::vector<std::string> ChosenPaths(std::string_view list);

}  // namespace qs
