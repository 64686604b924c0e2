#pragma once
#include "crypto/bigint.h"

namespace qs {

// r = b^x mod n for x >= 0 (its magnitude is used); n of zero gives zero, a zero exponent
// gives 1 mod n. With uniform set every exponent window costs the same multiplication (the
// RSA private operation); without it zero windows are skipped (public operations, primality
// tests). Odd moduli run in Montgomery form; the time of the uniform mode then depends only
// on the sizes of b, x and n (see crypto/montgomery.h). An even modulus falls back to
// square-and-multiply with long division, whose time depends on the values.
void ModExp(const BigInt& b, const BigInt& x, const BigInt& n, bool uniform, BigInt& r);

// Euclid by repeated remainders on the magnitudes; gcd(0, 0) = 0. Time depends on the
// values.
void Gcd(const BigInt& a, const BigInt& b, BigInt& r);

// Replaces a by a⁻¹ mod m and returns true when 0 < a < m, m > 0 and the two are coprime;
// otherwise a becomes 0 and the result is false. Extended Euclid: time depends on the
// values (used only while deriving a key).
bool ModInverse(BigInt& a, const BigInt& m);

}  // namespace qs
