#include "crypto/bigint.h"

#include <gtest/gtest.h>

#include "tests/crypto/big_number.h"
#include "tests/support/hex.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

using test::FromHex;
using test::Number;
using test::NumberText;
using test::ToHex;

// A value of the given number of words, each all ones.
BigInt AllOnes(std::uint32_t words) {
  BigInt v;
  for (std::uint32_t i = 0; i < words; ++i) v.words()[i] = 0xFFFFFFFFu;
  v.setUsedWords(words);
  return v;
}

TEST(BigInt, ShortFinalGroupFillsTheTopBytesOfItsWord) {
  const BigInt five = BigInt::fromBytes(FromHex("0100000002"));
  EXPECT_EQ(five.usedWords(), 2u);
  EXPECT_EQ(five.word(0), 1u);
  EXPECT_EQ(five.word(1), 0x02000000u);
  EXPECT_EQ(BigInt::fromBytes(FromHex("0102")).word(0), 0x02010000u);
  EXPECT_EQ(BigInt::fromBytes(FromHex("010203")).word(0), 0x03020100u);
  // The natural encoding of the five bytes shows the lone byte at the top.
  EXPECT_EQ(ToHex(five.toBytes(0)), "0100000000000002");
}

TEST(BigInt, ZeroAndMinimumLengths) {
  const BigInt zero = BigInt::fromBytes(ByteBuffer());
  EXPECT_TRUE(zero.isZero());
  EXPECT_EQ(zero.usedWords(), 1u);
  EXPECT_EQ(ToHex(zero.toBytes(0)), "00000000");
  EXPECT_EQ(ToHex(zero.toBytes(6)), "000000000000");
  EXPECT_TRUE(BigInt::fromBytes(FromHex("00000000 00000000")).isZero());

  // Leading zero words are normalised away, so L = 0 gives only the used words.
  const BigInt small = BigInt::fromBytes(FromHex("78563412 00000000"));
  EXPECT_EQ(small.usedWords(), 1u);
  EXPECT_EQ(ToHex(small.toBytes(0)), "78563412");
  EXPECT_EQ(ToHex(small.toBytes(8)), "7856341200000000");
  EXPECT_EQ(ToHex(small.toBytes(2)), "78563412");          // never shorter than the used words
  EXPECT_EQ(ToHex(BigInt(0x100).toBytes(0)), "00010000");  // zero bytes of the top word stay
}

// The branch-free count agrees with the ordinary one wherever the top non-zero word sits.
TEST(BigInt, UniformCountMatchesNormalising) {
  for (const std::uint32_t top : {0u, 1u, 5u, 63u, 256u}) {
    for (const std::uint32_t count : {top + 1, 257u}) {
      BigInt plain;
      plain.words()[top] = 0x80000001u;
      BigInt uniform = plain;
      plain.setUsedWords(count);
      uniform.setUsedWordsUniform(count);
      EXPECT_EQ(uniform.usedWords(), top + 1);
      EXPECT_EQ(uniform, plain);
    }
  }
  BigInt zero;
  zero.setUsedWordsUniform(40);
  EXPECT_TRUE(zero.isZero());
  EXPECT_THROW(zero.setUsedWordsUniform(258), BigIntOverflow);
}

TEST(BigInt, ConversionCapacityIs1028Bytes) {
  ByteBuffer bytes = ByteBuffer::zeros(kBigIntMaxBytes);
  bytes.data()[kBigIntMaxBytes - 1] = 0x80;
  const BigInt largest = BigInt::fromBytes(bytes);
  EXPECT_EQ(largest.usedWords(), 257u);
  EXPECT_EQ(largest.bitLength(), 8224u);
  EXPECT_TRUE(largest.toBytes(0).equals(bytes));
  bytes.appendU8(0);
  EXPECT_THROW(BigInt::fromBytes(bytes), BigIntOverflow);
}

TEST(BigInt, AdditionOverflowsOnlyPast257Words) {
  BigInt r;
  Add(AllOnes(256), BigInt(1), r);
  EXPECT_EQ(r.usedWords(), 257u);
  EXPECT_EQ(r.bitLength(), 8193u);
  const BigInt before = r;
  EXPECT_THROW(Add(AllOnes(257), BigInt(1), r), BigIntOverflow);
  EXPECT_EQ(r, before);             // left unchanged
  Add(AllOnes(257), BigInt(0), r);  // 257 words, no carry
  EXPECT_EQ(r.usedWords(), 257u);
}

