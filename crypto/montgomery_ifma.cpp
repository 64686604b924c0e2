#include "crypto/montgomery_ifma.h"

#if defined(__x86_64__)
// g++ 12 takes the deliberately undefined start value of some of these intrinsics for a
// forgotten initialisation.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#pragma GCC diagnostic pop

#include <array>

#include "base/secure_wipe.h"
#include "crypto/montgomery_kernel.h"

// Only the functions here may use the AVX-512 instructions; they are called only when
// HardwareIfmaEnabled().
#define QS_IFMA_TARGET __attribute__((target("avx512f,avx512ifma")))
#define QS_IFMA_INLINE QS_IFMA_TARGET __attribute__((always_inline)) inline

namespace qs {
namespace {

constexpr std::uint32_t kDigitBits = 52;
constexpr std::uint64_t kDigitMask = (std::uint64_t{1} << kDigitBits) - 1;
constexpr std::uint32_t kTableSize = 1u << kWindowBits;

// A number of kLimbs 64-bit limbs as 52-bit digits, least significant first, in whole
// registers. Products are taken modulo m with R' = 2^(52 · kDigits) in place of the limb code's
// R = 2^(64 · kLimbs): R' ≥ 4m, so a product of two numbers below 2m is again below 2m without
// a final subtraction.
template <std::uint32_t kLimbs>
struct Shape {
  static constexpr std::uint32_t kDigits = (64 * kLimbs + kDigitBits - 1) / kDigitBits;
  static constexpr std::uint32_t kRegisters = (kDigits + 7) / 8;
  // R' = R · 2^kLift.
  static constexpr std::uint32_t kLift = kDigitBits * kDigits - 64 * kLimbs;
  using Digits = std::array<std::uint64_t, 8 * kRegisters>;
};

// The digits of x's first kLimbs limbs; every position is public.
template <std::uint32_t kLimbs>
void ToDigits(const Limbs& x, typename Shape<kLimbs>::Digits& out) {
  for (std::uint32_t j = 0; j < out.size(); ++j) {
    const std::uint32_t limb = kDigitBits * j / 64;
    const std::uint32_t shift = kDigitBits * j % 64;
    std::uint64_t digit = limb < kLimbs ? x[limb] >> shift : 0;
    if (shift > 64 - kDigitBits && limb + 1 < kLimbs) digit |= x[limb + 1] << (64 - shift);
    out[j] = digit & kDigitMask;
  }
}

// The limbs of normalised digits whose value is below 2^(64 · kLimbs).
template <std::uint32_t kLimbs>
void FromDigits(const typename Shape<kLimbs>::Digits& digits, Limbs& out) {
  for (std::uint32_t i = 0; i < kLimbs; ++i) out[i] = 0;
  for (std::uint32_t j = 0; j < Shape<kLimbs>::kDigits; ++j) {
    const std::uint32_t limb = kDigitBits * j / 64;
    const std::uint32_t shift = kDigitBits * j % 64;
    if (limb < kLimbs) out[limb] |= digits[j] << shift;
    if (shift > 64 - kDigitBits && limb + 1 < kLimbs) out[limb + 1] |= digits[j] >> (64 - shift);
  }
}

// x·R' mod m from a form x·R mod m: kLift modular doublings.
template <std::uint32_t kLimbs>
void Lift(const MontgomeryModulus& mod, const Limbs& form, typename Shape<kLimbs>::Digits& out) {
  Limbs lifted = form;
  for (std::uint32_t i = 0; i < Shape<kLimbs>::kLift; ++i) mod.add(lifted, lifted, lifted);
  ToDigits<kLimbs>(lifted, out);
}

// One of the pair: its modulus and the numbers of its exponentiation, the table of powers
// followed by the accumulator and the factor read from the table.
constexpr std::uint32_t kAcc = kTableSize;
constexpr std::uint32_t kFactor = kTableSize + 1;

template <std::uint32_t kLimbs>
struct Side {
  typename Shape<kLimbs>::Digits m;
  std::uint64_t m0inv;  // −m⁻¹ mod 2^52
  std::array<typename Shape<kLimbs>::Digits, kTableSize + 2> numbers;
};

// Digits of at most 64 bits each, of a value below 2^(52 · 8 · K), brought to 52 bits each.
template <std::uint32_t K>
QS_IFMA_INLINE void Normalize(__m512i (&acc)[K]) {
  const __m512i mask = _mm512_set1_epi64(static_cast<long long>(kDigitMask));
  const __m512i zero = _mm512_setzero_si512();
  // Each digit's excess onto the next: after that every digit is below 2^53, so it passes on
  // a carry of at most one.
  __m512i excess[K];
  for (std::uint32_t k = 0; k < K; ++k) {
    excess[k] = _mm512_srli_epi64(acc[k], kDigitBits);
    acc[k] = _mm512_and_si512(acc[k], mask);
  }
  for (std::uint32_t k = 0; k < K; ++k)
    acc[k] = _mm512_add_epi64(acc[k], _mm512_alignr_epi64(excess[k], k > 0 ? excess[k - 1] : zero, 7));
  // Those carries ripple: out of digits above 2^52 − 1, through digits of 2^52 − 1. One
  // addition over the bit masks of both kinds finds every digit a carry reaches, without a
  // branch.
  std::uint64_t generate = 0;
  std::uint64_t propagate = 0;
  for (std::uint32_t k = 0; k < K; ++k) {
    generate |= static_cast<std::uint64_t>(_mm512_cmpgt_epu64_mask(acc[k], mask)) << (8 * k);
    propagate |= static_cast<std::uint64_t>(_mm512_cmpeq_epu64_mask(acc[k], mask)) << (8 * k);
  }
  const std::uint64_t carried = ((generate << 1) + propagate) ^ propagate;
  const __m512i one = _mm512_set1_epi64(1);
  for (std::uint32_t k = 0; k < K; ++k) {
    const __mmask8 in = static_cast<__mmask8>(carried >> (8 * k));
    acc[k] = _mm512_and_si512(_mm512_mask_add_epi64(acc[k], in, acc[k], one), mask);
  }
}

// Numbers out = a·b·R'⁻¹ mod m (below 2m for a, b below 2m) on both sides at once; out may
// be a or b. Word by word: each step adds a·b[i] and the multiple q·m that clears the lowest
// digit, then drops that digit. The lowest digit and q are worked out in a general register
// so the vectors never wait for a lane to be extracted more than once per step.
template <std::uint32_t kLimbs>
QS_IFMA_TARGET void MultiplyPair(Side<kLimbs> (&sides)[2], std::uint32_t a, std::uint32_t b,
                                 std::uint32_t out) {
  constexpr std::uint32_t K = Shape<kLimbs>::kRegisters;
  const __m512i zero = _mm512_setzero_si512();
  __m512i acc[2][K];
  __m512i x[2][K];
  __m512i m[2][K];
  for (std::uint32_t s = 0; s < 2; ++s) {
    for (std::uint32_t k = 0; k < K; ++k) {
      acc[s][k] = zero;
      x[s][k] = _mm512_loadu_si512(sides[s].numbers[a].data() + 8 * k);
      m[s][k] = _mm512_loadu_si512(sides[s].m.data() + 8 * k);
    }
  }
  for (std::uint32_t i = 0; i < Shape<kLimbs>::kDigits; ++i) {
#pragma GCC unroll 2
    for (std::uint32_t s = 0; s < 2; ++s) {
      const std::uint64_t bi = sides[s].numbers[b][i];
      const std::uint64_t low =
          static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm512_castsi512_si128(acc[s][0]))) +
          ((sides[s].numbers[a][0] * bi) & kDigitMask);
      const std::uint64_t q = (low * sides[s].m0inv) & kDigitMask;
      const std::uint64_t carry = (low + ((sides[s].m[0] * q) & kDigitMask)) >> kDigitBits;
      const __m512i bv = _mm512_set1_epi64(static_cast<long long>(bi));
      const __m512i qv = _mm512_set1_epi64(static_cast<long long>(q));
      for (std::uint32_t k = 0; k < K; ++k) {
        acc[s][k] = _mm512_madd52lo_epu64(acc[s][k], x[s][k], bv);
        acc[s][k] = _mm512_madd52lo_epu64(acc[s][k], m[s][k], qv);
      }
      // The lowest digit is now carry·2^52: every digit moves down by one.
      for (std::uint32_t k = 0; k + 1 < K; ++k) acc[s][k] = _mm512_alignr_epi64(acc[s][k + 1], acc[s][k], 1);
      acc[s][K - 1] = _mm512_alignr_epi64(zero, acc[s][K - 1], 1);
      acc[s][0] = _mm512_add_epi64(acc[s][0],
                                   _mm512_zextsi128_si512(_mm_cvtsi64_si128(static_cast<long long>(carry))));
      // The high halves of the products belong one digit up, which is where they now land.
      for (std::uint32_t k = 0; k < K; ++k) {
        acc[s][k] = _mm512_madd52hi_epu64(acc[s][k], x[s][k], bv);
        acc[s][k] = _mm512_madd52hi_epu64(acc[s][k], m[s][k], qv);
      }
    }
  }
  for (std::uint32_t s = 0; s < 2; ++s) {
    Normalize<K>(acc[s]);
    for (std::uint32_t k = 0; k < K; ++k)
      _mm512_storeu_si512(sides[s].numbers[out].data() + 8 * k, acc[s][k]);
  }
}

