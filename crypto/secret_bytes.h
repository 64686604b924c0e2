#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/secure_wipe.h"

namespace qs {

// A fixed number of secret bytes on the stack or inside a context, wiped when it goes.
// Used for key blocks, chaining values, digests in flight and cipher temporaries.
template <std::size_t N>
class SecretBytes {
 public:
  SecretBytes() = default;
  SecretBytes(const SecretBytes&) = default;
  SecretBytes& operator=(const SecretBytes&) = default;
  ~SecretBytes() { wipe(); }

  static constexpr std::size_t size() { return N; }
  std::uint8_t* data() { return bytes_.data(); }
  const std::uint8_t* data() const { return bytes_.data(); }
  std::span<std::uint8_t, N> span() { return bytes_; }
  std::span<const std::uint8_t, N> span() const { return bytes_; }
  std::uint8_t& operator[](std::size_t i) { return bytes_[i]; }
  std::uint8_t operator[](std::size_t i) const { return bytes_[i]; }

  void wipe() noexcept { SecureWipe(bytes_.data(), N); }

 private:
  std::array<std::uint8_t, N> bytes_{};
};

}  // namespace qs
