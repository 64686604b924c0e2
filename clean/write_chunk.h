#pragma once
// The buffer an overwrite writes from, refilled for every piece of the file.
#include <array>
#include <cstddef>
#include <cstdint>

#include "clean/wipe.h"

namespace qs::clean {

class WriteChunk {
 public:
  // Fills the next piece of at most kSize bytes of the left still to write; returns its size.
  std::size_t next(std::uint64_t left, const FillBytes& fill) {
    const std::size_t n = left < kSize ? static_cast<std::size_t>(left) : kSize;
    fill(bytes_.data(), n);
    return n;
  }
  const std::uint8_t* data() const { return bytes_.data(); }

 private:
  static constexpr std::size_t kSize = 64 * 1024;
  std::array<std::uint8_t, kSize> bytes_{};
};

}  // namespace qs::clean
