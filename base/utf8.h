#pragma once
#include <string>
#include <string_view>

namespace qs {

// Appends the UTF-8 bytes of one code point (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t c);

// UTF-16 as Windows hands it over, as UTF-8. A surrogate pair is one character; a lone
// surrogate, which no UTF-8 name can hold, becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace qs
