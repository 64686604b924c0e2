#include "codec/chunk_codec.h"

#include <gtest/gtest.h>

#include <cstring>

#include "codec/block_sort.h"
#include "codec/huffman.h"
#include "codec/limits.h"
#include "codec/move_to_front.h"
#include "codec/run_length.h"
#include "tests/codec/reference_decoder.h"
#include "tests/codec/sample_data.h"
#include "tests/support/hex.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

using test::BlockSortedChunk;
using test::FromHex;
using test::MakeSample;
using test::OneBlockContainer;
using test::ReferenceDecompress;
using test::Sample;
using test::ToHex;

ByteBuffer Compressed(const ByteBuffer& chunk, std::uint8_t mode = kChunkBlockSorted) {
  ByteBuffer b(chunk);
  EXPECT_TRUE(CompressChunk(b, mode));
  return b;
}

void ExpectRoundTrip(const ByteBuffer& chunk, const std::string& what) {
  ByteBuffer b = Compressed(chunk);
  ASSERT_TRUE(DecompressChunk(b)) << what;
  EXPECT_TRUE(b.equals(chunk)) << what;
}

ByteBuffer Pattern(const char* unit, std::uint32_t n) {
  ByteBuffer b = ByteBuffer::zeros(n);
  const std::size_t length = std::strlen(unit);
  for (std::uint32_t i = 0; i < n; ++i) b.data()[i] = static_cast<std::uint8_t>(unit[i % length]);
  return b;
}

TEST(ChunkCodec, RoundTripsEverySampleAtTheBoundaries) {
  for (Sample kind : {Sample::kText, Sample::kBinary, Sample::kRandom, Sample::kRuns}) {
    for (std::uint32_t n : {0u, 1u, 2u, 3u, 4u, 5u, 4095u}) {
      ExpectRoundTrip(MakeSample(kind, n), std::string(test::SampleName(kind)) + " " + std::to_string(n));
    }
  }
  // The full-size cases are slow under the sanitizers, so each kind gets the sizes it tests best.
  ExpectRoundTrip(MakeSample(Sample::kText, kMaxChunkBytes - 1), "text 2 MiB - 1");
  ExpectRoundTrip(MakeSample(Sample::kBinary, kMaxChunkBytes), "binary 2 MiB");
  ExpectRoundTrip(MakeSample(Sample::kRuns, kMaxChunkBytes - 1), "runs 2 MiB - 1");
  ExpectRoundTrip(MakeSample(Sample::kRuns, kMaxChunkBytes), "runs 2 MiB");
}

// Both decoders give back the chunk itself.
void ExpectBothDecode(const ByteBuffer& compressed, const ByteBuffer& chunk, const std::string& what) {
  const auto reference = ReferenceDecompress(compressed.span());
  ASSERT_TRUE(reference.has_value()) << what;
  EXPECT_TRUE(ByteBuffer(reference->data(), static_cast<std::uint32_t>(reference->size())).equals(chunk))
      << what;
  ByteBuffer b(compressed);
  ASSERT_TRUE(DecompressChunk(b)) << what;
  EXPECT_TRUE(b.equals(chunk)) << what;
}

TEST(ChunkCodec, DecodersAgreeWithTheReferenceOnEveryKindAndSize) {
  // Around one, the first sorted block (4), the Huffman size classes and a full chunk, whose
  // escape byte makes its block-sort input two blocks (2 MiB + 1 bytes).
  for (Sample kind : {Sample::kText, Sample::kBinary, Sample::kRandom, Sample::kRuns}) {
    for (std::uint32_t n : {1u, 2u, 3u, 4u, 5u, 255u, 256u, 65537u, kMaxChunkBytes - 1, kMaxChunkBytes}) {
      const bool large = n > 65537;
      if (large && kind != Sample::kText && kind != Sample::kRandom) continue;
      const ByteBuffer chunk = MakeSample(kind, n);
      const std::string what = std::string(test::SampleName(kind)) + " " + std::to_string(n);
      ExpectBothDecode(Compressed(chunk, kChunkRunLength), chunk, what + " mode 1");
      ByteBuffer sorted(chunk);
      RunLengthEncode(sorted);
      ASSERT_TRUE(BlockSortEncode(sorted, RotationSort::kBudgeted)) << what;
      ExpectBothDecode(BlockSortedChunk(sorted), chunk, what + " mode 2");
    }
  }
}

