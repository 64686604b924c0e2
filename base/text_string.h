#pragma once
#include <cstdint>
#include <string>

#include "base/byte_buffer.h"

namespace qs {

// 8-bit text: the bytes and one terminating zero, which the length counts. Every way of
// making one normalises it: a missing terminator is added and control bytes (below 32, and
// 127) become spaces.
class TextString {
 public:
  TextString();  // the single zero byte
  explicit TextString(const char* text);
  explicit TextString(const ByteBuffer& bytes);

  const ByteBuffer& bytes() const { return bytes_; }
  std::uint32_t characterCount() const { return bytes_.length() - 1; }
  std::uint8_t characterAt(std::uint32_t i) const { return bytes_.at(i); }
  // The zero-terminated text, or null when the buffer is empty or unterminated.
  const char* view() const;
  std::string str() const { return std::string(view(), characterCount()); }

  void concatenate(const TextString& other);
  // Position of the first occurrence of needle, or -1.
  std::int64_t find(const TextString& needle) const;
  // Drops the last n characters; n at or beyond the count leaves the empty text.
  void dropLast(std::uint32_t n);

  static TextString decimal(std::uint32_t value);

 private:
  void normalise();
  ByteBuffer bytes_;
};

}  // namespace qs
