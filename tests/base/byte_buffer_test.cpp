#include "base/byte_buffer.h"

#include <gtest/gtest.h>

#include <limits>

#include "base/constant_time.h"
#include "base/secure_wipe.h"
#include "tests/support/hex.h"

namespace qs {
namespace {

using test::FromHex;
using test::FromString;
using test::ToHex;

TEST(ByteBuffer, GrowsZeroFilledAndKeepsContentOnResize) {
  ByteBuffer b = FromHex("010203");
  b.resize(6);
  EXPECT_EQ(ToHex(b), "010203000000");
  b.resize(2);
  EXPECT_EQ(ToHex(b), "0102");
  // Regrowing must not resurrect the bytes that were dropped.
  b.resize(4);
  EXPECT_EQ(ToHex(b), "01020000");
  b.resize(0);
  EXPECT_TRUE(b.empty());
  EXPECT_EQ(b.data(), nullptr);
}

TEST(ByteBuffer, AppendsLittleEndianIntegersAndFields) {
  ByteBuffer b;
  b.appendU8(0xAB);
  b.appendU16(0x1234);
  b.appendU32(0xDEADBEEF);
  b.appendField(FromHex("CAFE"));
  b.appendField(ByteBuffer());
  b.appendZeros(2);
  EXPECT_EQ(ToHex(b), "ab3412efbeadde02000000cafe000000000000");
}

TEST(ByteBuffer, AppendAndPrependFromItselfAreSafe) {
  ByteBuffer b = FromHex("0102");
  for (int i = 0; i < 5; ++i) b.append(b.data(), b.length());
  EXPECT_EQ(b.length(), 64u);
  EXPECT_EQ(ToHex(b.slice(4, 60)), "01020102");
  ByteBuffer c = FromHex("aabb");
  c.prepend(c.data() + 1, 1);
  EXPECT_EQ(ToHex(c), "bbaabb");
  c.prependZeros(2);
  EXPECT_EQ(ToHex(c), "0000bbaabb");
}

TEST(ByteBuffer, DropFrontEdgeCases) {
  ByteBuffer b = FromHex("010203");
  EXPECT_FALSE(b.dropFront(0));
  EXPECT_FALSE(b.dropFront(4));
  EXPECT_EQ(ToHex(b), "010203");
  EXPECT_TRUE(b.dropFront(1));
  EXPECT_EQ(ToHex(b), "0203");
  EXPECT_TRUE(b.dropFront(2));
  EXPECT_TRUE(b.empty());
}

TEST(ByteBuffer, SliceIsCutAtTheEnd) {
  const ByteBuffer b = FromHex("0001020304");
  EXPECT_EQ(ToHex(b.slice(2, 1)), "0102");
  EXPECT_EQ(ToHex(b.slice(100, 3)), "0304");
  EXPECT_TRUE(b.slice(1, 5).empty());
  EXPECT_TRUE(b.slice(1, 99).empty());
}

TEST(ByteBuffer, CopyIntoCopiesTheShorterLength) {
  const ByteBuffer src = FromHex("aabbcc");
  ByteBuffer shorter = ByteBuffer::zeros(2);
  src.copyInto(shorter);
  EXPECT_EQ(ToHex(shorter), "aabb");
  ByteBuffer longer = ByteBuffer::zeros(4);
  src.copyInto(longer);
  EXPECT_EQ(ToHex(longer), "aabbcc00");
}

TEST(ByteBuffer, AtOutsideTheBufferIsAFailure) {
  ByteBuffer b = FromHex("01");
  EXPECT_EQ(b.at(0), 1);
  EXPECT_THROW(b.at(1), BufferFailure);
  EXPECT_THROW(ByteBuffer().at(0), BufferFailure);
}

TEST(ByteBuffer, LengthOverflowIsAFailure) {
  // A buffer may not pass 2^32 - 1 bytes; the check comes before any allocation.
  ByteBuffer b = FromHex("01");
  EXPECT_THROW(b.appendZeros(std::numeric_limits<std::uint32_t>::max()), BufferFailure);
  EXPECT_EQ(b.length(), 1u);
}

TEST(ByteBuffer, EqualsComparesLengthThenEveryByte) {
  EXPECT_TRUE(ByteBuffer().equals(ByteBuffer()));
  EXPECT_FALSE(FromHex("01").equals(FromHex("0100")));
  EXPECT_FALSE(FromHex("0102").equals(FromHex("0103")));
  EXPECT_FALSE(FromHex("0102").equals(FromHex("0002")));
  EXPECT_TRUE(FromHex("0102").equals(FromHex("0102")));
}

TEST(ByteBuffer, ConstantTimeMasksCoverTheWholeWidth) {
  const std::uint8_t zeros[3] = {0, 0, 0};
  const std::uint8_t lastSet[3] = {0, 0, 0x80};
  EXPECT_TRUE(ct::AllZero(zeros, 3));
  EXPECT_FALSE(ct::AllZero(lastSet, 3));
  EXPECT_EQ(ct::IsZeroMask64(0), ~std::uint64_t{0});
  // Only the upper half set: a 32-bit mask would call this zero.
  EXPECT_EQ(ct::IsZeroMask64(std::uint64_t{1} << 63), 0u);
  EXPECT_EQ(ct::IsZeroMask64(1), 0u);
}

TEST(ByteBuffer, CopiesAreDeepAndMovesEmptyTheSource) {
  ByteBuffer a = FromHex("0102");
  ByteBuffer b = a;
  b.at(0) = 9;
  EXPECT_EQ(ToHex(a), "0102");
  ByteBuffer c = std::move(a);
  EXPECT_EQ(ToHex(c), "0102");
  EXPECT_TRUE(a.empty());  // NOLINT(bugprone-use-after-move): the moved-from state is defined
}

TEST(ByteBuffer, HexTextIsUppercaseWithoutSeparators) {
  EXPECT_EQ(ToHex(HexText(FromHex("00ab"))), ToHex(FromString("00AB")));
  EXPECT_TRUE(HexText(ByteBuffer()).empty());
}

TEST(SecureWipe, ZeroesEveryByte) {
  unsigned char secret[37];
  for (unsigned i = 0; i < sizeof secret; ++i) secret[i] = static_cast<unsigned char>(i + 1);
  SecureWipe(secret, sizeof secret);
  for (unsigned char c : secret) EXPECT_EQ(c, 0);
}

}  // namespace
}  // namespace qs
