#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "crypto/aes_key_schedule.h"

namespace qs {

inline constexpr std::size_t kAesBlockBytes = 16;

// AES on 16-byte blocks in place, byte-exact FIPS-197; the schedule must be ready. Every mode
// goes through these functions, which take the processor's AES instructions when
// HardwareAesEnabled() and the portable, table-driven rounds otherwise.
void AesEncryptBlock(const AesKeySchedule& schedule, std::span<std::uint8_t, kAesBlockBytes> block);
void AesDecryptBlock(const AesKeySchedule& schedule, std::span<std::uint8_t, kAesBlockBytes> block);

// Several blocks at once, so the hardware path can keep several in flight. The data length
// must be a multiple of 16. ECB encrypts each block on its own; CBC starts from the chaining
// value and leaves there the one the next call continues from.
void AesEncryptBlocks(const AesKeySchedule& schedule, std::span<std::uint8_t> data);
void AesEncryptCbc(const AesKeySchedule& schedule, std::span<std::uint8_t, kAesBlockBytes> chain,
                   std::span<std::uint8_t> data);
void AesDecryptCbc(const AesKeySchedule& schedule, std::span<std::uint8_t, kAesBlockBytes> chain,
                   std::span<std::uint8_t> data);

}  // namespace qs
