// RunLength and MoveToFront, the two byte-oriented stages.
#include <gtest/gtest.h>

#include <cstring>

#include "codec/move_to_front.h"
#include "codec/run_length.h"
#include "tests/support/hex.h"

namespace qs {
namespace {

using test::FromHex;
using test::ToHex;

std::string Encoded(const ByteBuffer& in) {
  ByteBuffer b(in);
  RunLengthEncode(b);
  return ToHex(b);
}

ByteBuffer Repeat(std::uint8_t v, std::uint32_t n) {
  ByteBuffer b = ByteBuffer::zeros(n);
  std::memset(b.data(), v, n);
  return b;
}

// Every value once, then again all but `rare`, so that `rare` becomes the escape.
ByteBuffer AllValuesWithRarest(std::uint8_t rare) {
  ByteBuffer b;
  for (int round = 0; round < 2; ++round) {
    for (int v = 0; v < 256; ++v) {
      if (round == 0 || v != rare) b.appendU8(static_cast<std::uint8_t>(v));
    }
  }
  return b;
}

TEST(RunLength, EscapeIsTheRarestValueAndTheLargestAmongEquals) {
  EXPECT_EQ(Encoded(ByteBuffer()), "ff");
  EXPECT_EQ(Encoded(FromHex("ff00")), "feff00");  // 0xFE is the largest absent value
  ByteBuffer all;
  for (int v = 0; v < 256; ++v) all.appendU8(static_cast<std::uint8_t>(v));
  EXPECT_EQ(Encoded(all).substr(0, 2), "ff");  // all equally often
  EXPECT_EQ(Encoded(AllValuesWithRarest(7)).substr(0, 2), "07");
}

TEST(RunLength, RunsOfFourToTwoHundredFiftyNineBecomeTokens) {
  EXPECT_EQ(Encoded(Repeat(0x41, 3)), "ff414141");
  EXPECT_EQ(Encoded(Repeat(0x41, 4)), "ffff4100");
  EXPECT_EQ(Encoded(Repeat(0x41, 259)), "ffff41ff");
  EXPECT_EQ(Encoded(Repeat(0x41, 260)), "ffff41ff41");
  EXPECT_EQ(Encoded(Repeat(0x41, 262)), "ffff41ff414141");
  EXPECT_EQ(Encoded(Repeat(0x41, 263)), "ffff41ffff4100");
  // A run of 2 or 3 between others stays literal; the next run is counted afresh.
  EXPECT_EQ(Encoded(FromHex("0101020202020203")), "ff0101ff020103");
}

TEST(RunLength, EscapeBytesArePairedEvenInsideRuns) {
  // Every other value ten times, 0x20 once alone and then as a run of five.
  ByteBuffer in;
  for (int round = 0; round < 10; ++round) {
    for (int v = 0; v < 256; ++v) {
      if (v != 0x20) in.appendU8(static_cast<std::uint8_t>(v));
    }
  }
  in.appendU8(0x20);
  in.append(Repeat(0x20, 5));
  ByteBuffer b(in);
  RunLengthEncode(b);
  ASSERT_EQ(b.length(), 1u + in.length() + 6u);
  EXPECT_EQ(b.data()[0], 0x20);
  EXPECT_EQ(ToHex(b.slice(12, b.length() - 12)), "202020202020202020202020");
  ASSERT_TRUE(RunLengthDecode(b, in.length()));
  EXPECT_TRUE(b.equals(in));
}

TEST(RunLength, DecodeRefusesTruncatedTokensAndOversizedOutput) {
  for (const char* hex : {"", "ff41ff", "ff41ff41", "00ff00ff"}) {
    ByteBuffer b = FromHex(hex);
    EXPECT_FALSE(RunLengthDecode(b, 1000)) << hex;
    EXPECT_EQ(ToHex(b), hex);
  }
  ByteBuffer b = FromHex("ffff41ffff41ff");  // 518 bytes
  EXPECT_FALSE(RunLengthDecode(b, 517));
  EXPECT_TRUE(RunLengthDecode(b, 518));
  EXPECT_TRUE(b.equals(Repeat(0x41, 518)));
  ByteBuffer escapeOnly = FromHex("7f");
  EXPECT_TRUE(RunLengthDecode(escapeOnly, 0));
  EXPECT_TRUE(escapeOnly.empty());
}

TEST(MoveToFront, KnownAnswerAndRoundTripOfEveryValue) {
  ByteBuffer b = FromHex("0101000202ff01ff");
  MoveToFrontEncode(b.span());
  EXPECT_EQ(ToHex(b), "0100010200ff0301");
  MoveToFrontDecode(b.span());
  EXPECT_EQ(ToHex(b), "0101000202ff01ff");

  ByteBuffer all;
  for (int i = 0; i < 1024; ++i) all.appendU8(static_cast<std::uint8_t>(i * 37 + i / 256));
  ByteBuffer c(all);
  MoveToFrontEncode(c.span());
  MoveToFrontDecode(c.span());
  EXPECT_TRUE(c.equals(all));
}

}  // namespace
}  // namespace qs