TEST(BigInt, MultiplicationChecksTheWordCountsBeforeMultiplying) {
  BigInt big;
  big.setBit(32 * 199);  // 200 words
  BigInt r;
  BigInt fiftySeven;
  fiftySeven.setBit(32 * 56);
  Multiply(big, fiftySeven, r);  // 257 words of operands: accepted
  EXPECT_EQ(r.bitLength(), 32 * 199 + 32 * 56 + 1);
  BigInt fiftyEight;
  fiftyEight.setBit(32 * 57);
  // The product would fit in 257 words, but the operands take 258.
  EXPECT_THROW(Multiply(big, fiftyEight, r), BigIntOverflow);
  Multiply(AllOnes(128), AllOnes(129), r);
  EXPECT_EQ(r.usedWords(), 257u);
}

TEST(BigInt, SignedSubtractionAndComparison) {
  BigInt r;
  Subtract(BigInt(5), BigInt(7), r);
  EXPECT_TRUE(r.negative());
  EXPECT_EQ(NumberText(r), "-2");
  EXPECT_LT(r, BigInt(0));
  EXPECT_LT(r, BigInt(1));
  Subtract(r, BigInt(3), r);  // −2 − 3
  EXPECT_EQ(NumberText(r), "-5");
  Add(r, BigInt(5), r);
  EXPECT_TRUE(r.isZero());
  EXPECT_FALSE(r.negative());                   // no negative zero
  Subtract(Number("100000000"), BigInt(1), r);  // borrow across a word
  EXPECT_EQ(NumberText(r), "ffffffff");
  EXPECT_EQ(r.usedWords(), 1u);
  EXPECT_GT(Number("ffffffffffffffff"), Number("fffffffffffffffe"));
  EXPECT_GT(Number("100000000"), Number("ffffffff"));
}

TEST(BigInt, BitOperations) {
  BigInt v;
  EXPECT_EQ(v.bitLength(), 0u);
  v.setBit(100);  // beyond the used words: the value grows
  EXPECT_EQ(v.usedWords(), 4u);
  EXPECT_EQ(v.bitLength(), 101u);
  EXPECT_TRUE(v.bit(100));
  EXPECT_FALSE(v.isOdd());
  v.setBit(0);
  EXPECT_TRUE(v.isOdd());
  v.clearBit(100);
  EXPECT_EQ(v, BigInt(1));
  EXPECT_EQ(v.usedWords(), 1u);
  EXPECT_THROW(v.setBit(8224), BigIntOverflow);
  v.setBit(8223);
  EXPECT_EQ(v.bitLength(), 8224u);

  BigInt shifted = Number("180000000");
  shifted.shiftRight1();
  EXPECT_EQ(NumberText(shifted), "c0000000");
  EXPECT_EQ(shifted.usedWords(), 1u);
}

TEST(BigInt, DivisionMatchesIndependentResults) {
  for (const auto& v : test::LoadVectors("crypto/bigint_divide.txt")) {
    const BigInt a = Number(v.at("A"));
    const BigInt b = Number(v.at("B"));
    BigInt q;
    BigInt r;
    Divide(a, b, q, r);
    EXPECT_EQ(NumberText(q), NumberText(Number(v.at("Q")))) << v.at("A") << " / " << v.at("B");
    EXPECT_EQ(NumberText(r), NumberText(Number(v.at("R")))) << v.at("A") << " / " << v.at("B");
    // In place: the remainder overwrites the dividend.
    BigInt inPlace = a;
    Mod(inPlace, b, inPlace);
    EXPECT_EQ(inPlace, r);
  }
}

TEST(BigInt, DivisionSignsAndSmallDivisors) {
  BigInt q;
  BigInt r;
  BigInt minusSeven = BigInt(7);
  minusSeven.negate();
  Divide(minusSeven, BigInt(2), q, r);  // truncating: −3 rest −1
  EXPECT_EQ(NumberText(q), "-3");
  EXPECT_EQ(NumberText(r), "-1");
  Mod(minusSeven, BigInt(2), r);  // the residue is never negative
  EXPECT_EQ(r, BigInt(1));
  EXPECT_THROW(Divide(BigInt(1), BigInt(0), q, r), BigIntOverflow);
  EXPECT_EQ(ModSmall(Number("10000000000000005"), 7), 0u);     // 2^64 ≡ 2 (mod 7)
  EXPECT_EQ(ModSmall(Number("ffffffffffffffff"), 65537), 0u);  // 2^16 ≡ −1 (mod 65537)
  EXPECT_EQ(ModSmall(Number("100000000"), 3), 1u);
}

}  // namespace
}  // namespace qs
