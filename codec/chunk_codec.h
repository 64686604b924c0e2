#pragma once
#include <cstdint>

#include "base/byte_buffer.h"

namespace qs {

// Compressed chunk:
//   byte 0   mode
//   rest     mode 0: the chunk's bytes unchanged
//            mode 1: Huffman(RunLength(chunk))
//            mode 2: Huffman(RunLength(MoveToFront(BlockSort(RunLength(chunk)))))
// The output is fully determined by the input, so every implementation writes the same bytes.
enum ChunkMode : std::uint8_t {
  kChunkStored = 0,
  kChunkRunLength = 1,
  kChunkBlockSorted = 2,
};

// Replaces a chunk of at most kMaxChunkBytes by its compressed form, trying requestedMode
// first. Mode 2 falls back to mode 1 when the block sort runs out of its comparison budget;
// either falls back to mode 0 when its result is not shorter than the chunk or the Huffman
// stage refuses the data. An empty buffer stays empty. False, with the buffer unchanged, for a
// chunk longer than kMaxChunkBytes (no decoder would accept it) or a mode above 2.
bool CompressChunk(ByteBuffer& buffer, std::uint8_t requestedMode);

// Mode 2 with a block sort that always completes (RotationSort::kComplete), so repetitive
// chunks get the block sort too; otherwise as CompressChunk(buffer, 2), and read back by
// DecompressChunk like any chunk. Not fully determined by the input: identical rotations may
// come in another order than the format's own sort leaves them.
bool CompressChunkStrong(ByteBuffer& buffer);

// Replaces a compressed chunk by the chunk; an empty buffer stays empty. False, with the buffer
// unchanged, on a mode of 3 or more or a stream any stage finds truncated or inconsistent.
// No stage produces more than compressing a kMaxChunkBytes chunk can need, so a damaged stream
// never makes this allocate more than a few times that.
bool DecompressChunk(ByteBuffer& buffer);

}  // namespace qs
