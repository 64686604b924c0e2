#pragma once
#include <bit>
#include <cstdint>
#include <cstring>

namespace qs {

// Bit k of a stream is bit k mod 8 (0 = least significant) of byte k / 8, and every field is
// written least significant bit first, so a field is simply the next bits of a little-endian
// number.

// Writes into room the caller has sized exactly; bytes past the last bit stay zero.
class BitWriter {
 public:
  explicit BitWriter(std::uint8_t* out) : out_(out) {}

  // count is at most 56; bits holds nothing above it.
  void write(std::uint64_t bits, int count) {
    pending_ |= bits << filled_;
    filled_ += count;
    while (filled_ >= 8) {
      *out_++ = static_cast<std::uint8_t>(pending_);
      pending_ >>= 8;
      filled_ -= 8;
    }
  }

  void finish() {
    if (filled_ > 0) *out_++ = static_cast<std::uint8_t>(pending_);
    filled_ = 0;
    pending_ = 0;
  }

 private:
  std::uint8_t* out_;
  std::uint64_t pending_ = 0;
  int filled_ = 0;
};

// Reads a stream of whole bytes; bits past its end read as zero when peeked, and every
// consuming call fails rather than pass the end.
class BitReader {
 public:
  BitReader(const std::uint8_t* data, std::uint32_t length)
      : data_(data), length_(length), total_(std::uint64_t{length} * 8) {}

  std::uint64_t position() const { return position_; }
  void seek(std::uint64_t position) { position_ = position; }

  // The next count bits (at most 56) without consuming them.
  std::uint64_t peek(int count) const {
    const std::uint64_t byte = position_ / 8;
    std::uint64_t v = 0;
    if (byte + 8 <= length_) {
      std::memcpy(&v, data_ + byte, sizeof v);
      if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    } else {
      for (std::uint64_t i = byte; i < length_; ++i) v |= std::uint64_t{data_[i]} << (8 * (i - byte));
    }
    return (v >> (position_ % 8)) & ((std::uint64_t{1} << count) - 1);
  }

  bool skip(int count) {
    if (position_ + count > total_) return false;
    position_ += count;
    return true;
  }

  bool read(int count, std::uint64_t& value) {
    value = peek(count);
    return skip(count);
  }

 private:
  const std::uint8_t* data_;
  std::uint64_t length_;
  std::uint64_t total_;
  std::uint64_t position_ = 0;
};

}  // namespace qs
