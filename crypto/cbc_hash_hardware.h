#pragma once
#include <cstddef>
#include <cstdint>

#include "crypto/aes_key_schedule.h"
#include "crypto/sha256_compress.h"

namespace qs {

// CBC encryption and SHA-256 compression in one loop, for encrypt-then-MAC: both are chains of
// long-latency instructions on different units, so together they take about as long as the
// slower one alone. Step i encrypts the four blocks at data + 64 * i in place (from chain,
// which is left for the next call) while it compresses the 64 bytes at hashed + 64 * i into
// state; those must already be final, so hashed + 64 <= data. Only when HardwareAesEnabled()
// and HardwareShaEnabled().
void CbcEncryptAndHashHardware(const AesKeySchedule& schedule, std::uint8_t* chain, std::uint8_t* data,
                               const std::uint8_t* hashed, std::size_t steps, Sha256State& state);

}  // namespace qs
