#pragma once
#include <cstdint>
#include <optional>

#include "base/byte_buffer.h"
#include "base/progress_hook.h"

namespace qs {

// A buffer with a read cursor. Reads never fail: past the end they yield 0 or an empty
// field, and the record's owner rejects the damage by its tag, version or cryptographic
// checks.
struct ByteStream {
  ByteStream() = default;
  explicit ByteStream(const ByteBuffer& b) : bytes(b) {}
  explicit ByteStream(ByteBuffer&& b) : bytes(std::move(b)) {}

  ByteBuffer bytes;
  std::uint32_t cursor = 0;
  ProgressHook* progress = nullptr;  // not owned

  std::uint8_t readU8();
  std::uint16_t readU16();
  std::uint32_t readU32();
  ByteBuffer readField();
  // Like readField, but nothing when the field claims more bytes than remain.
  std::optional<ByteBuffer> readCompleteField();
  void skipField();

  std::uint32_t remaining() const { return cursor < bytes.length() ? bytes.length() - cursor : 0; }

 private:
  bool take(std::uint32_t n, std::uint8_t* out);  // reads n bytes or yields false
  void advance(std::uint32_t n);                  // saturates instead of wrapping
};

}  // namespace qs
