#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "crypto/aes_key_schedule.h"

namespace qs {

inline constexpr std::size_t kAesBlockBytes = 16;

// The portable, table-driven AES on one 16-byte block in place, byte-exact FIPS-197. The
// schedule must be ready. Every mode goes through these two functions, so a hardware path
// chosen at run time replaces them in this one place.
void AesEncryptBlock(const AesKeySchedule& schedule, std::span<std::uint8_t, kAesBlockBytes> block);
void AesDecryptBlock(const AesKeySchedule& schedule, std::span<std::uint8_t, kAesBlockBytes> block);

}  // namespace qs
