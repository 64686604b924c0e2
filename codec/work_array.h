#pragma once
#include <cstdint>
#include <limits>
#include <type_traits>

#include "base/byte_buffer.h"

namespace qs {

// A fixed-size array of plain values kept in a ByteBuffer, so that the codec's working arrays,
// which all hold material derived from the plain text, are zero-filled when allocated and wiped
// when released like every other buffer.
template <class T>
class WorkArray {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  explicit WorkArray(std::uint32_t count) {
    const std::uint64_t bytes = std::uint64_t{count} * sizeof(T);
    if (bytes > std::numeric_limits<std::uint32_t>::max()) throw BufferFailure("buffer length overflow");
    bytes_.allocate(static_cast<std::uint32_t>(bytes));
  }

  // The block comes from calloc, which aligns it for any type.
  T* data() { return reinterpret_cast<T*>(bytes_.data()); }
  const T* data() const { return reinterpret_cast<const T*>(bytes_.data()); }
  T& operator[](std::uint32_t i) { return data()[i]; }
  const T& operator[](std::uint32_t i) const { return data()[i]; }

 private:
  ByteBuffer bytes_;
};

}  // namespace qs
