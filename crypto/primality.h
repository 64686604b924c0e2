#pragma once
#include "crypto/bigint.h"

namespace qs {

inline constexpr int kMillerRabinRounds = 25;

// Trial division by the odd primes below 1000, then 25 Miller–Rabin rounds with bases
// drawn uniformly from 2 .. m − 2. The bases need not be secret; they come from a per-thread
// generator seeded once from the operating system, so that no one can predict them and pick
// a composite that passes. Negative numbers, 0 and 1 are not prime; 2 and 3 are.
// Timing depends on m (run only on fresh candidates during key generation).
bool IsProbablePrime(const BigInt& m);

}  // namespace qs
