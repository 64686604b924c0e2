#pragma once
#include <string>
#include <string_view>

namespace qs {

// The part after the last folder separator, or the whole path without one. Both "\" and "/"
// separate folders on Windows.
std::string FileNamePart(std::string_view path);

// True when path ends with suffix.
bool EndsWith(std::string_view path, std::string_view suffix);

// A name taken from a control or a file dialog, cut at its first control character.
std::string CutAtControl(std::string_view name);

}  // namespace qs
