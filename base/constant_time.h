#pragma once
#include <cstddef>
#include <cstdint>

namespace qs::ct {

// Every helper here runs in time that depends only on the lengths, never on the values.

// True when the n bytes at a and b are equal; no early exit.
inline bool Equal(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  std::uint8_t acc = 0;
  for (std::size_t i = 0; i < n; ++i) acc |= static_cast<std::uint8_t>(a[i] ^ b[i]);
  return acc == 0;
}

// True when all n bytes at a are zero; no early exit.
inline bool AllZero(const std::uint8_t* a, std::size_t n) {
  std::uint8_t acc = 0;
  for (std::size_t i = 0; i < n; ++i) acc |= a[i];
  return acc == 0;
}

// All ones when x is zero, else zero.
inline std::uint32_t IsZeroMask(std::uint32_t x) {
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(x) - 1) >> 32);
}

// The 64-bit width has its own name: an overload would quietly take 32-bit arguments and
// hand back a mask with the upper half clear.
inline std::uint64_t IsZeroMask64(std::uint64_t x) { return ((x | (0 - x)) >> 63) - 1; }

// a when mask is all ones, b when mask is zero.
inline std::uint32_t Select(std::uint32_t mask, std::uint32_t a, std::uint32_t b) {
  return (a & mask) | (b & ~mask);
}

}  // namespace qs::ct
