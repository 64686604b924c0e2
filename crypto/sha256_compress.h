#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qs {

inline constexpr std::size_t kSha256BlockBytes = 64;

using Sha256State = std::array<std::uint32_t, 8>;

// The FIPS 180-4 compression function: one 64-byte block, message words read big-endian,
// added into the state. This portable version is the only one; a hardware path chosen at
// run time would take its place here.
void Sha256Compress(Sha256State& state, std::span<const std::uint8_t, kSha256BlockBytes> block);

}  // namespace qs
