#include "base/constant_time.h"
#include "crypto/montgomery.h"
#include "crypto/montgomery_kernel.h"
#include "crypto/montgomery_pair.h"
#include "crypto/rsa_key.h"

namespace qs {
namespace {

__extension__ using U128 = unsigned __int128;

// 1 when a < b over count limbs (the borrow of a − b), else 0.
std::uint64_t Below(const Limbs& a, const Limbs& b, std::uint32_t count) {
  std::uint64_t borrow = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const U128 d = static_cast<U128>(a[i]) - b[i] - borrow;
    borrow = static_cast<std::uint64_t>(d >> 64) & 1;
  }
  return borrow;
}

// 1 when a and b agree over count limbs, else 0.
std::uint64_t Equal(const Limbs& a, const Limbs& b, std::uint32_t count) {
  std::uint64_t difference = 0;
  for (std::uint32_t i = 0; i < count; ++i) difference |= a[i] ^ b[i];
  return ct::IsZeroMask64(difference) & 1;
}

}  // namespace

bool RsaPrivate(const RsaKey& key, const BigInt& c, BigInt& r) {
  if (!key.valid || !key.hasPrivate || c >= key.n) {
    r.wipe();
    return false;
  }
  // Every size comes from the public modulus length: p, q and the exponents are stored in
  // k/2 bytes, so they are worked on in that many limbs, with leading zero limbs if shorter.
  const std::uint32_t half = (key.modulusBytes / 2 + 7) / 8;
  const std::uint32_t full = 2 * half;
  const Limbs input = Limbs::of(c, full);
  const MontgomeryModulus modP(key.p, half);
  const MontgomeryModulus modQ(key.q, half);
  // m1 = c^dP mod p and m2 = c^dQ mod q, with windows over the primes' whole limb width.
  Limbs formP;
  modP.toForm(input, full, formP);
  Limbs formQ;
  modQ.toForm(input, full, formQ);
  Limbs m1;
  Limbs m2;
  PowerPairUniform(modP, formP, key.dP, modQ, formQ, key.dQ, 64 * half, m1, m2);

  // h = (m1 − m2)·qInv mod p: the difference of the forms (m2 reduced mod p on the way) times
  // the plain qInv is the plain product, whatever size qInv was stored at.
  Limbs difference;
  modP.toForm(m1, half, difference);
  Limbs form;
  modP.toForm(m2, half, form);
  modP.subtract(difference, form, difference);
  Limbs h;
  modP.multiply(Limbs::of(key.qInv, half), difference, h);

  // m = m2 + h·q, below 2^(64 · full).
  const Limbs q = Limbs::of(key.q, half);
  Limbs m;
  for (std::uint32_t i = 0; i < half; ++i) m[i + half] = MultiplyAddLimbs(&m[i], q.v.data(), h[i], half);
  std::uint64_t carry = 0;
  for (std::uint32_t i = 0; i < full; ++i) {
    const U128 s = static_cast<U128>(m[i]) + (i < half ? m2[i] : 0) + carry;
    m[i] = static_cast<std::uint64_t>(s);
    carry = static_cast<std::uint64_t>(s >> 64);
  }

  // m^e must give c back, and m must be below n; otherwise the result is zero.
  const MontgomeryModulus modN(key.n);
  Limbs check;
  modN.toForm(m, full, check);
  modN.powerPlain(check, BigInt(kPublicExponent), check);
  modN.fromForm(check, check);
  const std::uint64_t consistent = Below(m, Limbs::of(key.n, full), full) & Equal(check, input, full);
  for (std::uint32_t i = 0; i < full; ++i) m[i] &= 0 - consistent;
  r = m.toBigInt(full);
  return consistent != 0;
}

}  // namespace qs
