#pragma once
#include <cstddef>
#include <cstdint>

namespace qs {

// The n bytes at p as a number, least significant first; n is at most 8.
inline std::uint64_t LoadLe(const std::uint8_t* p, std::size_t n) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < n; ++i) v |= std::uint64_t{p[i]} << (8 * i);
  return v;
}

// The n low bytes of v at p, least significant first; n is at most 8.
inline void StoreLe(std::uint8_t* p, std::uint64_t v, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline std::uint16_t LoadLe16(const std::uint8_t* p) { return static_cast<std::uint16_t>(LoadLe(p, 2)); }
inline std::uint32_t LoadLe32(const std::uint8_t* p) { return static_cast<std::uint32_t>(LoadLe(p, 4)); }
inline void StoreLe16(std::uint8_t* p, std::uint16_t v) { StoreLe(p, v, 2); }
inline void StoreLe32(std::uint8_t* p, std::uint32_t v) { StoreLe(p, v, 4); }

// The n bytes at p as a number, most significant first; n is at most 8.
inline std::uint64_t LoadBe(const std::uint8_t* p, std::size_t n) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < n; ++i) v = (v << 8) | p[i];
  return v;
}

// The n low bytes of v at p, most significant first; n is at most 8.
inline void StoreBe(std::uint8_t* p, std::uint64_t v, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) p[n - 1 - i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline std::uint32_t LoadBe32(const std::uint8_t* p) { return static_cast<std::uint32_t>(LoadBe(p, 4)); }
inline void StoreBe32(std::uint8_t* p, std::uint32_t v) { StoreBe(p, v, 4); }
inline void StoreBe64(std::uint8_t* p, std::uint64_t v) { StoreBe(p, v, 8); }

}  // namespace qs
