#include "base/byte_buffer.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "base/byte_order.h"
#include "base/constant_time.h"
#include "base/secure_wipe.h"

namespace qs {
namespace {

constexpr std::uint32_t kMaxLength = std::numeric_limits<std::uint32_t>::max();
constexpr int kAllocationAttempts = 6;

std::uint8_t* AllocateZeroed(std::uint32_t n) {
  for (int attempt = 0; attempt < kAllocationAttempts; ++attempt) {
    if (void* p = std::calloc(n, 1)) return static_cast<std::uint8_t*>(p);
  }
  throw BufferFailure("out of memory");
}

void Release(std::uint8_t* p, std::uint32_t n) noexcept {
  if (p == nullptr) return;
  SecureWipe(p, n);
  std::free(p);
}

void CheckGrowth(std::uint32_t length, std::uint32_t n) {
  if (n > kMaxLength - length) throw BufferFailure("buffer length overflow");
}

}  // namespace

ByteBuffer::ByteBuffer(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > kMaxLength) throw BufferFailure("buffer length overflow");
  assign(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(other.data_), length_(other.length_), capacity_(other.capacity_) {
  other.data_ = nullptr;
  other.length_ = 0;
  other.capacity_ = 0;
}

ByteBuffer& ByteBuffer::operator=(const ByteBuffer& other) {
  if (this != &other) assign(other);
  return *this;
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
  if (this != &other) {
    clear();
    data_ = other.data_;
    length_ = other.length_;
    capacity_ = other.capacity_;
    other.data_ = nullptr;
    other.length_ = 0;
    other.capacity_ = 0;
  }
  return *this;
}

ByteBuffer ByteBuffer::zeros(std::uint32_t n) {
  ByteBuffer b;
  b.allocate(n);
  return b;
}

ByteBuffer ByteBuffer::fromText(const char* text) {
  const std::size_t n = std::strlen(text);
  if (n > kMaxLength) throw BufferFailure("buffer length overflow");
  return ByteBuffer(reinterpret_cast<const std::uint8_t*>(text), static_cast<std::uint32_t>(n));
}

void ByteBuffer::allocate(std::uint32_t n) {
  clear();
  if (n == 0) return;
  data_ = AllocateZeroed(n);
  length_ = n;
  capacity_ = n;
}

void ByteBuffer::reserve(std::uint32_t n) {
  if (n <= capacity_) return;
  // Grow geometrically so that appending byte by byte stays linear.
  std::uint32_t capacity = capacity_ < 16 ? 16 : capacity_;
  while (capacity < n) capacity = capacity > kMaxLength / 2 ? kMaxLength : capacity * 2;
  // A fresh block rather than realloc, so no copy of the old bytes is left behind unwiped.
  std::uint8_t* block = AllocateZeroed(capacity);
  if (length_ != 0) std::memcpy(block, data_, length_);
  Release(data_, capacity_);
  data_ = block;
  capacity_ = capacity;
}

void ByteBuffer::resize(std::uint32_t n) {
  if (n == 0) {
    clear();
  } else if (n < length_) {
    SecureWipe(data_ + n, length_ - n);
    length_ = n;
  } else {
    reserve(n);  // the space beyond the length is already zero
    length_ = n;
  }
}

void ByteBuffer::clear() noexcept {
  Release(data_, capacity_);
  data_ = nullptr;
  length_ = 0;
  capacity_ = 0;
}

void ByteBuffer::assign(const ByteBuffer& other) {
  if (this == &other) return;
  assign(other.data_, other.length_);
}

void ByteBuffer::assign(const std::uint8_t* p, std::uint32_t n) {
  // Copy first: p may point into this buffer.
  std::uint8_t* block = n == 0 ? nullptr : AllocateZeroed(n);
  if (n != 0) std::memcpy(block, p, n);
  clear();
  data_ = block;
  length_ = n;
  capacity_ = n;
}

void ByteBuffer::copyInto(ByteBuffer& other) const {
  const std::uint32_t n = length_ < other.length_ ? length_ : other.length_;
  if (n != 0) std::memmove(other.data_, data_, n);
}

void ByteBuffer::growBy(std::uint32_t n) {
  CheckGrowth(length_, n);
  resize(length_ + n);
}

void ByteBuffer::append(const std::uint8_t* p, std::uint32_t n) {
  if (n == 0) return;
  // p may point into this buffer, whose block the growth replaces.
  if (p >= data_ && p < data_ + length_) {
    const ByteBuffer copy(p, n);
    append(copy.data_, n);
    return;
  }
  const std::uint32_t old = length_;
  growBy(n);
  std::memcpy(data_ + old, p, n);
}

void ByteBuffer::appendZeros(std::uint32_t n) {
  if (n != 0) growBy(n);
}

void ByteBuffer::appendU8(std::uint8_t v) { append(&v, 1); }

void ByteBuffer::appendU16(std::uint16_t v) {
  std::uint8_t b[2];
  StoreLe16(b, v);
  append(b, 2);
}

void ByteBuffer::appendU32(std::uint32_t v) {
  std::uint8_t b[4];
  StoreLe32(b, v);
  append(b, 4);
}

void ByteBuffer::appendField(const ByteBuffer& field) {
  appendU32(field.length_);
  append(field);
}

void ByteBuffer::prependZeros(std::uint32_t n) {
  if (n == 0) return;
  CheckGrowth(length_, n);
  const std::uint32_t old = length_;
  resize(old + n);
  std::memmove(data_ + n, data_, old);
  std::memset(data_, 0, n);
}

void ByteBuffer::prepend(const std::uint8_t* p, std::uint32_t n) {
  if (n == 0) return;
  const ByteBuffer front(p, n);  // p may point into this buffer
  prependZeros(n);
  std::memcpy(data_, front.data_, n);
}

bool ByteBuffer::dropFront(std::uint32_t n) {
  if (n == 0 || n > length_) return false;
  if (n == length_) {
    clear();
    return true;
  }
  std::memmove(data_, data_ + n, length_ - n);
  SecureWipe(data_ + length_ - n, n);
  length_ -= n;
  return true;
}

ByteBuffer ByteBuffer::slice(std::uint32_t count, std::uint32_t start) const {
  if (start >= length_) return {};
  const std::uint32_t available = length_ - start;
  return ByteBuffer(data_ + start, count < available ? count : available);
}

std::uint8_t& ByteBuffer::at(std::uint32_t i) {
  if (i >= length_) throw BufferFailure("buffer index out of range");
  return data_[i];
}

std::uint8_t ByteBuffer::at(std::uint32_t i) const {
  if (i >= length_) throw BufferFailure("buffer index out of range");
  return data_[i];
}

bool ByteBuffer::equals(const ByteBuffer& other) const {
  if (length_ != other.length_) return false;
  return ct::Equal(data_, other.data_, length_);
}

ByteBuffer HexText(const ByteBuffer& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  ByteBuffer out;
  if (bytes.length() > kMaxLength / 2) throw BufferFailure("buffer length overflow");
  out.allocate(bytes.length() * 2);
  for (std::uint32_t i = 0; i < bytes.length(); ++i) {
    out.data()[2 * i] = static_cast<std::uint8_t>(kDigits[bytes.data()[i] >> 4]);
    out.data()[2 * i + 1] = static_cast<std::uint8_t>(kDigits[bytes.data()[i] & 0x0F]);
  }
  return out;
}

}  // namespace qs
