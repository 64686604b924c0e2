#include "crypto/bigint.h"

#include <bit>

#include "base/byte_order.h"
#include "base/secure_wipe.h"

namespace qs {
namespace {

using Words = std::array<std::uint32_t, kBigIntWords + 1>;

// Wipes a scratch word array when the scope ends, whichever way it ends.
struct ScratchWords {
  Words w{};
  ~ScratchWords() { SecureWipe(w.data(), sizeof w); }
};

std::uint32_t Low(std::uint64_t v) { return static_cast<std::uint32_t>(v); }
std::uint32_t High(std::uint64_t v) { return static_cast<std::uint32_t>(v >> 32); }

// |a| + |b| into r; r may alias either.
void AddMagnitudes(const BigInt& a, const BigInt& b, BigInt& r) {
  const std::uint32_t n = a.usedWords() > b.usedWords() ? a.usedWords() : b.usedWords();
  BigInt sum;
  std::uint64_t carry = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    carry += static_cast<std::uint64_t>(a.word(i)) + b.word(i);
    sum.words()[i] = Low(carry);
    carry >>= 32;
  }
  std::uint32_t count = n;
  if (carry != 0) {
    if (n >= kBigIntMaxUsedWords) throw BigIntOverflow();
    sum.words()[n] = 1;
    count = n + 1;
  }
  sum.setUsedWords(count);
  r = sum;
}

// |a| − |b| into r for |a| >= |b|; r may alias either.
void SubtractMagnitudes(const BigInt& a, const BigInt& b, BigInt& r) {
  BigInt difference;
  std::uint64_t borrow = 0;
  for (std::uint32_t i = 0; i < a.usedWords(); ++i) {
    const std::uint64_t t = static_cast<std::uint64_t>(a.word(i)) - b.word(i) - borrow;
    difference.words()[i] = Low(t);
    borrow = (t >> 63) & 1;
  }
  difference.setUsedWords(a.usedWords());
  r = difference;
}

// Signed a + (negateB ? −b : b).
void AddSigned(const BigInt& a, const BigInt& b, bool negateB, BigInt& r) {
  const bool bNegative = b.negative() != negateB;
  if (a.negative() == bNegative) {
    AddMagnitudes(a, b, r);
    if (bNegative) r.negate();
    return;
  }
  // Opposite signs: the larger magnitude keeps its sign.
  if (CompareMagnitude(a, b) >= 0) {
    const bool negative = a.negative();
    SubtractMagnitudes(a, b, r);
    if (negative) r.negate();
  } else {
    SubtractMagnitudes(b, a, r);
    if (bNegative) r.negate();
  }
}

// Knuth's algorithm D on magnitudes; b has at least two words and |a| >= |b|.
void LongDivide(const BigInt& a, const BigInt& b, BigInt& q, BigInt& r) {
  const std::uint32_t n = b.usedWords();
  const std::uint32_t m = a.usedWords() - n;
  const int shift = std::countl_zero(b.word(n - 1));
  ScratchWords un;
  ScratchWords vn;
  // Normalise so that the divisor's top bit is set; the estimates below rely on it.
  for (std::uint32_t i = n - 1; i > 0; --i) {
    vn.w[i] = (b.word(i) << shift) | (shift == 0 ? 0 : b.word(i - 1) >> (32 - shift));
  }
  vn.w[0] = b.word(0) << shift;
  un.w[m + n] = shift == 0 ? 0 : a.word(m + n - 1) >> (32 - shift);
  for (std::uint32_t i = m + n - 1; i > 0; --i) {
    un.w[i] = (a.word(i) << shift) | (shift == 0 ? 0 : a.word(i - 1) >> (32 - shift));
  }
  un.w[0] = a.word(0) << shift;

  BigInt quotient;
  constexpr std::uint64_t kBase = 1ull << 32;
  for (std::uint32_t j = m + 1; j-- > 0;) {
    const std::uint64_t top = (static_cast<std::uint64_t>(un.w[j + n]) << 32) | un.w[j + n - 1];
    std::uint64_t qhat = top / vn.w[n - 1];
    std::uint64_t rhat = top % vn.w[n - 1];
    while (qhat >= kBase || qhat * vn.w[n - 2] > ((rhat << 32) | un.w[j + n - 2])) {
      --qhat;
      rhat += vn.w[n - 1];
      if (rhat >= kBase) break;
    }
    // Multiply and subtract; k carries the signed borrow.
    std::int64_t k = 0;
    std::int64_t t = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::uint64_t p = qhat * vn.w[i];
      t = static_cast<std::int64_t>(un.w[i + j]) - k - static_cast<std::int64_t>(p & 0xFFFFFFFFu);
      un.w[i + j] = Low(static_cast<std::uint64_t>(t));
      k = static_cast<std::int64_t>(p >> 32) - (t >> 32);
    }
    t = static_cast<std::int64_t>(un.w[j + n]) - k;
    un.w[j + n] = Low(static_cast<std::uint64_t>(t));
    if (t < 0) {
      // The estimate was one too large: add the divisor back.
      --qhat;
      std::uint64_t carry = 0;
      for (std::uint32_t i = 0; i < n; ++i) {
        carry += static_cast<std::uint64_t>(un.w[i + j]) + vn.w[i];
        un.w[i + j] = Low(carry);
        carry >>= 32;
      }
      un.w[j + n] += Low(carry);
    }
    quotient.words()[j] = Low(qhat);
  }
  quotient.setUsedWords(m + 1);

