#include <gtest/gtest.h>

#include <cstring>

#include "codec/bit_stream.h"
#include "codec/huffman.h"
#include "codec/huffman_tree.h"
#include "tests/codec/sample_data.h"
#include "tests/support/hex.h"

namespace qs {
namespace {

using test::FromHex;
using test::ToHex;

std::array<HuffmanCode, 256> Codes(const std::array<std::uint64_t, 256>& counts) {
  std::array<HuffmanCode, 256> codes;
  EXPECT_TRUE(BuildHuffmanCodes(BuildHuffmanTree(counts), codes));
  return codes;
}

void ExpectCode(const HuffmanCode& code, std::uint64_t pathBits, int length) {
  EXPECT_EQ(code.length, length);
  EXPECT_EQ(code.bits, pathBits);
}

ByteBuffer Repeat(std::uint8_t v, std::uint32_t n) {
  ByteBuffer b = ByteBuffer::zeros(n);
  std::memset(b.data(), v, n);
  return b;
}

TEST(HuffmanTree, FirstEntryIsNeverComparedSoTheRareValuesMergeWithIt) {
  // List (0:1000) (1:1) (2:2); 0 and 1 merge into 1001, which goes after 2, so the root joins
  // 2 (left) and that node: 2 = "0", 0 = "10", 1 = "11" (path bits read from bit 0 up).
  std::array<std::uint64_t, 256> counts{};
  counts[0] = 1000;
  counts[1] = 1;
  counts[2] = 2;
  const auto codes = Codes(counts);
  ExpectCode(codes[2], 0b0, 1);
  ExpectCode(codes[0], 0b01, 2);
  ExpectCode(codes[1], 0b11, 2);
}

TEST(HuffmanTree, OfTwoValuesTheSmallerIsLeftWhateverTheCounts) {
  std::array<std::uint64_t, 256> counts{};
  counts[5] = 1;
  counts[9] = 1000;
  const auto codes = Codes(counts);
  ExpectCode(codes[5], 0, 1);
  ExpectCode(codes[9], 1, 1);
}

TEST(HuffmanTree, RefusesTreesDeeperThanTheCodeTable) {
  // Fibonacci counts make a comb: m values give a leaf at depth m - 1.
  for (int values : {49, 50}) {
    std::array<std::uint64_t, 256> counts{};
    std::uint64_t a = 1, b = 1;
    for (int v = 0; v < values; ++v) {
      counts[v] = a;
      a = b;
      b += counts[v];
    }
    std::array<HuffmanCode, 256> codes;
    EXPECT_EQ(BuildHuffmanCodes(BuildHuffmanTree(counts), codes), values - 1 <= kMaxHuffmanCodeLength);
  }
}

TEST(Huffman, StreamsOfOneAndTwoValuesBitByBit) {
  // c = 0, n = 7, leaf 0x41: bits 00 1110000 0 1 10000010 -> 1c 0c 02.
  ByteBuffer b = Repeat(0x41, 7);
  ASSERT_TRUE(HuffmanEncode(b));
  EXPECT_EQ(ToHex(b), "1c0c02");
  ASSERT_TRUE(HuffmanDecode(b, 7));
  EXPECT_TRUE(b.equals(Repeat(0x41, 7)));

  // c = 0, n = 3, node(leaf 5, leaf 9), codes 1 0 0.
  b = FromHex("090505");
  ASSERT_TRUE(HuffmanEncode(b));
  EXPECT_EQ(ToHex(b), "0c583021");
  ASSERT_TRUE(HuffmanDecode(b, 3));
  EXPECT_EQ(ToHex(b), "090505");

  // The encoder never declares zero bytes, but a decoder reads such a stream as empty.
  b = FromHex("000400");
  ASSERT_TRUE(HuffmanDecode(b, 0));
  EXPECT_TRUE(b.empty());

  ByteBuffer empty;
  EXPECT_TRUE(HuffmanEncode(empty));
  EXPECT_TRUE(empty.empty());
  EXPECT_TRUE(HuffmanDecode(empty, 0));
  EXPECT_TRUE(empty.empty());
}

TEST(Huffman, HeaderGrowsWithTheSizeClass) {
  // A single value: header, then the 9-bit leaf, so the stream ends in the byte of bit
  // header + 8.
  const struct {
    std::uint32_t n;
    int headerBits;
  } cases[] = {{255, 10}, {256, 18}, {65535, 18}, {65536, 26}};
  for (const auto& c : cases) {
    ByteBuffer b = Repeat(0x00, c.n);
    ASSERT_TRUE(HuffmanEncode(b));
    EXPECT_EQ(b.length(), static_cast<std::uint32_t>((c.headerBits + 9 + 7) / 8)) << c.n;
    EXPECT_EQ(b.data()[0] & 3, (c.headerBits - 10) / 8) << c.n;
    EXPECT_EQ(b.data()[0] >> 2, c.n & 0x3F) << c.n;
    ASSERT_TRUE(HuffmanDecode(b, c.n));
    EXPECT_TRUE(b.equals(Repeat(0x00, c.n)));
  }
}

TEST(Huffman, RoundTripsEveryByteValueAndSkewedCounts) {
  for (auto kind : {test::Sample::kText, test::Sample::kRandom, test::Sample::kRuns}) {
    const ByteBuffer in = test::MakeSample(kind, 70000);
    ByteBuffer b(in);
    ASSERT_TRUE(HuffmanEncode(b));
    ASSERT_TRUE(HuffmanDecode(b, in.length()));
    EXPECT_TRUE(b.equals(in));
  }
}

// A stream from raw fields, for trees the encoder never writes.
class StreamBuilder {
 public:
  StreamBuilder& bits(std::uint64_t value, int count) {
    for (int i = 0; i < count; ++i) bits_.push_back((value >> i) & 1);
    return *this;
  }
  ByteBuffer build() const {
    ByteBuffer b = ByteBuffer::zeros(static_cast<std::uint32_t>((bits_.size() + 7) / 8));
    for (std::size_t i = 0; i < bits_.size(); ++i)
      b.data()[i / 8] |= static_cast<std::uint8_t>(bits_[i] << (i % 8));
    return b;
  }

