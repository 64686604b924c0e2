#include "base/wide_text.h"

namespace qs {

WideText WideText::fromTextString(const TextString& text) {
  std::u16string units;
  for (std::uint32_t i = 0; i < text.characterCount(); ++i) units.push_back(text.characterAt(i));
  return WideText(std::move(units));
}

WideText WideText::fromRecordBytes(const ByteBuffer& bytes) {
  std::u16string units;
  for (std::uint32_t k = 0; k < bytes.length() / 2; ++k) {
    units.push_back(static_cast<char16_t>(bytes.data()[2 * k] << 8 | bytes.data()[2 * k + 1]));
  }
  return WideText(std::move(units));
}

TextString WideText::toTextString() const {
  ByteBuffer bytes;
  for (char16_t unit : units_) bytes.appendU8(unit < 256 ? static_cast<std::uint8_t>(unit) : 0xFF);
  bytes.appendU8(0);
  return TextString(bytes);
}

ByteBuffer WideText::toRecordBytes() const {
  ByteBuffer bytes;
  for (char16_t unit : units_) {
    bytes.appendU8(static_cast<std::uint8_t>(unit >> 8));
    bytes.appendU8(static_cast<std::uint8_t>(unit));
  }
  return bytes;
}

}  // namespace qs
