#include "codec/chunk_codec.h"

#include <gtest/gtest.h>

#include <chrono>

#include "codec/limits.h"
#include "tests/codec/sample_data.h"
#include "tests/support/hex.h"

namespace qs {
namespace {

using test::MakeSample;
using test::Sample;

ByteBuffer Compressed(const ByteBuffer& chunk, std::uint8_t mode = kChunkBlockSorted) {
  ByteBuffer b(chunk);
  EXPECT_TRUE(CompressChunk(b, mode));
  return b;
}

TEST(ChunkCodec, RoundTripsEverySampleAtTheBoundaries) {
  for (Sample kind : {Sample::kText, Sample::kBinary, Sample::kRandom, Sample::kRuns}) {
    for (std::uint32_t n : {0u, 1u, 2u, 3u, 4u, 5u, 4095u, kMaxChunkBytes - 1, kMaxChunkBytes}) {
      auto t0 = std::chrono::steady_clock::now();
      const ByteBuffer chunk = MakeSample(kind, n);
      ByteBuffer b = Compressed(chunk);
      auto t1 = std::chrono::steady_clock::now();
      const std::uint32_t packed = b.length();
      ASSERT_TRUE(DecompressChunk(b)) << test::SampleName(kind) << " " << n;
      auto t2 = std::chrono::steady_clock::now();
      ASSERT_TRUE(b.equals(chunk)) << test::SampleName(kind) << " " << n;
      if (n > 100000) {
        std::printf("%s %u -> %u mode %d  %.3f s / %.3f s\n", test::SampleName(kind), n, packed,
                    Compressed(chunk).data()[0],
                    std::chrono::duration<double>(t1 - t0).count(), std::chrono::duration<double>(t2 - t1).count());
      }
    }
  }
}

}  // namespace
}  // namespace qs
