#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "base/byte_buffer.h"

namespace qs {

// Text stored in records keeps one Windows-1252 byte per character, whichever front end
// typed it: the command line converts from UTF-8, the GUI from UTF-16. A character with no
// Windows-1252 byte becomes '?'; malformed UTF-8 or UTF-16 counts as such a character.

ByteBuffer Utf8ToWindows1252(std::string_view utf8);
// A character of UTF-8 text: its bytes, and its code point unless the bytes are malformed.
struct Utf8Character {
  std::string bytes;
  std::optional<char32_t> codePoint;
};
// The first character of the UTF-8 text that would become '?', or nothing when every
// character has its Windows-1252 byte.
std::optional<Utf8Character> FirstCharacterOutsideWindows1252(std::string_view utf8);
std::string Windows1252ToUtf8(const ByteBuffer& bytes);

ByteBuffer Utf16ToWindows1252(std::u16string_view utf16);
std::u16string Windows1252ToUtf16(const ByteBuffer& bytes);

}  // namespace qs
