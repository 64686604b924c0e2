#include "crypto/montgomery.h"

#include "base/constant_time.h"
#include "base/secure_wipe.h"
#include "crypto/montgomery_kernel.h"

namespace qs {
namespace {

__extension__ using U128 = unsigned __int128;

constexpr std::uint32_t kTableSize = 1u << kWindowBits;

using Table = std::array<Limbs, kTableSize>;

std::uint32_t LimbCount(const BigInt& x) { return (x.usedWords() + 1) / 2; }

// Entry index of the table, read by scanning every entry so the access pattern shows nothing.
void SelectEntry(const Table& table, std::uint32_t index, std::uint32_t n, Limbs& out) {
  for (std::uint32_t i = 0; i < n; ++i) out[i] = 0;
  for (std::uint32_t e = 0; e < kTableSize; ++e) {
    const std::uint64_t mask = ct::IsZeroMask64(e ^ index);
    for (std::uint32_t i = 0; i < n; ++i) out[i] |= table[e][i] & mask;
  }
}

// base^0 .. base^(2^bits − 1), the odd powers by multiplying, the even ones by squaring.
void BuildTable(const MontgomeryModulus& mod, const Limbs& base, std::uint32_t bits, Table& table) {
  table[0] = mod.one();
  table[1] = base;
  for (std::uint32_t e = 2; e < (1u << bits); ++e) {
    if (e % 2 == 0) {
      mod.square(table[e / 2], table[e]);
    } else {
      mod.multiply(table[e - 1], base, table[e]);
    }
  }
}

}  // namespace

std::uint32_t ExponentWindow(const BigInt& x, std::uint32_t lowBit, std::uint32_t bits) {
  std::uint32_t w = 0;
  for (std::uint32_t i = bits; i-- > 0;) {
    const std::uint32_t position = lowBit + i;
    const std::uint32_t bit =
        position / 32 < kBigIntWords ? (x.words()[position / 32] >> (position % 32)) & 1 : 0;
    w = (w << 1) | bit;
  }
  return w;
}

Limbs::~Limbs() { SecureWipe(v.data(), sizeof v); }

Limbs Limbs::of(const BigInt& x, std::uint32_t count) {
  Limbs out;
  const std::uint32_t* w = x.words();
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t high = 2 * i + 1 < kBigIntWords ? w[2 * i + 1] : 0;
    out.v[i] = static_cast<std::uint64_t>(w[2 * i]) | (high << 32);
  }
  return out;
}

BigInt Limbs::toBigInt(std::uint32_t count) const {
  BigInt out;
  const std::uint32_t words = 2 * count < kBigIntMaxUsedWords ? 2 * count : kBigIntMaxUsedWords;
  for (std::uint32_t j = 0; j < words; ++j)
    out.words()[j] = static_cast<std::uint32_t>(v[j / 2] >> (32 * (j % 2)));
  out.setUsedWordsUniform(words);
  return out;
}

MontgomeryModulus::MontgomeryModulus(const BigInt& m, std::uint32_t limbs)
    : n_(limbs), m_(Limbs::of(m, limbs)) {
  // 2^(64n − 1) is below m.
  setUp(64 * limbs - 1);
}

MontgomeryModulus::MontgomeryModulus(const BigInt& m) : n_(LimbCount(m)), m_(Limbs::of(m, n_)) {
  // 2^(b − 1) is below m.
  setUp(m.bitLength() - 1);
}

MontgomeryModulus::~MontgomeryModulus() {
  SecureWipe(&m0inv_, sizeof m0inv_);
  SecureWipe(scratch_.data(), sizeof scratch_);
}

void MontgomeryModulus::setUp(std::uint32_t start) {
  // Newton's iteration doubles the correct low bits of m0⁻¹ each step (3 to start).
  std::uint64_t inverse = m_[0];
  for (int i = 0; i < 5; ++i) inverse *= 2 - m_[0] * inverse;
  m0inv_ = 0 - inverse;
  // R mod m by doubling; then R² as the form of R: with 64n = s·2^j (s odd), double s more
  // times to get the form of 2^s and square it j times.
  Limbs x;
  x[start / 64] = std::uint64_t{1} << (start % 64);
  for (std::uint32_t i = start; i < 64 * n_; ++i) add(x, x, x);
  one_ = x;
  std::uint32_t odd = 64 * n_;
  std::uint32_t squarings = 0;
  while (odd % 2 == 0) {
    odd /= 2;
    ++squarings;
  }
  for (std::uint32_t i = 0; i < odd; ++i) add(x, x, x);
  for (std::uint32_t i = 0; i < squarings; ++i) square(x, x);
  r2_ = x;
}

