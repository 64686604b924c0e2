#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/byte_buffer.h"

namespace qs {

// scrypt's cost (RFC 7914): N = 2^log2N blocks of 128 * r bytes each, p independent lanes.
// One lane needs 128 * r * N bytes; the work grows with p * r * N.
struct ScryptCost {
  std::uint8_t log2N;
  std::uint32_t r;
  std::uint32_t p;
};

// The cost new protected keys are written with: 144 MiB and about half a second per
// derivation on the development machine (bench/scrypt_bench measures it).
inline constexpr ScryptCost kProtectionCost{17, 9, 1};

// Whether a cost read from a file may be run, so that a hostile file cannot make us allocate
// gigabytes or work for minutes: 1 <= log2N <= 20, 1 <= r <= 32, 1 <= p <= 16, one lane of at
// most 1 GiB and all lanes together at most 4 GiB of block work.
bool ScryptCostAllowed(const ScryptCost& cost);

// PBKDF2 (RFC 8018) with HMAC-SHA256 as RFC 2104 and FIPS 180-4 define them: the standard
// digest byte order, not the program's own, and a password of any length (one longer than 64
// bytes is hashed first, an empty one is allowed). Fills out completely; iterations of 0
// counts as 1.
void Pbkdf2HmacSha256(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt,
                      std::uint32_t iterations, std::span<std::uint8_t> out);

// scrypt (RFC 7914): length bytes derived from the passphrase and salt. Empty when the cost is
// not allowed or length is 0 or above 2^32 - 1. Which blocks are read depends on the
// passphrase, so the memory access pattern (and cache timing) does leak about it, as in every
// scrypt; the cost is what makes guessing expensive.
ByteBuffer Scrypt(std::span<const std::uint8_t> passphrase, std::span<const std::uint8_t> salt,
                  const ScryptCost& cost, std::size_t length);

}  // namespace qs
