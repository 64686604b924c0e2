#include "codec/chunk_codec.h"

#include "codec/block_sort.h"
#include "codec/huffman.h"
#include "codec/limits.h"
#include "codec/move_to_front.h"
#include "codec/run_length.h"

namespace qs {
namespace {

// Applies the stages of requestedMode (1 or 2) and returns the mode that was written.
ChunkMode Compress(ByteBuffer& work, std::uint8_t requestedMode, RotationSort sort) {
  RunLengthEncode(work);
  ChunkMode mode = kChunkRunLength;
  if (requestedMode == kChunkBlockSorted && BlockSortEncode(work, sort)) {
    MoveToFrontEncode(work.span());
    RunLengthEncode(work);
    mode = kChunkBlockSorted;
  }
  return HuffmanEncode(work) ? mode : kChunkStored;
}

bool CompressWith(ByteBuffer& buffer, std::uint8_t requestedMode, RotationSort sort) {
  if (requestedMode > kChunkBlockSorted || buffer.length() > kMaxChunkBytes) return false;
  if (buffer.empty()) return true;
  ChunkMode mode = kChunkStored;
  if (requestedMode != kChunkStored) {
    ByteBuffer work(buffer);
    mode = Compress(work, requestedMode, sort);
    if (mode != kChunkStored && work.length() < buffer.length()) {
      buffer = std::move(work);
    } else {
      mode = kChunkStored;
    }
  }
  const std::uint8_t modeByte = mode;
  buffer.prepend(&modeByte, 1);
  return true;
}

}  // namespace

bool CompressChunk(ByteBuffer& buffer, std::uint8_t requestedMode) {
  return CompressWith(buffer, requestedMode, RotationSort::kBudgeted);
}

bool CompressChunkStrong(ByteBuffer& buffer) {
  return CompressWith(buffer, kChunkBlockSorted, RotationSort::kComplete);
}

bool DecompressChunk(ByteBuffer& buffer) {
  if (buffer.empty()) return true;
  const std::uint8_t mode = buffer.data()[0];
  if (mode > kChunkBlockSorted) return false;
  if (mode == kChunkStored) {
    buffer.dropFront(1);
    return true;
  }
  ByteBuffer work = buffer.slice(buffer.length() - 1, 1);
  if (mode == kChunkRunLength) {
    if (!HuffmanDecode(work, kMaxFirstRunLengthBytes) || !RunLengthDecode(work, kMaxChunkBytes)) return false;
  } else {
    if (!HuffmanDecode(work, kMaxSecondRunLengthBytes) || !RunLengthDecode(work, kMaxBlockSortBytes))
      return false;
    MoveToFrontDecode(work.span());
    if (!BlockSortDecode(work, kMaxFirstRunLengthBytes) || !RunLengthDecode(work, kMaxChunkBytes))
      return false;
  }
  buffer = std::move(work);
  return true;
}

}  // namespace qs
