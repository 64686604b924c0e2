#pragma once
#include <cstdint>
#include <string>

#include "base/byte_buffer.h"
#include "base/text_string.h"

namespace qs {

// 16-bit text. Inside records it is stored as big-endian units without a terminator.
class WideText {
 public:
  WideText() = default;
  explicit WideText(std::u16string units) : units_(std::move(units)) {}

  const std::u16string& units() const { return units_; }
  std::uint32_t count() const { return static_cast<std::uint32_t>(units_.size()); }

  // Each byte becomes one unit (0..255).
  static WideText fromTextString(const TextString& text);
  // Unit k = byte 2k * 256 + byte 2k+1; an odd last byte is ignored.
  static WideText fromRecordBytes(const ByteBuffer& bytes);

  // Units above 255 become 0xFF; the result is normalised like every TextString.
  TextString toTextString() const;
  // Two bytes per unit, high byte first.
  ByteBuffer toRecordBytes() const;

 private:
  std::u16string units_;
};

}  // namespace qs
