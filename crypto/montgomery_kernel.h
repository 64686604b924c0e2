#pragma once
#include <cstdint>

namespace qs {

// The word-level products of Montgomery arithmetic on numbers of n 64-bit limbs, least
// significant first, modulo an odd m < 2^(64n) with m0inv = −m⁻¹ mod 2^64. R is 2^(64n).
// Each runs in time that depends on n only: no branch and no memory index on the values.
// t is working space of 2n limbs; out may alias the operands.

// r[0 .. n) += a[0 .. n)·b; returns the limb carried out.
std::uint64_t MultiplyAddLimbs(std::uint64_t* r, const std::uint64_t* a, std::uint64_t b, std::uint32_t n);

// out = a·b·R⁻¹ mod m, fully reduced, for a < R and b < m.
void MontgomeryMultiplyLimbs(std::uint32_t n, const std::uint64_t* a, const std::uint64_t* b,
                             const std::uint64_t* m, std::uint64_t m0inv, std::uint64_t* t,
                             std::uint64_t* out);

// out = a²·R⁻¹ mod m, fully reduced, for a < m.
void MontgomerySquareLimbs(std::uint32_t n, const std::uint64_t* a, const std::uint64_t* m,
                           std::uint64_t m0inv, std::uint64_t* t, std::uint64_t* out);

// out = (top·R + value) − m when that is not negative, else value.
void SubtractModulusMasked(std::uint32_t n, const std::uint64_t* value, std::uint64_t top,
                           const std::uint64_t* m, std::uint64_t* out);

}  // namespace qs