  BigInt remainder;
  for (std::uint32_t i = 0; i < n; ++i) {
    remainder.words()[i] = (un.w[i] >> shift) | (shift == 0 ? 0 : un.w[i + 1] << (32 - shift));
  }
  remainder.setUsedWords(n);
  q = quotient;
  r = remainder;
}

// Division by one word.
void ShortDivide(const BigInt& a, std::uint32_t d, BigInt& q, BigInt& r) {
  BigInt quotient;
  std::uint64_t rest = 0;
  for (std::uint32_t i = a.usedWords(); i-- > 0;) {
    const std::uint64_t cur = (rest << 32) | a.word(i);
    quotient.words()[i] = Low(cur / d);
    rest = cur % d;
  }
  quotient.setUsedWords(a.usedWords());
  q = quotient;
  r = BigInt(Low(rest));
}

}  // namespace

BigInt BigInt::fromBytes(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > kBigIntMaxBytes) throw BigIntOverflow();
  BigInt v;
  const std::uint32_t n = static_cast<std::uint32_t>(bytes.size());
  const std::uint32_t groups = (n + 3) / 4;
  for (std::uint32_t j = 0; j < groups; ++j) {
    const std::uint32_t start = 4 * j;
    const std::uint32_t m = n - start < 4 ? n - start : 4;
    // A short group sits in the top bytes, as if zero bytes stood before it.
    std::uint32_t w = 0;
    for (std::uint32_t i = 0; i < m; ++i)
      w |= static_cast<std::uint32_t>(bytes[start + i]) << (8 * (4 - m + i));
    v.words_[j] = w;
  }
  v.setUsedWords(groups == 0 ? 1 : groups);
  return v;
}

ByteBuffer BigInt::toBytes(std::uint32_t minLength) const {
  const std::uint32_t natural = 4 * count_;
  ByteBuffer out = ByteBuffer::zeros(minLength > natural ? minLength : natural);
  for (std::uint32_t j = 0; j < count_; ++j) StoreLe32(out.data() + 4 * j, words_[j]);
  return out;
}

void BigInt::wipe() noexcept {
  SecureWipe(words_.data(), sizeof words_);
  count_ = 1;
  negative_ = 0;
}

std::uint32_t BigInt::bitLength() const {
  const std::uint32_t top = words_[count_ - 1];
  if (top == 0) return 0;  // normalised, so only zero
  return 32 * (count_ - 1) + static_cast<std::uint32_t>(std::bit_width(top));
}

void BigInt::setBit(std::uint32_t i) {
  const std::uint32_t w = i / 32;
  if (w >= kBigIntMaxUsedWords) throw BigIntOverflow();
  words_[w] |= 1u << (i % 32);
  if (w >= count_) count_ = w + 1;
}

void BigInt::clearBit(std::uint32_t i) {
  const std::uint32_t w = i / 32;
  if (w >= count_) return;
  words_[w] &= ~(1u << (i % 32));
  normalise();
}

void BigInt::shiftRight1() {
  for (std::uint32_t i = 0; i < count_; ++i) {
    words_[i] = (words_[i] >> 1) | (i + 1 < count_ ? words_[i + 1] << 31 : 0);
  }
  normalise();
}

