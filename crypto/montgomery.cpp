#include "crypto/montgomery.h"

#include <array>

#include "base/secure_wipe.h"

namespace qs {
namespace {

__extension__ using U128 = unsigned __int128;

// A 257-word BigInt fills 129 limbs.
constexpr std::uint32_t kMaxLimbs = (kBigIntMaxUsedWords + 1) / 2;
constexpr std::uint32_t kWindowBits = 4;
constexpr std::uint32_t kTableSize = 1u << kWindowBits;

// One number of limbs, least significant first; wiped when it goes.
struct Limbs {
  std::array<std::uint64_t, kMaxLimbs + 1> v{};
  ~Limbs() { SecureWipe(v.data(), sizeof v); }
  std::uint64_t& operator[](std::uint32_t i) { return v[i]; }
  std::uint64_t operator[](std::uint32_t i) const { return v[i]; }
};

std::uint32_t LimbCount(const BigInt& x) { return (x.usedWords() + 1) / 2; }

std::uint64_t LimbOf(const BigInt& x, std::uint32_t i) {
  return static_cast<std::uint64_t>(x.word(2 * i)) | (static_cast<std::uint64_t>(x.word(2 * i + 1)) << 32);
}

// All ones when the value is zero, else zero; for small values (below 2^63).
std::uint64_t ZeroMask(std::uint64_t value) { return 0 - ((value - 1) >> 63); }

// t = a·b·R⁻¹ (below 2m, n + 1 limbs) with multiplication and reduction fused in one pass
// per limb of b, so the two carry chains can overlap; t has n + 1 limbs.
void MontgomeryProduct(std::uint32_t n, const std::uint64_t* a, const std::uint64_t* b,
                       const std::uint64_t* m, std::uint64_t m0inv, std::uint64_t* t) {
  for (std::uint32_t i = 0; i <= n; ++i) t[i] = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    // t = (t + a·b[i] + mu·m) / 2^64 in one pass, mu chosen so that the low limb vanishes.
    const std::uint64_t bi = b[i];
    U128 s = static_cast<U128>(a[0]) * bi + t[0];
    std::uint64_t carry = static_cast<std::uint64_t>(s >> 64);
    const std::uint64_t mu = static_cast<std::uint64_t>(s) * m0inv;
    U128 r = static_cast<U128>(mu) * m[0] + static_cast<std::uint64_t>(s);
    std::uint64_t reduceCarry = static_cast<std::uint64_t>(r >> 64);
    for (std::uint32_t j = 1; j < n; ++j) {
      s = static_cast<U128>(a[j]) * bi + t[j] + carry;
      carry = static_cast<std::uint64_t>(s >> 64);
      r = static_cast<U128>(mu) * m[j] + static_cast<std::uint64_t>(s) + reduceCarry;
      reduceCarry = static_cast<std::uint64_t>(r >> 64);
      t[j - 1] = static_cast<std::uint64_t>(r);
    }
    s = static_cast<U128>(t[n]) + carry + reduceCarry;
    t[n - 1] = static_cast<std::uint64_t>(s);
    t[n] = static_cast<std::uint64_t>(s >> 64);
  }
}

class Modulus {
 public:
  // m must be odd and above 1.
  explicit Modulus(const BigInt& m) : n_(LimbCount(m)) {
    for (std::uint32_t i = 0; i < n_; ++i) m_[i] = LimbOf(m, i);
    // Newton's iteration doubles the correct low bits of m0⁻¹ each step (3 to start).
    std::uint64_t inverse = m_[0];
    for (int i = 0; i < 5; ++i) inverse *= 2 - m_[0] * inverse;
    m0inv_ = 0 - inverse;
    // R mod m by doubling 2^(b−1) < m up to 2^(64n); then R² as the Montgomery form of R:
    // with 64n = s·2^j (s odd), double s more times to get the form of 2^s and square it j
    // times. Only the sizes of m steer this, which matters when m is a secret prime.
    const std::uint32_t top = m.bitLength() - 1;
    Limbs x;
    x[top / 64] = std::uint64_t{1} << (top % 64);
    for (std::uint32_t i = top; i < 64 * n_; ++i) add(x, x, x);
    one_ = x;  // the form of 1
    std::uint32_t odd = 64 * n_;
    std::uint32_t squarings = 0;
    while (odd % 2 == 0) {
      odd /= 2;
      ++squarings;
    }
    for (std::uint32_t i = 0; i < odd; ++i) add(x, x, x);
    for (std::uint32_t i = 0; i < squarings; ++i) multiply(x, x, x);
    r2_ = x;
  }
  ~Modulus() { SecureWipe(&m0inv_, sizeof m0inv_); }
  Modulus(const Modulus&) = delete;
  Modulus& operator=(const Modulus&) = delete;

