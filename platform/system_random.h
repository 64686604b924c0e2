#pragma once
#include <cstdint>
#include <span>

namespace qs::platform {

// Fills the 32 bytes from the operating system's cryptographic generator (BCryptGenRandom
// on Windows, getrandom elsewhere). False when the system cannot provide them; out is then
// zero.
bool SystemRandom(std::span<std::uint8_t, 32> out);

}  // namespace qs::platform
