#pragma once
#include <string>
#include <string_view>

#include "base/byte_buffer.h"
#include "base/text_string.h"
#include "base/wide_text.h"

namespace qs {

// Names and values inside key, certification and certificate records keep one code unit per
// Windows-1252 byte, so "ä" is the unit 0x00E4 whichever front end typed it. These turn what
// a front end holds into that form and back into UTF-8 for display.

// UTF-8 (the command line) or UTF-16 (the GUI) to record text; a character with no
// Windows-1252 byte becomes '?', control characters become spaces.
WideText RecordText(std::string_view utf8);
WideText RecordTextFromUtf16(std::u16string_view utf16);

// Record text as UTF-8 to be shown, its control and format characters as visible escapes
// (VisibleText); a unit above 255 shows as the character of byte 0xFF.
std::string DisplayText(const WideText& text);
// The same for an 8-bit text (a key name, a signing message).
std::string DisplayText(const TextString& text);

// Uppercase hex digits, two per byte: how fingerprints and Key-IDs are shown.
std::string HexString(const ByteBuffer& bytes);

// A key name from UTF-8: its Windows-1252 bytes and one zero byte.
TextString KeyNameText(std::string_view utf8);

}  // namespace qs
