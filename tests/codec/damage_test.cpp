// Damaged compressed chunks: every outcome is either a failure or some bytes, never a crash or a
// read outside the buffers (the sanitizer build checks the latter), and never more than a chunk;
// the reference decoder takes the same decision and gives the same bytes.
#include <gtest/gtest.h>

#include <initializer_list>

#include "codec/chunk_codec.h"
#include "codec/limits.h"
#include "tests/codec/reference_decoder.h"
#include "tests/codec/sample_data.h"
#include "tests/support/hex.h"

namespace qs {
namespace {

using test::BlockSortedChunk;
using test::FromHex;
using test::MakeSample;
using test::ReferenceDecompress;
using test::Sample;

class Damage : public ::testing::Test {
 protected:
  void decompress(const ByteBuffer& damaged) {
    ByteBuffer b(damaged);
    const auto reference = ReferenceDecompress(damaged.span());
    const bool decoded = DecompressChunk(b);
    ASSERT_EQ(decoded, reference.has_value());
    if (decoded) {
      EXPECT_TRUE(b.equals(ByteBuffer(reference->data(), static_cast<std::uint32_t>(reference->size()))));
      ++decoded_;
      // Stored chunks hold whatever follows the mode byte; the others never exceed a chunk.
      if (!damaged.empty() && damaged.data()[0] != kChunkStored) {
        EXPECT_LE(b.length(), kMaxChunkBytes);
      }
    } else {
      ++failed_;
      EXPECT_TRUE(b.equals(damaged));
    }
  }

  void change(const ByteBuffer& chunk, std::uint32_t at,
              std::initializer_list<std::uint8_t> masks = {0x01, 0x10, 0x80, 0xFF}) {
    for (std::uint8_t mask : masks) {
      ByteBuffer b(chunk);
      b.data()[at] ^= mask;
      decompress(b);
    }
  }

  void drop(const ByteBuffer& chunk, std::uint32_t at) {
    ByteBuffer b = chunk.slice(at, 0);
    b.append(chunk.slice(chunk.length(), at + 1));
    decompress(b);
  }

  void append(const ByteBuffer& chunk, std::initializer_list<std::uint32_t> counts = {1, 2, 3, 100}) {
    for (std::uint32_t n : counts) {
      ByteBuffer b(chunk);
      for (std::uint32_t i = 0; i < n; ++i) b.appendU8(static_cast<std::uint8_t>(0x5A + i));
      decompress(b);
    }
  }

  static ByteBuffer Compressed(Sample kind, std::uint32_t n, std::uint8_t expectedMode) {
    ByteBuffer b = MakeSample(kind, n);
    EXPECT_TRUE(CompressChunk(b, kChunkBlockSorted));
    EXPECT_EQ(b.data()[0], expectedMode);
    return b;
  }

  int decoded_ = 0;
  int failed_ = 0;
};

TEST_F(Damage, EveryByteOfSmallChunks) {
  ByteBuffer periodic;
  for (int i = 0; i < 100; ++i) periodic.append(reinterpret_cast<const std::uint8_t*>("xy"), 2);
  ASSERT_TRUE(CompressChunk(periodic, kChunkBlockSorted));
  ASSERT_EQ(periodic.data()[0], kChunkRunLength);

  // A periodic block-sorted chunk, whose back links form several cycles.
  // Its block, ff 61 02 62 repeated, is a valid run-length stream, so every stage runs.
  const ByteBuffer periodicSorted = BlockSortedChunk(test::PeriodicContainer(FromHex("ff610262"), 5, 2));

  for (const ByteBuffer& chunk :
       {Compressed(Sample::kText, 600, kChunkBlockSorted), Compressed(Sample::kRuns, 3000, kChunkBlockSorted),
        Compressed(Sample::kBinary, 700, kChunkBlockSorted), periodic, periodicSorted}) {
    for (std::uint32_t at = 0; at < chunk.length(); ++at) {
      change(chunk, at);
      drop(chunk, at);
      decompress(chunk.slice(at, 0));  // cut short
    }
    append(chunk);
  }
  // Both outcomes occur, so the loop exercised the decoders beyond their first check.
  EXPECT_GT(failed_, 100);
  EXPECT_GT(decoded_, 100);
}

TEST_F(Damage, SampledBytesOfAFullChunk) {
  // Full-size text forms two blocks (the escape byte pushes it past 2 MiB). Each decode takes
  // the whole pipeline, so only a few places: the mode, the header and tree at the front,
  // places spread over the codes, the last byte.
  const ByteBuffer chunk = Compressed(Sample::kText, kMaxChunkBytes, kChunkBlockSorted);
  ByteBuffer intact(chunk);
  ASSERT_TRUE(DecompressChunk(intact));
  ASSERT_TRUE(intact.equals(MakeSample(Sample::kText, kMaxChunkBytes)));
  const std::uint32_t n = chunk.length();
  for (std::uint32_t at : {0u, 1u, 3u, 40u, n / 3, 2 * n / 3, n - 1}) change(chunk, at, {0x10});
  for (std::uint32_t at : {2u, n / 2}) drop(chunk, at);
  decompress(chunk.slice(n - 1, 0));
  append(chunk, {1});
}

}  // namespace
}  // namespace qs
