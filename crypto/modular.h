#pragma once
#include "crypto/bigint.h"

namespace qs {

// r = b^x mod n for x >= 0 (its magnitude is used); n of zero gives zero, a zero exponent
// gives 1 mod n. Time depends on the values: for public operations and primality tests (the
// private operation has its own uniform exponentiation, see crypto/montgomery.h). Odd moduli
// run in Montgomery form; an even modulus falls back to square-and-multiply with long
// division.
void ModExp(const BigInt& b, const BigInt& x, const BigInt& n, BigInt& r);

// Euclid by repeated remainders on the magnitudes; gcd(0, 0) = 0. Time depends on the
// values.
void Gcd(const BigInt& a, const BigInt& b, BigInt& r);

// Replaces a by a⁻¹ mod m and returns true when 0 < a < m, m > 0 and the two are coprime;
// otherwise a becomes 0 and the result is false. Extended Euclid: time depends on the
// values (used only while deriving a key).
bool ModInverse(BigInt& a, const BigInt& m);

}  // namespace qs
