#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>

#include "base/byte_buffer.h"

namespace qs {

// Raised when a value would not fit a BigInt. RSA bounds every input by the modulus length
// first, so it marks a programming error or a damaged key; the RSA entry points turn it into
// a plain failure.
// Division by zero is reported the same way: its quotient fits nowhere.
class BigIntOverflow : public std::runtime_error {
 public:
  explicit BigIntOverflow(const char* what = "big integer capacity exceeded") : std::runtime_error(what) {}
};

// Room for the product of two 4096-bit numbers plus one word of carry.
inline constexpr std::uint32_t kBigIntWords = 258;
inline constexpr std::uint32_t kBigIntMaxUsedWords = 257;
inline constexpr std::uint32_t kBigIntMaxBytes = 4 * kBigIntMaxUsedWords;

// A signed integer in fixed storage: 32-bit words, least significant first, a used-word
// count normalised so that the top used word is non-zero (zero is count 1, word 0 = 0) and a
// sign that only subtraction and the inverse's coefficients ever set. No heap storage; the
// destructor wipes every word, so a temporary never outlives its scope with key material.
//
// Timing, per operation: conversions, bit access, shifts and multiplication take time that
// depends on the used-word counts only; comparisons stop at the highest differing word, and
// addition and subtraction compare magnitudes when the signs differ; Divide, Mod and
// ModSmall also depend on the values (quotient corrections, hardware division). Secret
// exponentiation goes through crypto/montgomery.h.
class BigInt {
 public:
  BigInt() = default;
  explicit BigInt(std::uint32_t value) { words_[0] = value; }
  BigInt(const BigInt& other) = default;
  BigInt& operator=(const BigInt& other) = default;
  ~BigInt() { wipe(); }

  // Groups of four bytes from the start form words 0, 1, ... little-endian; a short final
  // group of m bytes fills the m most significant bytes of its word. Empty gives zero; more
  // than kBigIntMaxBytes throws BigIntOverflow.
  static BigInt fromBytes(std::span<const std::uint8_t> bytes);
  static BigInt fromBytes(const ByteBuffer& bytes) { return fromBytes(bytes.span()); }
  // max(minLength, 4 × used words) bytes: word j little-endian at offset 4j, zeros after.
  ByteBuffer toBytes(std::uint32_t minLength) const;

  void wipe() noexcept;

  std::uint32_t usedWords() const { return count_; }
  std::uint32_t word(std::uint32_t i) const { return i < count_ ? words_[i] : 0; }
  bool negative() const { return negative_ != 0; }
  bool isZero() const { return count_ == 1 && words_[0] == 0; }
  bool isOdd() const { return (words_[0] & 1) != 0; }  // the low bit of the magnitude
  bool bit(std::uint32_t i) const { return ((word(i / 32) >> (i % 32)) & 1) != 0; }
  // 32 × (count − 1) + position of the top set bit + 1; 0 for zero.
  std::uint32_t bitLength() const;

  // Setting a bit above the used words extends the value; beyond capacity it throws.
  void setBit(std::uint32_t i);
  void clearBit(std::uint32_t i);
  void shiftRight1();
  void negate() { negative_ = isZero() ? 0 : static_cast<std::uint8_t>(negative_ ^ 1); }

  // Raw access for the arithmetic in this folder; normalise() after writing words.
  std::uint32_t* words() { return words_.data(); }
  const std::uint32_t* words() const { return words_.data(); }
  void setUsedWords(std::uint32_t count);  // then normalised
  // The same for a non-negative value, finding its top word without branching on the words:
  // time depends on count only.
  void setUsedWordsUniform(std::uint32_t count);
  void normalise();

 private:
  // Words at and above count_ are always zero.
  std::array<std::uint32_t, kBigIntWords> words_{};
  std::uint32_t count_ = 1;
  std::uint8_t negative_ = 0;
};

// Signed comparison: negative, zero or positive as a is below, equal to or above b.
int Compare(const BigInt& a, const BigInt& b);
// Magnitudes only.
int CompareMagnitude(const BigInt& a, const BigInt& b);
inline bool operator==(const BigInt& a, const BigInt& b) { return Compare(a, b) == 0; }
inline bool operator<(const BigInt& a, const BigInt& b) { return Compare(a, b) < 0; }
inline bool operator<=(const BigInt& a, const BigInt& b) { return Compare(a, b) <= 0; }
inline bool operator>(const BigInt& a, const BigInt& b) { return Compare(a, b) > 0; }
inline bool operator>=(const BigInt& a, const BigInt& b) { return Compare(a, b) >= 0; }

// Every result may alias an operand. Overflow throws BigIntOverflow and leaves r unchanged.
// A sum needing 258 words overflows.
void Add(const BigInt& a, const BigInt& b, BigInt& r);
void Subtract(const BigInt& a, const BigInt& b, BigInt& r);
// Schoolbook. Overflows when the operands' used words add up to more than 257, whatever the
// product turns out to be.
void Multiply(const BigInt& a, const BigInt& b, BigInt& r);
// Truncating division of magnitudes: |a| = q·|b| + r with 0 <= r < |b|; q takes the sign of
// a·b, r that of a. Division by zero throws BigIntOverflow.
void Divide(const BigInt& a, const BigInt& b, BigInt& q, BigInt& r);
// The residue in 0 .. m − 1 for a positive m, whatever the sign of a.
void Mod(const BigInt& a, const BigInt& m, BigInt& r);
// |a| mod d for a non-zero d.
std::uint32_t ModSmall(const BigInt& a, std::uint32_t d);

}  // namespace qs
