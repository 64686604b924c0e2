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
  std::array<std::uint64_t, kMaxLimbs + 2> v{};
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

class Modulus {
 public:
  // m must be odd and above 1.
  explicit Modulus(const BigInt& m) : n_(LimbCount(m)) {
    for (std::uint32_t i = 0; i < n_; ++i) m_[i] = LimbOf(m, i);
    // Newton's iteration doubles the correct low bits of m0⁻¹ each step (3 to start).
    std::uint64_t inverse = m_[0];
    for (int i = 0; i < 5; ++i) inverse *= 2 - m_[0] * inverse;
    m0inv_ = 0 - inverse;
    // R² mod m by doubling 1 and reducing each time: slow but free of value-dependent
    // steps, which matters when m is a secret prime.
    Limbs x;
    x[0] = 1;
    for (std::uint32_t i = 0; i < 128 * n_; ++i) add(x, x, x);
    r2_ = x;
    Limbs one;
    one[0] = 1;
    multiply(one, r2_, one_);  // R mod m, the form of 1
  }
  ~Modulus() { SecureWipe(&m0inv_, sizeof m0inv_); }
  Modulus(const Modulus&) = delete;
  Modulus& operator=(const Modulus&) = delete;

  std::uint32_t limbs() const { return n_; }
  const Limbs& one() const { return one_; }

  // out = a·b·R⁻¹ mod m for a < R and b < m (CIOS); out may alias a or b.
  void multiply(const Limbs& a, const Limbs& b, Limbs& out) const {
    const std::uint32_t n = n_;
    const std::uint64_t* ap = a.v.data();
    const std::uint64_t* mp = m_.v.data();
    std::uint64_t* t = scratch_.v.data();
    for (std::uint32_t i = 0; i < n + 2; ++i) t[i] = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
      std::uint64_t carry = 0;
      const std::uint64_t bi = b[i];
      for (std::uint32_t j = 0; j < n; ++j) {
        const U128 s = static_cast<U128>(ap[j]) * bi + t[j] + carry;
        t[j] = static_cast<std::uint64_t>(s);
        carry = static_cast<std::uint64_t>(s >> 64);
      }
      U128 s = static_cast<U128>(t[n]) + carry;
      t[n] = static_cast<std::uint64_t>(s);
      t[n + 1] = static_cast<std::uint64_t>(s >> 64);

      const std::uint64_t mu = t[0] * m0inv_;
      s = static_cast<U128>(mu) * mp[0] + t[0];
      carry = static_cast<std::uint64_t>(s >> 64);
      for (std::uint32_t j = 1; j < n; ++j) {
        s = static_cast<U128>(mu) * mp[j] + t[j] + carry;
        t[j - 1] = static_cast<std::uint64_t>(s);
        carry = static_cast<std::uint64_t>(s >> 64);
      }
      s = static_cast<U128>(t[n]) + carry;
      t[n - 1] = static_cast<std::uint64_t>(s);
      t[n] = t[n + 1] + static_cast<std::uint64_t>(s >> 64);
    }
    // t < 2m: subtract m once, keeping t when that borrows.
    subtractModulusFrom(scratch_, t[n], out);
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

std::uint32_t WindowAt(const BigInt& x, std::uint32_t lowBit) {
  std::uint32_t w = 0;
  for (std::uint32_t i = kWindowBits; i-- > 0;) w = (w << 1) | (x.bit(lowBit + i) ? 1u : 0u);
  return w;
}

// The table of b^0 .. b^15 in Montgomery form.
void BuildTable(const Modulus& mod, const BigInt& b, std::array<Limbs, kTableSize>& table) {
  table[0] = mod.one();
  mod.toMontgomery(b, table[1]);
  for (std::uint32_t e = 2; e < kTableSize; ++e) mod.multiply(table[e - 1], table[1], table[e]);
}

// Raises to the bits of x from the top of a bitCount-bit window grid.
void Exponentiate(const Modulus& mod, const std::array<Limbs, kTableSize>& table, const BigInt& x,
                  std::uint32_t bitCount, bool uniform, Limbs& acc) {
  const std::uint32_t windows = (bitCount + kWindowBits - 1) / kWindowBits;
  Limbs factor;
  acc = mod.one();
  for (std::uint32_t w = windows; w-- > 0;) {
    for (std::uint32_t i = 0; i < kWindowBits; ++i) mod.multiply(acc, acc, acc);
    const std::uint32_t value = WindowAt(x, w * kWindowBits);
    if (uniform) {
      SelectEntry(table, value, mod.limbs(), factor);
      mod.multiply(acc, factor, acc);
    } else if (value != 0) {
      mod.multiply(acc, table[value], acc);
    }
  }
}

void ModExpWith(const BigInt& b, const BigInt& x, const BigInt& m, bool uniform, BigInt& r) {
  const Modulus mod(m);
  std::array<Limbs, kTableSize> table;
  BuildTable(mod, b, table);
  Limbs acc;
  const std::uint32_t bits = uniform && m.bitLength() > x.bitLength() ? m.bitLength() : x.bitLength();
  Exponentiate(mod, table, x, bits, uniform, acc);
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
