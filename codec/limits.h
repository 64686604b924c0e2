#pragma once
#include <cstdint>

namespace qs {

// The largest chunk the codec compresses. Decoding refuses anything that compressing a chunk
// of this size cannot produce, so a damaged stream never decides how much memory it takes.
inline constexpr std::uint32_t kMaxChunkBytes = 2097152;
// The block-sort stage transforms its input in blocks of this length (the last one shorter).
inline constexpr std::uint32_t kBlockSortBlockBytes = 2097152;

// Shorter blocks are stored unchanged: their transform would save nothing.
inline constexpr std::uint32_t kMinSortedBlockBytes = 4;

// Blocks a block-sort input of n bytes forms.
constexpr std::uint32_t BlockSortBlockCount(std::uint32_t n) {
  return n / kBlockSortBlockBytes + (n % kBlockSortBlockBytes != 0 ? 1 : 0);
}

// Largest RunLength output for n input bytes: the escape byte, at most one byte per input byte,
// and one more per occurrence of the escape, the rarest value, which occurs at most n / 256 times.
constexpr std::uint32_t RunLengthBound(std::uint32_t n) { return 1 + n + n / 256; }

// Block-sort container for n input bytes: count, a 3-byte index per block, the data.
constexpr std::uint32_t BlockSortSize(std::uint32_t n) { return 2 + 3 * BlockSortBlockCount(n) + n; }

// Sizes of the intermediate stages for a full chunk, the caps the decoders enforce.
inline constexpr std::uint32_t kMaxFirstRunLengthBytes = RunLengthBound(kMaxChunkBytes);
inline constexpr std::uint32_t kMaxBlockSortBytes = BlockSortSize(kMaxFirstRunLengthBytes);
inline constexpr std::uint32_t kMaxSecondRunLengthBytes = RunLengthBound(kMaxBlockSortBytes);

static_assert(kMaxFirstRunLengthBytes == 2105345);
static_assert(kMaxBlockSortBytes == 2105353);
static_assert(kMaxSecondRunLengthBytes == 2113578);

}  // namespace qs
