#pragma once
#include <string>
#include <string_view>

#include "base/byte_buffer.h"

namespace qs {

// Text stored in records keeps one Windows-1252 byte per character, whichever front end
// typed it: the command line converts from UTF-8, the GUI from UTF-16. A character with no
// Windows-1252 byte becomes '?'; malformed UTF-8 or UTF-16 counts as such a character.

ByteBuffer Utf8ToWindows1252(std::string_view utf8);
// The first character of the UTF-8 text that would become '?' (its bytes), or an empty
// string when every character has its Windows-1252 byte.
std::string FirstCharacterOutsideWindows1252(std::string_view utf8);
std::string Windows1252ToUtf8(const ByteBuffer& bytes);

ByteBuffer Utf16ToWindows1252(std::u16string_view utf16);
std::u16string Windows1252ToUtf16(const ByteBuffer& bytes);

}  // namespace qs
