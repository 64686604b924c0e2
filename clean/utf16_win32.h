#pragma once
// UTF-8 <-> UTF-16 for the wide Windows API. rw_clean keeps its own copy: it shares no code
// with quillseal.
#include <string>
#include <string_view>

namespace qs::clean {

std::wstring ToUtf16(std::string_view utf8);
std::string ToUtf8(std::wstring_view utf16);

}  // namespace qs::clean
