#include "keys/record_text.h"

#include "base/visible_text.h"
#include "base/windows1252.h"

namespace qs {

WideText RecordText(std::string_view utf8) {
  return WideText::fromTextString(TextString(Utf8ToWindows1252(utf8)));
}

WideText RecordTextFromUtf16(std::u16string_view utf16) {
  return WideText::fromTextString(TextString(Utf16ToWindows1252(utf16)));
}

std::string DisplayText(const WideText& text) { return DisplayText(text.toTextString()); }

std::string DisplayText(const TextString& text) {
  const ByteBuffer& bytes = text.bytes();
  return VisibleText(Windows1252ToUtf8(bytes.slice(text.characterCount(), 0)));
}

std::string HexString(const ByteBuffer& bytes) {
  const ByteBuffer hex = HexText(bytes);
  if (hex.empty()) return {};
  return std::string(reinterpret_cast<const char*>(hex.data()), hex.length());
}

TextString KeyNameText(std::string_view utf8) { return TextString(Utf8ToWindows1252(utf8)); }

}  // namespace qs
