#pragma once
#include <string>
#include <string_view>

namespace qs {

// A name taken from a control or a file dialog, cut at its first control character.
std::string CutAtControl(std::string_view name);

}  // namespace qs