// Both decoders refuse, or both give the same bytes.
void ExpectSameDecision(const ByteBuffer& compressed, const std::string& what) {
  const auto reference = ReferenceDecompress(compressed.span());
  ByteBuffer b(compressed);
  ASSERT_EQ(DecompressChunk(b), reference.has_value()) << what;
  if (reference) {
    EXPECT_TRUE(ByteBuffer(reference->data(), static_cast<std::uint32_t>(reference->size())).equals(b))
        << what;
  }
}

TEST(ChunkCodec, PeriodicBlocksAndNonTransformsDecodeAlike) {
  for (auto [period, repeats] :
       {std::pair{4u, 1u}, {4u, 2u}, {5u, 3u}, {7u, 1000u}, {64u, 4097u}, {4u, 524288u}}) {
    ByteBuffer unit = ByteBuffer::zeros(period);
    for (std::uint32_t i = 0; i < period; ++i) unit.data()[i] = static_cast<std::uint8_t>(37 * i + 1);
    ByteBuffer block;
    for (std::uint32_t k = 0; k < repeats; ++k) block.append(unit);
    for (std::uint32_t copy : {0u, repeats - 1}) {
      const std::string what =
          std::to_string(period) + " x " + std::to_string(repeats) + " copy " + std::to_string(copy);
      const ByteBuffer container = test::PeriodicContainer(unit, repeats, copy);
      ByteBuffer b(container);
      ASSERT_TRUE(BlockSortDecode(b, kMaxFirstRunLengthBytes)) << what;
      EXPECT_TRUE(b.equals(block)) << what;
      ExpectSameDecision(BlockSortedChunk(container), what);
    }
  }
  // A last column that is no transform at all: its back links form cycles of any lengths.
  for (std::uint32_t n : {4u, 5u, 6u, 100u, 4097u, 65536u}) {
    const ByteBuffer last = MakeSample(Sample::kRandom, n, n);
    for (std::uint32_t primary : {0u, n / 3, n - 1}) {
      ExpectSameDecision(BlockSortedChunk(OneBlockContainer(last, primary)), "random " + std::to_string(n));
    }
  }
}

TEST(ChunkCodec, ModeFollowsWhatTheDataAllows) {
  // Random data does not get shorter: stored, mode byte 0 and the chunk itself.
  const ByteBuffer random = MakeSample(Sample::kRandom, kMaxChunkBytes);
  ByteBuffer b = Compressed(random);
  ASSERT_EQ(b.length(), kMaxChunkBytes + 1);
  EXPECT_EQ(b.data()[0], kChunkStored);
  EXPECT_EQ(std::memcmp(b.data() + 1, random.data(), kMaxChunkBytes), 0);
  ASSERT_TRUE(DecompressChunk(b));
  EXPECT_TRUE(b.equals(random));

  // A short pattern repeated makes the block sort compare long identical stretches.
  const ByteBuffer repeated = Pattern("Quillseal", kMaxChunkBytes);
  b = Compressed(repeated);
  EXPECT_EQ(b.data()[0], kChunkRunLength);
  EXPECT_LT(b.length(), kMaxChunkBytes / 2);
  ASSERT_TRUE(DecompressChunk(b));
  EXPECT_TRUE(b.equals(repeated));

  const ByteBuffer text = MakeSample(Sample::kText, 200000);
  b = Compressed(text);
  EXPECT_EQ(b.data()[0], kChunkBlockSorted);
  EXPECT_LT(b.length(), text.length() / 3);
  // Mode 1 when asked for, mode 0 when asked for.
  EXPECT_EQ(Compressed(text, kChunkRunLength).data()[0], kChunkRunLength);
  b = Compressed(text, kChunkStored);
  EXPECT_EQ(b.data()[0], kChunkStored);
  EXPECT_EQ(b.length(), text.length() + 1);
}

