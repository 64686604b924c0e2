#pragma once
// UTF-8 <-> UTF-16 for the wide Windows API.
#include <string>

namespace qs::platform {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

}  // namespace qs::platform
