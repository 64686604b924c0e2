#pragma once
#include <array>
#include <cstdint>

#include "crypto/bigint.h"

namespace qs {

// Arithmetic modulo an odd modulus m > 1 (every function requires it) in Montgomery form
// with 64-bit limbs, for the exponentiations of RSA and the primality test.
//
// Timing: the products, sums and table look-ups here run in time that depends only on limb
// counts, never on the values (assuming the processor's 64-bit multiply is constant time).
// The exceptions are named per function.

// A 257-word BigInt fills 129 limbs.
inline constexpr std::uint32_t kMaxLimbs = (kBigIntMaxUsedWords + 1) / 2;

// A number of 64-bit limbs, least significant first, in fixed storage wiped when it goes.
struct Limbs {
  Limbs() = default;
  Limbs(const Limbs&) = default;
  Limbs& operator=(const Limbs&) = default;
  ~Limbs();

  // Limbs 0 .. count − 1 from the words of x, read whatever x's used-word count is, the rest
  // zero: the time depends on count only. count is at most kMaxLimbs.
  static Limbs of(const BigInt& x, std::uint32_t count);
  // The value of limbs 0 .. count − 1, normalised without branching on the words.
  BigInt toBigInt(std::uint32_t count) const;

  std::uint64_t& operator[](std::uint32_t i) { return v[i]; }
  std::uint64_t operator[](std::uint32_t i) const { return v[i]; }

  std::array<std::uint64_t, kMaxLimbs> v{};
};

class MontgomeryModulus {
 public:
  // A modulus that fills its public width, its top bit being bit 64 · limbs − 1 (as each
  // prime of an RSA key fills half the modulus length). The set-up depends on limbs only, so
  // m may be secret. A shorter m gives wrong results, of the same width.
  MontgomeryModulus(const BigInt& m, std::uint32_t limbs);
  // A public modulus of as many limbs as its value needs; the set-up depends on its bits.
  explicit MontgomeryModulus(const BigInt& m);
  ~MontgomeryModulus();
  MontgomeryModulus(const MontgomeryModulus&) = delete;
  MontgomeryModulus& operator=(const MontgomeryModulus&) = delete;

  std::uint32_t limbs() const { return n_; }
  const Limbs& modulus() const { return m_; }
  std::uint64_t m0inv() const { return m0inv_; }  // −m⁻¹ mod 2^64
  const Limbs& one() const { return one_; }       // R mod m, the form of 1

  // Products of forms: out = a·b·R⁻¹ mod m for a < R, b < m; out may alias either.
  void multiply(const Limbs& a, const Limbs& b, Limbs& out) const;
  void square(const Limbs& a, Limbs& out) const;
  // out = a ± b mod m for a, b < m; out may alias either.
  void add(const Limbs& a, const Limbs& b, Limbs& out) const;
  void subtract(const Limbs& a, const Limbs& b, Limbs& out) const;

  // out = x·R mod m for x of count limbs, whatever its value; time depends on count and the
  // modulus limbs only.
  void toForm(const Limbs& x, std::uint32_t count, Limbs& out) const;
  // out = a·R⁻¹ mod m, the plain value of a form.
  void fromForm(const Limbs& a, Limbs& out) const;

  // out = base^x (forms) with fixed windows over bits 0 .. bits − 1 of x, each window
  // multiplying by a table entry read in full, so the time depends on bits alone; x's words
  // are read directly, never its used-word count. bits is at most 32 · kBigIntWords.
  void powerUniform(const Limbs& base, const BigInt& x, std::uint32_t bits, Limbs& out) const;
  // The same, skipping the multiplications of zero windows (bit by bit for short x): time
  // depends on the bits of x. For public exponents.
  void powerPlain(const Limbs& base, const BigInt& x, Limbs& out) const;

 private:
  // R mod m and R² mod m by doubling 2^start, which must be below m, up to R: time depends
  // on start and the limb count.
  void setUp(std::uint32_t start);

  std::uint32_t n_;
  Limbs m_;
  std::uint64_t m0inv_ = 0;
  Limbs r2_;
  Limbs one_;
  // Working space of the products: 2n limbs.
  mutable std::array<std::uint64_t, 2 * kMaxLimbs> scratch_{};
};

// The exponentiations multiply by one table entry per window of this many exponent bits:
// 32 entries, against 20 % fewer window products than four bits.
inline constexpr std::uint32_t kWindowBits = 5;

// Bits lowBit .. lowBit + bits − 1 of x, read from its words at public positions (never its
// used-word count), zero beyond its storage.
std::uint32_t ExponentWindow(const BigInt& x, std::uint32_t lowBit, std::uint32_t bits);

// r = b^x mod m for any non-negative b, skipping zero windows: time depends on the bits of x
// and the sizes of b and m. For public exponents and primality tests.
void MontgomeryModExpPlain(const BigInt& b, const BigInt& x, const BigInt& m, BigInt& r);

}  // namespace qs