void BigInt::setUsedWords(std::uint32_t count) {
  if (count == 0 || count > kBigIntMaxUsedWords) throw BigIntOverflow();
  // Words above the new count must be zero, so that a later count increase reads zeros.
  for (std::uint32_t i = count; i < count_; ++i) words_[i] = 0;
  count_ = count;
  normalise();
}

void BigInt::setUsedWordsUniform(std::uint32_t count) {
  if (count == 0 || count > kBigIntMaxUsedWords) throw BigIntOverflow();
  for (std::uint32_t i = count; i < count_; ++i) words_[i] = 0;
  std::uint32_t used = 1;
  for (std::uint32_t i = 1; i < count; ++i) {
    const std::uint32_t nonZero = 0 - ((words_[i] | (0 - words_[i])) >> 31);  // all ones when set
    used = (used & ~nonZero) | ((i + 1) & nonZero);
  }
  count_ = used;
  negative_ = 0;
}

void BigInt::normalise() {
  while (count_ > 1 && words_[count_ - 1] == 0) --count_;
  if (isZero()) negative_ = 0;
}

int CompareMagnitude(const BigInt& a, const BigInt& b) {
  if (a.usedWords() != b.usedWords()) return a.usedWords() < b.usedWords() ? -1 : 1;
  for (std::uint32_t i = a.usedWords(); i-- > 0;) {
    if (a.word(i) != b.word(i)) return a.word(i) < b.word(i) ? -1 : 1;
  }
  return 0;
}

int Compare(const BigInt& a, const BigInt& b) {
  if (a.negative() != b.negative()) return a.negative() ? -1 : 1;
  const int magnitude = CompareMagnitude(a, b);
  return a.negative() ? -magnitude : magnitude;
}

void Add(const BigInt& a, const BigInt& b, BigInt& r) { AddSigned(a, b, false, r); }

void Subtract(const BigInt& a, const BigInt& b, BigInt& r) { AddSigned(a, b, true, r); }

void Multiply(const BigInt& a, const BigInt& b, BigInt& r) {
  const std::uint32_t na = a.usedWords();
  const std::uint32_t nb = b.usedWords();
  if (na + nb > kBigIntMaxUsedWords) throw BigIntOverflow();
  BigInt product;
  std::uint32_t* p = product.words();
  for (std::uint32_t i = 0; i < na; ++i) {
    std::uint64_t carry = 0;
    const std::uint64_t ai = a.word(i);
    for (std::uint32_t j = 0; j < nb; ++j) {
      carry += ai * b.word(j) + p[i + j];
      p[i + j] = Low(carry);
      carry = High(carry);
    }
    p[i + nb] = Low(carry);
  }
  product.setUsedWords(na + nb);
  if (a.negative() != b.negative()) product.negate();
  r = product;
}

void Divide(const BigInt& a, const BigInt& b, BigInt& q, BigInt& r) {
  if (b.isZero()) throw BigIntOverflow("division by zero");
  const bool quotientNegative = a.negative() != b.negative();
  const bool remainderNegative = a.negative();
  BigInt quotient;
  BigInt remainder;
  if (CompareMagnitude(a, b) < 0) {
    remainder = a;
    if (remainder.negative()) remainder.negate();
  } else if (b.usedWords() == 1) {
    ShortDivide(a, b.word(0), quotient, remainder);
  } else {
    LongDivide(a, b, quotient, remainder);
  }
  if (quotientNegative) quotient.negate();
  if (remainderNegative) remainder.negate();
  q = quotient;
  r = remainder;
}

void Mod(const BigInt& a, const BigInt& m, BigInt& r) {
  BigInt quotient;
  BigInt remainder;
  Divide(a, m, quotient, remainder);
  if (remainder.negative()) {
    BigInt magnitude = m;
    if (magnitude.negative()) magnitude.negate();
    Add(remainder, magnitude, remainder);
  }
  r = remainder;
}

std::uint32_t ModSmall(const BigInt& a, std::uint32_t d) {
  if (d == 0) throw BigIntOverflow("division by zero");
  std::uint64_t rest = 0;
  for (std::uint32_t i = a.usedWords(); i-- > 0;) rest = ((rest << 32) | a.word(i)) % d;
  return Low(rest);
}

}  // namespace qs
