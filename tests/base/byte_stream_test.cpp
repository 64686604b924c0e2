#include "base/byte_stream.h"

#include <gtest/gtest.h>

#include "base/byte_order.h"
#include "base/record.h"
#include "tests/support/hex.h"

namespace qs {
namespace {

using test::FromHex;
using test::FromString;
using test::ToHex;

TEST(ByteStream, ReadsLittleEndianIntegers) {
  ByteStream s(FromHex("ab 3412 efbeadde"));
  EXPECT_EQ(s.readU8(), 0xAB);
  EXPECT_EQ(s.readU16(), 0x1234);
  EXPECT_EQ(s.readU32(), 0xDEADBEEFu);
  EXPECT_EQ(s.remaining(), 0u);
}

TEST(ByteStream, ByteOrderHelpersRoundTripEveryWidth) {
  struct Case {
    std::size_t width;
    std::uint64_t value;
    const char* littleEndian;
    const char* bigEndian;
  };
  const Case cases[] = {
      {2, 0x1234, "3412", "1234"},
      {3, 0xABCDEF, "efcdab", "abcdef"},
      {4, 0xDEADBEEF, "efbeadde", "deadbeef"},
      {8, 0x0102030405060708, "0807060504030201", "0102030405060708"},
  };
  for (const Case& c : cases) {
    ByteBuffer bytes = ByteBuffer::zeros(static_cast<std::uint32_t>(c.width));
    StoreLe(bytes.data(), c.value, c.width);
    EXPECT_EQ(ToHex(bytes), ToHex(FromHex(c.littleEndian))) << c.width;
    EXPECT_EQ(LoadLe(bytes.data(), c.width), c.value) << c.width;
    StoreBe(bytes.data(), c.value, c.width);
    EXPECT_EQ(ToHex(bytes), ToHex(FromHex(c.bigEndian))) << c.width;
    EXPECT_EQ(LoadBe(bytes.data(), c.width), c.value) << c.width;
  }
}

TEST(ByteStream, ShortReadsYieldZeroAndStillMoveTheCursor) {
  ByteStream s(FromHex("010203"));
  EXPECT_EQ(s.readU32(), 0u);
  EXPECT_EQ(s.cursor, 4u);
  EXPECT_EQ(s.readU8(), 0u);
  EXPECT_EQ(s.readU16(), 0u);
  EXPECT_TRUE(s.readField().empty());
}

TEST(ByteStream, EmptyFieldMovesTheCursorByFour) {
  ByteStream s(FromHex("00000000 07"));
  EXPECT_TRUE(s.readField().empty());
  EXPECT_EQ(s.cursor, 4u);
  EXPECT_EQ(s.readU8(), 7);
}

TEST(ByteStream, OverlongFieldYieldsTheRemainingBytes) {
  ByteStream s(FromHex("10000000 aabbcc"));
  EXPECT_EQ(ToHex(s.readField()), "aabbcc");
  EXPECT_EQ(s.readU16(), 0);
}

TEST(ByteStream, SkipFieldMovesPastItAndSaturatesAtTheTop) {
  ByteStream s(FromHex("02000000 aabb 05"));
  s.skipField();
  EXPECT_EQ(s.readU8(), 5);
  ByteStream far(FromHex("ffffffff 01"));
  far.skipField();
  EXPECT_EQ(far.cursor, 0xFFFFFFFFu);
  EXPECT_EQ(far.readU32(), 0u);
  EXPECT_EQ(far.cursor, 0xFFFFFFFFu);
}

TEST(ByteStream, CompleteFieldRefusesWhatTheBufferDoesNotHold) {
  ByteStream s(FromHex("02000000 aabb 03000000 cc"));
  EXPECT_EQ(ToHex(*s.readCompleteField()), "aabb");
  EXPECT_FALSE(s.readCompleteField());
  ByteStream shortPrefix(FromHex("0000"));
  EXPECT_FALSE(shortPrefix.readCompleteField());
  ByteStream empty(FromHex("00000000"));
  EXPECT_TRUE(empty.readCompleteField()->empty());
}

TEST(Record, HeaderRoundTripAndRejection) {
  ByteBuffer b;
  AppendRecordHeader(b, tag::kPublicKey);
  EXPECT_EQ(ToHex(b), "09000000" + ToHex(FromString("PublicKey")) + "0000");
  ByteStream good(b);
  EXPECT_TRUE(ReadRecordHeader(good, tag::kPublicKey));
  ByteStream wrongTag(b);
  EXPECT_FALSE(ReadRecordHeader(wrongTag, tag::kPrivateKey));
  b.at(b.length() - 1) = 1;  // version 256
  ByteStream wrongVersion(b);
  EXPECT_FALSE(ReadRecordHeader(wrongVersion, tag::kPublicKey));
  ByteStream empty{ByteBuffer()};
  EXPECT_FALSE(ReadRecordHeader(empty, tag::kPublicKey));
}

}  // namespace
}  // namespace qs
