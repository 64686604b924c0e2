#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "formats/encrypted_file_stream.h"

namespace qs {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Iv = std::span<const std::uint8_t, SymmetricContext::kIvBytes>;

// A chunk's buffer with its payload in place.
Bytes ChunkBuffer(std::uint32_t length, std::uint8_t fill) {
  Bytes buffer(ChunkBufferBytes(length));
  for (std::uint32_t i = 0; i < length; ++i)
    buffer[kChunkPayloadOffset + i] = static_cast<std::uint8_t>(fill + i);
  return buffer;
}

TEST(SealedChunkPairs, APairIsTwoChunksSealedAloneAndRefusesAShortBufferOnEitherSide) {
  const Bytes key(32, 9);
  const Bytes ivs[2] = {Bytes(16, 1), Bytes(16, 2)};
  SymmetricContext context(key, nullptr);
  for (const auto& [firstLength, secondLength] : {std::pair{0u, 0u}, {5u, 70000u}, {70000u, 5u}}) {
    Bytes pair[2] = {ChunkBuffer(firstLength, 3), ChunkBuffer(secondLength, 4)};
    Bytes alone[2] = {pair[0], pair[1]};
    ASSERT_TRUE(SealChunkPair(context, {7, Iv(ivs[0].data(), 16), pair[0], firstLength},
                              {8, Iv(ivs[1].data(), 16), pair[1], secondLength}));
    ASSERT_TRUE(SealChunk(context, 7, Iv(ivs[0].data(), 16), alone[0], firstLength));
    ASSERT_TRUE(SealChunk(context, 8, Iv(ivs[1].data(), 16), alone[1], secondLength));
    EXPECT_EQ(pair[0], alone[0]);
    EXPECT_EQ(pair[1], alone[1]);
    // Each carries its own index: opened as the other chunk it is refused.
    EXPECT_TRUE(OpenChunk(context, 7, pair[0]));
    EXPECT_FALSE(OpenChunk(context, 8, pair[0]));
    const std::optional<std::span<std::uint8_t>> second = OpenChunk(context, 8, pair[1]);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->size(), secondLength);
  }
  for (const int shortSide : {0, 1}) {
    Bytes buffers[2] = {ChunkBuffer(40, 3), ChunkBuffer(40, 4)};
    buffers[shortSide].pop_back();
    EXPECT_FALSE(SealChunkPair(context, {0, Iv(ivs[0].data(), 16), buffers[0], 40},
                               {1, Iv(ivs[1].data(), 16), buffers[1], 40}))
        << shortSide;
  }
}

}  // namespace
}  // namespace qs
