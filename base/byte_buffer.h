#pragma once
#include <cstdint>
#include <span>
#include <stdexcept>

namespace qs {

// Raised when memory is exhausted after six attempts, a length would pass 2^32 - 1, or an
// index falls outside a buffer. It marks exhausted memory or a programming error, never bad
// input; nothing recovers from it but the entry point of an operation, which fails that
// operation.
class BufferFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An owned, growable byte array with a 32-bit length. New space is zero-filled, and every
// byte is wiped before its block is released, shrunk away or replaced, whatever the buffer
// held. Copies are deep.
class ByteBuffer {
 public:
  ByteBuffer() = default;
  ByteBuffer(const std::uint8_t* p, std::uint32_t n) { assign(p, n); }
  explicit ByteBuffer(std::span<const std::uint8_t> bytes);
  ByteBuffer(const ByteBuffer& other) { assign(other); }
  ByteBuffer(ByteBuffer&& other) noexcept;
  ByteBuffer& operator=(const ByteBuffer& other);
  ByteBuffer& operator=(ByteBuffer&& other) noexcept;
  ~ByteBuffer() { clear(); }

  static ByteBuffer zeros(std::uint32_t n);
  static ByteBuffer fromText(const char* text);  // the bytes without the terminator

  std::uint32_t length() const { return length_; }
  bool empty() const { return length_ == 0; }
  std::uint8_t* data() { return data_; }
  const std::uint8_t* data() const { return data_; }
  std::span<std::uint8_t> span() { return {data_, length_}; }
  std::span<const std::uint8_t> span() const { return {data_, length_}; }

  void allocate(std::uint32_t n);  // replaces the content by n zero bytes
  void resize(std::uint32_t n);
  void clear() noexcept;
  void assign(const ByteBuffer& other);
  void assign(const std::uint8_t* p, std::uint32_t n);
  void copyInto(ByteBuffer& other) const;

  void append(const std::uint8_t* p, std::uint32_t n);
  void append(const ByteBuffer& other) { append(other.data_, other.length_); }
  void appendZeros(std::uint32_t n);
  void appendU8(std::uint8_t v);
  void appendU16(std::uint16_t v);
  void appendU32(std::uint32_t v);
  void appendField(const ByteBuffer& field);  // u32 length, then the bytes
  void prependZeros(std::uint32_t n);
  void prepend(const std::uint8_t* p, std::uint32_t n);

  // Removes the first n bytes; n of 0 or beyond the length changes nothing and is false.
  bool dropFront(std::uint32_t n);
  // At most count bytes from start, cut at the end; empty when start is at or past the end.
  ByteBuffer slice(std::uint32_t count, std::uint32_t start) const;

  std::uint8_t& at(std::uint32_t i);
  std::uint8_t at(std::uint32_t i) const;

  // Constant time in the content: differing lengths are unequal, otherwise every byte is
  // compared. Used for tags, MACs and fingerprints.
  bool equals(const ByteBuffer& other) const;

 private:
  void growBy(std::uint32_t n);   // appends n zero bytes
  void reserve(std::uint32_t n);  // capacity for n bytes, content kept

  // Bytes from length_ to capacity_ are always zero, so a block holds no stale data.
  std::uint8_t* data_ = nullptr;
  std::uint32_t length_ = 0;
  std::uint32_t capacity_ = 0;
};

// Two uppercase hex digits per byte, high nibble first, no separators or terminator.
ByteBuffer HexText(const ByteBuffer& bytes);

}  // namespace qs
