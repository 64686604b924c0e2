#include "base/byte_stream.h"

#include <cstring>
#include <limits>

#include "base/byte_order.h"

namespace qs {

void ByteStream::advance(std::uint32_t n) {
  const std::uint32_t max = std::numeric_limits<std::uint32_t>::max();
  cursor = n > max - cursor ? max : cursor + n;
}

bool ByteStream::take(std::uint32_t n, std::uint8_t* out) {
  const bool available = remaining() >= n;
  if (available) std::memcpy(out, bytes.data() + cursor, n);
  advance(n);
  return available;
}

std::uint8_t ByteStream::readU8() {
  std::uint8_t b[1];
  return take(1, b) ? b[0] : 0;
}

std::uint16_t ByteStream::readU16() {
  std::uint8_t b[2];
  if (!take(2, b)) return 0;
  return LoadLe16(b);
}

std::uint32_t ByteStream::readU32() {
  std::uint8_t b[4];
  if (!take(4, b)) return 0;
  return LoadLe32(b);
}

ByteBuffer ByteStream::readField() {
  const std::uint32_t length = readU32();
  if (length == 0) return {};
  ByteBuffer field = bytes.slice(length, cursor);
  advance(field.length());
  return field;
}

std::optional<ByteBuffer> ByteStream::readCompleteField() {
  const bool prefixComplete = remaining() >= 4;
  const std::uint32_t length = readU32();
  if (!prefixComplete || length > remaining()) return std::nullopt;
  ByteBuffer field = bytes.slice(length, cursor);
  advance(length);
  return field;
}

void ByteStream::skipField() { advance(readU32()); }

}  // namespace qs