 private:
  std::vector<int> bits_;
};

// A right comb with `leaves` leaves, every code ending in the last leaf.
ByteBuffer CombStream(int leaves) {
  StreamBuilder s;
  s.bits(0, 2).bits(1, 8);  // c = 0, n = 1
  for (int i = 0; i < leaves - 1; ++i) s.bits(0, 1).bits(1, 1).bits(i & 0xFF, 8);
  s.bits(1, 1).bits(0x77, 8);
  for (int i = 0; i < leaves - 1; ++i) s.bits(1, 1);  // the code of the deepest leaf
  return s.build();
}

TEST(Huffman, DecoderReadsDeepTreesUpToTwoHundredFiftySixLeaves) {
  ByteBuffer b = CombStream(256);
  ASSERT_TRUE(HuffmanDecode(b, 1));
  EXPECT_EQ(ToHex(b), "77");
  ByteBuffer tooMany = CombStream(257);
  EXPECT_FALSE(HuffmanDecode(tooMany, 1));
}

TEST(Huffman, DecoderRefusesShortStreamsAndOversizedCounts) {
  const char* bad[] = {
      "03",        // class 3 needs 5 bytes
      "03000000",  //
      "0c",        // class 0 needs 2 bytes
      "0c00",      // the tree runs out
      "0c5830",    // the codes run out
  };
  for (const char* hex : bad) {
    ByteBuffer b = FromHex(hex);
    EXPECT_FALSE(HuffmanDecode(b, 1000)) << hex;
    EXPECT_EQ(ToHex(b), hex);
  }
  // Zero bits after the header read as internal nodes without end; the 256th is refused.
  ByteBuffer zeros = ByteBuffer::zeros(1000);
  EXPECT_FALSE(HuffmanDecode(zeros, 1000));

  // A single-leaf stream claims any n for three bytes: the cap decides.
  ByteBuffer b = Repeat(0x41, 1000);
  ASSERT_TRUE(HuffmanEncode(b));
  const ByteBuffer stream(b);
  EXPECT_FALSE(HuffmanDecode(b, 999));
  EXPECT_TRUE(b.equals(stream));
  EXPECT_TRUE(HuffmanDecode(b, 1000));
}

}  // namespace
}  // namespace qs
