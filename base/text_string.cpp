#include "base/text_string.h"

#include <cstring>

namespace qs {

TextString::TextString() { bytes_.appendU8(0); }

TextString::TextString(const char* text) : bytes_(ByteBuffer::fromText(text)) { normalise(); }

TextString::TextString(const ByteBuffer& bytes) : bytes_(bytes) { normalise(); }

void TextString::normalise() {
  if (bytes_.empty() || bytes_.data()[bytes_.length() - 1] != 0) bytes_.appendU8(0);
  for (std::uint32_t i = 0; i + 1 < bytes_.length(); ++i) {
    std::uint8_t& c = bytes_.data()[i];
    if (c < 32 || c == 127) c = ' ';
  }
}

const char* TextString::view() const {
  if (bytes_.empty() || bytes_.data()[bytes_.length() - 1] != 0) return nullptr;
  return reinterpret_cast<const char*>(bytes_.data());
}

void TextString::concatenate(const TextString& other) {
  bytes_.resize(bytes_.length() - 1);
  bytes_.append(other.bytes_);
}

std::int64_t TextString::find(const TextString& needle) const {
  const std::uint32_t n = characterCount();
  const std::uint32_t m = needle.characterCount();
  if (m > n) return -1;
  for (std::uint32_t i = 0; i + m <= n; ++i) {
    if (std::memcmp(bytes_.data() + i, needle.bytes_.data(), m) == 0) return i;
  }
  return -1;
}

void TextString::dropLast(std::uint32_t n) {
  const std::uint32_t count = characterCount();
  bytes_.resize(n >= count ? 1 : count - n + 1);
  bytes_.data()[bytes_.length() - 1] = 0;
}

TextString TextString::decimal(std::uint32_t value) { return TextString(std::to_string(value).c_str()); }

}  // namespace qs
