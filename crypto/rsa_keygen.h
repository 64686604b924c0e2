#pragma once
#include <cstdint>

#include "base/progress_hook.h"
#include "crypto/bigint.h"
#include "crypto/rsa_key.h"

namespace qs {

class RandomGenerator;

// Draws odd candidates of `bytes` bytes with their two top bits set (so that the product of
// two has exactly 16 × bytes bits) from the generator, one output call each, until one has
// gcd(candidate − 1, 65537) = 1 and passes the primality test. Each rejected candidate
// checks the hook: a cancel request fails at once, otherwise the count grows by one. Fails
// after attemptLimit candidates or when the generator fails; prime is then zero.
bool GeneratePrime(std::uint32_t bytes, std::uint32_t attemptLimit, RandomGenerator& generator,
                   ProgressHook* hook, BigInt& prime);

// A new key of ModulusBytes(bits) bytes (at most 4096 bits): two primes of k/2 bytes with
// 20 × k attempts each, p > q, and the derived components. Invalid when the generator's
// credit is below 1024, a prime search fails or is cancelled, or an inverse is missing.
// Timing depends on the primes (it runs once per key on the user's own machine).
RsaKey GenerateRsaKey(std::uint32_t bits, KeyUsage usage, RandomGenerator& generator, ProgressHook* hook);

}  // namespace qs
