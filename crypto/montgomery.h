#pragma once
#include "crypto/bigint.h"

namespace qs {

// Arithmetic modulo an odd modulus m > 1 (every function requires it) in Montgomery form
// with 64-bit limbs, for the exponentiations of RSA and the primality test. Operands are
// non-negative and may have any size up to the BigInt capacity; they are reduced first.
//
// Timing: the multiplications, additions and table look-ups here run in time that depends
// only on the limb counts of m and of the operands, never on their values (assuming the
// processor's 64-bit multiply is constant time). The exceptions are named per function.

// r = b^x mod m with left-to-right windows, skipping the multiplications of zero windows:
// time depends on the bits of x. For public exponents and primality tests.
void MontgomeryModExpPlain(const BigInt& b, const BigInt& x, const BigInt& m, BigInt& r);

// r = b^x mod m with fixed four-bit windows over max(bit length of x, bit length of m)
// bits, every window multiplying by a table entry read in full: the time depends on those
// bit lengths only, so a private exponent below m shows nothing but m's size.
void MontgomeryModExpUniform(const BigInt& b, const BigInt& x, const BigInt& m, BigInt& r);

// r = (a − b) · c mod m, in time independent of the values. Used to recombine the halves
// of a CRT private operation without branching on them.
void MontgomeryModSubMul(const BigInt& a, const BigInt& b, const BigInt& c, const BigInt& m, BigInt& r);

}  // namespace qs