// What strong compression writes for each kind of chunk, and that it decodes. Text the budget
// sorts in full comes out byte for byte as from CompressChunk; repetitive chunks, which run
// out of the budget, get the block sort as well.
TEST(ChunkCodec, StrongCompressionIsReadLikeAnyChunk) {
  struct Case {
    const char* name;
    ByteBuffer chunk;
    std::uint8_t mode;
    bool sameAsFormatSort;
  };
  const Case cases[] = {
      {"one byte", Pattern("a", 1), kChunkStored, true},
      {"five bytes", Pattern("ab", 5), kChunkStored, true},
      {"text", MakeSample(Sample::kText, 200000), kChunkBlockSorted, true},
      {"text 2 MiB", MakeSample(Sample::kText, kMaxChunkBytes), kChunkBlockSorted, true},
      {"binary 2 MiB - 1", MakeSample(Sample::kBinary, kMaxChunkBytes - 1), kChunkBlockSorted, false},
      {"runs 2 MiB", MakeSample(Sample::kRuns, kMaxChunkBytes), kChunkBlockSorted, false},
      {"random 2 MiB", MakeSample(Sample::kRandom, kMaxChunkBytes), kChunkStored, true},
      {"period 9", Pattern("Quillseal", kMaxChunkBytes), kChunkBlockSorted, false},
      {"period 2", Pattern("ab", 300000), kChunkBlockSorted, false},
      {"one value", Pattern("a", kMaxChunkBytes), kChunkBlockSorted, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ByteBuffer b(c.chunk);
    ASSERT_TRUE(CompressChunkStrong(b));
    EXPECT_EQ(b.data()[0], c.mode);
    if (c.sameAsFormatSort) {
      EXPECT_TRUE(b.equals(Compressed(c.chunk)));
    }
    EXPECT_LE(b.length(), Compressed(c.chunk).length());
    ASSERT_TRUE(DecompressChunk(b));
    EXPECT_TRUE(b.equals(c.chunk));
  }
  // The repeated name, which the format's sort leaves to mode 1, shrinks to almost nothing.
  ByteBuffer repeated = Pattern("Quillseal", kMaxChunkBytes);
  ASSERT_TRUE(CompressChunkStrong(repeated));
  EXPECT_LT(repeated.length(), kMaxChunkBytes / 200);

  ByteBuffer big = MakeSample(Sample::kRuns, kMaxChunkBytes + 1);
  EXPECT_FALSE(CompressChunkStrong(big));
  EXPECT_EQ(big.length(), kMaxChunkBytes + 1);
  ByteBuffer empty;
  EXPECT_TRUE(CompressChunkStrong(empty));
  EXPECT_TRUE(empty.empty());
}

TEST(ChunkCodec, RefusesWhatNoDecoderWouldAccept) {
  ByteBuffer b = MakeSample(Sample::kText, 100);
  const ByteBuffer text(b);
  EXPECT_FALSE(CompressChunk(b, 3));
  EXPECT_TRUE(b.equals(text));

  ByteBuffer big = MakeSample(Sample::kRuns, kMaxChunkBytes + 1);
  EXPECT_FALSE(CompressChunk(big, kChunkBlockSorted));
  EXPECT_EQ(big.length(), kMaxChunkBytes + 1);

  ByteBuffer empty;
  EXPECT_TRUE(CompressChunk(empty, kChunkBlockSorted));
  EXPECT_TRUE(empty.empty());
  EXPECT_TRUE(DecompressChunk(empty));
  EXPECT_TRUE(empty.empty());

  for (const char* hex : {"03", "ff0c0c02", "01", "02"}) {
    ByteBuffer bad = FromHex(hex);
    EXPECT_FALSE(DecompressChunk(bad)) << hex;
    EXPECT_EQ(ToHex(bad), hex);
  }
  ByteBuffer stored = FromHex("00");
  EXPECT_TRUE(DecompressChunk(stored));
  EXPECT_TRUE(stored.empty());
}

// A chunk whose stages are each consistent but which unpacks to more than a chunk can hold.
TEST(ChunkCodec, DecompressionStopsAtWhatAFullChunkCanNeed) {
  // RunLength tokens of 259 bytes, enough for one byte more than a chunk.
  const std::uint32_t tokens = kMaxChunkBytes / 259 + 1;
  ByteBuffer runs = FromHex("ff");
  for (std::uint32_t i = 0; i < tokens; ++i) runs.append(FromHex("ff41ff"));
  ASSERT_TRUE(HuffmanEncode(runs));
  runs.prepend(FromHex("01").data(), 1);
  ByteBuffer b(runs);
  EXPECT_FALSE(DecompressChunk(b));
  EXPECT_TRUE(b.equals(runs));

  // A Huffman stream of a single leaf claiming one byte more than any RunLength output.
  for (std::uint8_t mode : {kChunkRunLength, kChunkBlockSorted}) {
    const std::uint32_t n =
        (mode == kChunkRunLength ? kMaxFirstRunLengthBytes : kMaxSecondRunLengthBytes) + 1;
    ByteBuffer stream = ByteBuffer::zeros(5);
    const std::uint64_t bits = 2 | std::uint64_t{n} << 2 | std::uint64_t{1} << 26 | std::uint64_t{0x41} << 27;
    for (int i = 0; i < 5; ++i) stream.data()[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    stream.prepend(&mode, 1);
    EXPECT_FALSE(DecompressChunk(stream));
  }
}

// 64 × 'a', followed through every stage by hand:
//   RunLength  ff | ff 61 3c              escape 0xFF (largest absent), one run of 60 + 4
//   BlockSort  01 00 | 03 00 00 | 61 ff ff 3c   rotations ordered 3 2 1 0 (3c.., 61.., ff61.., ffff..)
//   MoveToFront 01 01 03 01 00 61 ff 00 3e
//   RunLength  fe | 01 01 03 01 00 61 ff 00 3e  escape 0xFE, the largest absent value
//   Huffman    counts 00:2 01:3 03:1 3e:1 61:1 fe:1 ff:1; list 00 ff fe 61 3e 03 01; codes
//              fe 000, 61 001, 3e 010, 03 011, 00 100, ff 101, 01 11 (path order)
//              106 bits: 10 header, 69 tree, 27 codes -> 14 bytes, shorter than 64: mode 2.
TEST(ChunkCodec, HandCheckedChunkStageByStage) {
  const ByteBuffer chunk = Pattern("a", 64);
  ByteBuffer b(chunk);
  RunLengthEncode(b);
  EXPECT_EQ(ToHex(b), "ffff613c");
  ASSERT_TRUE(BlockSortEncode(b, RotationSort::kBudgeted));
  EXPECT_EQ(ToHex(b),
            "01000300"
            "0061ffff3c");
  MoveToFrontEncode(b.span());
  EXPECT_EQ(ToHex(b), "010103010061ff003e");
  RunLengthEncode(b);
  EXPECT_EQ(ToHex(b), "fe010103010061ff003e");
  ASSERT_TRUE(HuffmanEncode(b));
  ASSERT_EQ(b.length(), 14u);
  b.prepend(FromHex("02").data(), 1);
  EXPECT_TRUE(b.equals(Compressed(chunk)));
}

TEST(ChunkCodec, KnownAnswers) {
  const auto vectors = test::LoadVectors("codec/chunks.txt");
  ASSERT_GE(vectors.size(), 5u);
  for (const auto& v : vectors) {
    const ByteBuffer input = FromHex(v.at("Input"));
    const auto mode = static_cast<std::uint8_t>(std::stoi(v.at("Mode")));
    EXPECT_EQ(ToHex(Compressed(input, mode)), v.at("Output")) << v.at("Name");
    ByteBuffer b = FromHex(v.at("Output"));
    ASSERT_TRUE(DecompressChunk(b)) << v.at("Name");
    EXPECT_TRUE(b.equals(input)) << v.at("Name");
  }
}

}  // namespace
}  // namespace qs