// Table entry index, read by scanning every entry so the access pattern shows nothing.
template <std::uint32_t kLimbs>
QS_IFMA_TARGET void SelectEntry(Side<kLimbs>& side, std::uint32_t index) {
  constexpr std::uint32_t K = Shape<kLimbs>::kRegisters;
  __m512i entry[K];
  for (std::uint32_t k = 0; k < K; ++k) entry[k] = _mm512_setzero_si512();
  const __m512i wanted = _mm512_set1_epi64(index);
  for (std::uint32_t e = 0; e < kTableSize; ++e) {
    const __mmask8 hit = _mm512_cmpeq_epi64_mask(_mm512_set1_epi64(e), wanted);
    for (std::uint32_t k = 0; k < K; ++k)
      entry[k] = _mm512_mask_mov_epi64(entry[k], hit, _mm512_loadu_si512(side.numbers[e].data() + 8 * k));
  }
  for (std::uint32_t k = 0; k < K; ++k) _mm512_storeu_si512(side.numbers[kFactor].data() + 8 * k, entry[k]);
}

template <std::uint32_t kLimbs>
void PowerPair(const MontgomeryModulus* const (&mods)[2], const Limbs* const (&forms)[2],
               const BigInt* const (&exponents)[2], std::uint32_t bits, Limbs* const (&outs)[2]) {
  Side<kLimbs> sides[2];
  for (std::uint32_t s = 0; s < 2; ++s) {
    ToDigits<kLimbs>(mods[s]->modulus(), sides[s].m);
    sides[s].m0inv = mods[s]->m0inv() & kDigitMask;
    Lift<kLimbs>(*mods[s], mods[s]->one(), sides[s].numbers[0]);
    Lift<kLimbs>(*mods[s], *forms[s], sides[s].numbers[1]);
  }
  // The odd powers by multiplying by the base, the even ones by squaring.
  for (std::uint32_t e = 2; e < kTableSize; ++e) {
    if (e % 2 == 0) {
      MultiplyPair<kLimbs>(sides, e / 2, e / 2, e);
    } else {
      MultiplyPair<kLimbs>(sides, e - 1, 1, e);
    }
  }
  for (std::uint32_t s = 0; s < 2; ++s) sides[s].numbers[kAcc] = sides[s].numbers[0];
  for (std::uint32_t w = (bits + kWindowBits - 1) / kWindowBits; w-- > 0;) {
    for (std::uint32_t i = 0; i < kWindowBits; ++i) MultiplyPair<kLimbs>(sides, kAcc, kAcc, kAcc);
    for (std::uint32_t s = 0; s < 2; ++s)
      SelectEntry<kLimbs>(sides[s], ExponentWindow(*exponents[s], w * kWindowBits, kWindowBits));
    MultiplyPair<kLimbs>(sides, kAcc, kFactor, kAcc);
  }
  // Out of the form: times 1 gives a value of at most m, which one masked subtraction ends.
  for (std::uint32_t s = 0; s < 2; ++s) {
    sides[s].numbers[kFactor] = {};
    sides[s].numbers[kFactor][0] = 1;
  }
  MultiplyPair<kLimbs>(sides, kAcc, kFactor, kAcc);
  for (std::uint32_t s = 0; s < 2; ++s) {
    FromDigits<kLimbs>(sides[s].numbers[kAcc], *outs[s]);
    SubtractModulusMasked(kLimbs, outs[s]->v.data(), 0, mods[s]->modulus().v.data(), outs[s]->v.data());
  }
  SecureWipe(sides, sizeof sides);
}

}  // namespace

bool IfmaPowerWidth(std::uint32_t limbs) { return limbs == 16 || limbs == 32; }

void IfmaPowerPair(const MontgomeryModulus& mod1, const Limbs& form1, const BigInt& x1,
                   const MontgomeryModulus& mod2, const Limbs& form2, const BigInt& x2, std::uint32_t bits,
                   Limbs& out1, Limbs& out2) {
  const MontgomeryModulus* const mods[2] = {&mod1, &mod2};
  const Limbs* const forms[2] = {&form1, &form2};
  const BigInt* const exponents[2] = {&x1, &x2};
  Limbs* const outs[2] = {&out1, &out2};
  if (mod1.limbs() == 16) {
    PowerPair<16>(mods, forms, exponents, bits, outs);
  } else {
    PowerPair<32>(mods, forms, exponents, bits, outs);
  }
}

}  // namespace qs
#endif