void MontgomeryModulus::multiply(const Limbs& a, const Limbs& b, Limbs& out) const {
  MontgomeryMultiplyLimbs(n_, a.v.data(), b.v.data(), m_.v.data(), m0inv_, scratch_.data(), out.v.data());
}

void MontgomeryModulus::square(const Limbs& a, Limbs& out) const {
  MontgomerySquareLimbs(n_, a.v.data(), m_.v.data(), m0inv_, scratch_.data(), out.v.data());
}

void MontgomeryModulus::add(const Limbs& a, const Limbs& b, Limbs& out) const {
  std::uint64_t carry = 0;
  for (std::uint32_t i = 0; i < n_; ++i) {
    const U128 s = static_cast<U128>(a[i]) + b[i] + carry;
    out[i] = static_cast<std::uint64_t>(s);
    carry = static_cast<std::uint64_t>(s >> 64);
  }
  SubtractModulusMasked(n_, out.v.data(), carry, m_.v.data(), out.v.data());
}

void MontgomeryModulus::subtract(const Limbs& a, const Limbs& b, Limbs& out) const {
  std::uint64_t borrow = 0;
  for (std::uint32_t i = 0; i < n_; ++i) {
    const U128 d = static_cast<U128>(a[i]) - b[i] - borrow;
    out[i] = static_cast<std::uint64_t>(d);
    borrow = static_cast<std::uint64_t>(d >> 64) & 1;
  }
  const std::uint64_t mask = 0 - borrow;  // add m back when it went below zero
  std::uint64_t carry = 0;
  for (std::uint32_t i = 0; i < n_; ++i) {
    const U128 s = static_cast<U128>(out[i]) + (m_[i] & mask) + carry;
    out[i] = static_cast<std::uint64_t>(s);
    carry = static_cast<std::uint64_t>(s >> 64);
  }
}

void MontgomeryModulus::toForm(const Limbs& x, std::uint32_t count, Limbs& out) const {
  // Chunks of n limbs from the top, Horner style: shift what is there up by one chunk, add
  // the next chunk·R.
  const std::uint32_t chunks = (count + n_ - 1) / n_;
  Limbs chunk;
  Limbs part;
  Limbs result;
  for (std::uint32_t c = chunks; c-- > 0;) {
    for (std::uint32_t i = 0; i < n_; ++i) chunk[i] = c * n_ + i < count ? x[c * n_ + i] : 0;
    multiply(result, r2_, result);
    multiply(chunk, r2_, part);
    add(result, part, result);
  }
  out = result;
}

void MontgomeryModulus::fromForm(const Limbs& a, Limbs& out) const {
  Limbs one;
  one[0] = 1;
  multiply(one, a, out);
}

void MontgomeryModulus::powerUniform(const Limbs& base, const BigInt& x, std::uint32_t bits,
                                     Limbs& out) const {
  Table table;
  BuildTable(*this, base, kWindowBits, table);
  Limbs factor;
  Limbs acc = one_;
  for (std::uint32_t w = (bits + kWindowBits - 1) / kWindowBits; w-- > 0;) {
    for (std::uint32_t i = 0; i < kWindowBits; ++i) square(acc, acc);
    SelectEntry(table, ExponentWindow(x, w * kWindowBits, kWindowBits), n_, factor);
    multiply(acc, factor, acc);
  }
  out = acc;
}

void MontgomeryModulus::powerPlain(const Limbs& base, const BigInt& x, Limbs& out) const {
  // Short exponents (65537) go bit by bit: a table would cost more than it saves.
  const std::uint32_t bits = x.bitLength();
  const std::uint32_t windowBits = bits > 64 ? kWindowBits : 1;
  Table table;
  BuildTable(*this, base, windowBits, table);
  Limbs acc = one_;
  for (std::uint32_t w = (bits + windowBits - 1) / windowBits; w-- > 0;) {
    for (std::uint32_t i = 0; i < windowBits; ++i) square(acc, acc);
    const std::uint32_t value = ExponentWindow(x, w * windowBits, windowBits);
    if (value != 0) multiply(acc, table[value], acc);
  }
  out = acc;
}

void MontgomeryModExpPlain(const BigInt& b, const BigInt& x, const BigInt& m, BigInt& r) {
  const MontgomeryModulus mod(m);
  Limbs form;
  mod.toForm(Limbs::of(b, LimbCount(b)), LimbCount(b), form);
  mod.powerPlain(form, x, form);
  mod.fromForm(form, form);
  r = form.toBigInt(mod.limbs());
}

}  // namespace qs
