#pragma once
#include <cstddef>
#include <cstdint>

#include "crypto/aes_key_schedule.h"
#include "crypto/sha256_compress.h"

namespace qs {

// One message's share of the loop below. Each step encrypts the four blocks at data in place
// (from chain, which is left for the next call) while it compresses the 64 bytes at hashed
// into state; those must already be final, so hashed + 64 <= data. The call advances data
// and hashed past the steps it ran and leaves steps at 0.
struct CbcHashStream {
  std::uint8_t* chain;
  std::uint8_t* data;
  const std::uint8_t* hashed;
  std::size_t steps;
  Sha256State* state;
};

// CBC encryption and SHA-256 compression in one loop, for encrypt-then-MAC: both are chains of
// long-latency instructions on different units, so together they take about as long as the
// slower one alone. Only when HardwareAesEnabled() and HardwareShaEnabled().
void CbcEncryptAndHashHardware(const AesKeySchedule& schedule, CbcHashStream& stream);

// The same for two messages under one key: their steps interleaved while both have some
// left, since one message's chains leave the units idle most of the time, then each alone.
void CbcEncryptAndHashPairHardware(const AesKeySchedule& schedule, CbcHashStream& first,
                                   CbcHashStream& second);

}  // namespace qs