  std::uint32_t limbs() const { return n_; }
  const Limbs& one() const { return one_; }

  // out = a·b·R⁻¹ mod m for a < R and b < m (CIOS); out may alias a or b.
  void multiply(const Limbs& a, const Limbs& b, Limbs& out) const {
    std::uint64_t* t = scratch_.v.data();
    MontgomeryProduct(n_, a.v.data(), b.v.data(), m_.v.data(), m0inv_, t);
    // t < 2m: subtract m once, keeping t when that borrows.
    subtractModulusFrom(scratch_, t[n_], out);
  }

  // out = a + b mod m for a, b < m; out may alias either.
  void add(const Limbs& a, const Limbs& b, Limbs& out) const {
    Limbs& sum = scratch_;
    std::uint64_t carry = 0;
    for (std::uint32_t i = 0; i < n_; ++i) {
      const U128 s = static_cast<U128>(a[i]) + b[i] + carry;
      sum[i] = static_cast<std::uint64_t>(s);
      carry = static_cast<std::uint64_t>(s >> 64);
    }
    subtractModulusFrom(sum, carry, out);
  }

  // out = a − b mod m for a, b < m; out may alias either.
  void subtract(const Limbs& a, const Limbs& b, Limbs& out) const {
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

  // out = x·R mod m for any non-negative x: its limbs are taken in chunks of n from the top,
  // Horner style, so the time depends on x's size only.
  void toMontgomery(const BigInt& x, Limbs& out) const {
    const std::uint32_t total = LimbCount(x);
    const std::uint32_t chunks = (total + n_ - 1) / n_;
    Limbs chunk;
    Limbs part;
    out = Limbs{};
    for (std::uint32_t c = chunks; c-- > 0;) {
      for (std::uint32_t i = 0; i < n_; ++i) chunk[i] = LimbOf(x, c * n_ + i);
      multiply(out, r2_, out);     // shift what is there up by one chunk
      multiply(chunk, r2_, part);  // chunk·R mod m
      add(out, part, out);
    }
  }

  void fromMontgomery(const Limbs& a, BigInt& out) const {
    Limbs one;
    one[0] = 1;
    Limbs plain;
    multiply(a, one, plain);
    BigInt result;
    for (std::uint32_t i = 0; i < n_; ++i) {
      result.words()[2 * i] = static_cast<std::uint32_t>(plain[i]);
      result.words()[2 * i + 1] = static_cast<std::uint32_t>(plain[i] >> 32);
    }
    result.setUsedWords(2 * n_ > kBigIntMaxUsedWords ? kBigIntMaxUsedWords : 2 * n_);
    out = result;
  }

 private:
  // out = (top·R + value) − m when that is not negative, else value; constant time.
  void subtractModulusFrom(const Limbs& value, std::uint64_t top, Limbs& out) const {
    Limbs& difference = difference_;
    std::uint64_t borrow = 0;
    for (std::uint32_t i = 0; i < n_; ++i) {
      const U128 d = static_cast<U128>(value[i]) - m_[i] - borrow;
      difference[i] = static_cast<std::uint64_t>(d);
      borrow = static_cast<std::uint64_t>(d >> 64) & 1;
    }
    // Negative exactly when the top limb cannot pay the last borrow.
    const std::uint64_t keep = 0 - (borrow & ZeroMask(top));
    for (std::uint32_t i = 0; i < n_; ++i) out[i] = (value[i] & keep) | (difference[i] & ~keep);
  }

  std::uint32_t n_;
  Limbs m_;
  std::uint64_t m0inv_ = 0;
  Limbs r2_;
  Limbs one_;
  // Working space of one operation; part of the object so that it is wiped once, at the end.
  mutable Limbs scratch_;
  mutable Limbs difference_;
};

// Table entry index, read by scanning every entry so the access pattern shows nothing.
void SelectEntry(const std::array<Limbs, kTableSize>& table, std::uint32_t index, std::uint32_t n,
                 Limbs& out) {
  for (std::uint32_t i = 0; i < n; ++i) out[i] = 0;
  for (std::uint32_t e = 0; e < kTableSize; ++e) {
    const std::uint64_t mask = ZeroMask(e ^ index);
    for (std::uint32_t i = 0; i < n; ++i) out[i] |= table[e][i] & mask;
  }
}

std::uint32_t WindowAt(const BigInt& x, std::uint32_t lowBit, std::uint32_t bits) {
  std::uint32_t w = 0;
  for (std::uint32_t i = bits; i-- > 0;) w = (w << 1) | (x.bit(lowBit + i) ? 1u : 0u);
  return w;
}

// The table of b^0 .. b^(2^bits − 1) in Montgomery form.
void BuildTable(const Modulus& mod, const BigInt& b, std::uint32_t bits,
                std::array<Limbs, kTableSize>& table) {
  table[0] = mod.one();
  mod.toMontgomery(b, table[1]);
  for (std::uint32_t e = 2; e < (1u << bits); ++e) mod.multiply(table[e - 1], table[1], table[e]);
}

void ModExpWith(const BigInt& b, const BigInt& x, const BigInt& m, bool uniform, BigInt& r) {
  const Modulus mod(m);
  // Short public exponents (65537) go bit by bit: a table would cost more than it saves.
  const std::uint32_t windowBits = uniform || x.bitLength() > 64 ? kWindowBits : 1;
  std::array<Limbs, kTableSize> table;
  BuildTable(mod, b, windowBits, table);
  const std::uint32_t bits = uniform && m.bitLength() > x.bitLength() ? m.bitLength() : x.bitLength();
  const std::uint32_t windows = (bits + windowBits - 1) / windowBits;
  Limbs factor;
  Limbs acc = mod.one();
  for (std::uint32_t w = windows; w-- > 0;) {
    for (std::uint32_t i = 0; i < windowBits; ++i) mod.multiply(acc, acc, acc);
    const std::uint32_t value = WindowAt(x, w * windowBits, windowBits);
    if (uniform) {
      SelectEntry(table, value, mod.limbs(), factor);
      mod.multiply(acc, factor, acc);
    } else if (value != 0) {
      mod.multiply(acc, table[value], acc);
    }
  }
  mod.fromMontgomery(acc, r);
}

}  // namespace

void MontgomeryModExpPlain(const BigInt& b, const BigInt& x, const BigInt& m, BigInt& r) {
  ModExpWith(b, x, m, false, r);
}

void MontgomeryModExpUniform(const BigInt& b, const BigInt& x, const BigInt& m, BigInt& r) {
  ModExpWith(b, x, m, true, r);
}

void MontgomeryModSubMul(const BigInt& a, const BigInt& b, const BigInt& c, const BigInt& m, BigInt& r) {
  const Modulus mod(m);
  Limbs am;
  Limbs bm;
  Limbs cm;
  mod.toMontgomery(a, am);
  mod.toMontgomery(b, bm);
  mod.toMontgomery(c, cm);
  mod.subtract(am, bm, am);  // (a − b)·R
  mod.multiply(am, cm, am);  // (a − b)·c·R
  mod.fromMontgomery(am, r);
}

}  // namespace qs
