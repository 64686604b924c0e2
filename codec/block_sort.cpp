#include "codec/block_sort.h"

#include <algorithm>
#include <cstring>

#include "base/byte_order.h"
#include "codec/complete_rotation_sorter.h"
#include "codec/inverse_transform.h"
#include "codec/limits.h"
#include "codec/rotation_sorter.h"

namespace qs {
namespace {

constexpr std::uint32_t kCountBytes = 2;
constexpr std::uint32_t kIndexBytes = 3;

std::uint32_t BlockLength(std::uint32_t total, std::uint32_t block) {
  return std::min(total - block * kBlockSortBlockBytes, kBlockSortBlockBytes);
}

template <class Sorter>
bool Encode(ByteBuffer& buffer) {
  const std::uint32_t length = buffer.length();
  // A 32-bit length forms at most 2048 blocks, so the count always fits its two bytes.
  const std::uint32_t blocks = BlockSortBlockCount(length);
  const std::uint32_t header = kCountBytes + kIndexBytes * blocks;
  ByteBuffer out = ByteBuffer::zeros(header);
  out.appendZeros(length);
  std::uint8_t* o = out.data();
  StoreLe(o, blocks, kCountBytes);

  Sorter sorter(std::min(length, kBlockSortBlockBytes));
  for (std::uint32_t k = 0; k < blocks; ++k) {
    const std::uint32_t offset = k * kBlockSortBlockBytes;
    std::uint32_t primary = 0;
    if (!sorter.Transform(buffer.data() + offset, BlockLength(length, k), o + header + offset, primary)) {
      return false;
    }
    StoreLe(o + kCountBytes + kIndexBytes * k, primary, kIndexBytes);
  }
  buffer = std::move(out);
  return true;
}

}  // namespace

bool BlockSortEncode(ByteBuffer& buffer, RotationSort sort) {
  return sort == RotationSort::kComplete ? Encode<CompleteRotationSorter>(buffer)
                                         : Encode<RotationSorter>(buffer);
}

bool BlockSortDecode(ByteBuffer& buffer, std::uint32_t maxOutput) {
  const std::uint8_t* in = buffer.data();
  const std::uint32_t length = buffer.length();
  if (length < kCountBytes) return false;
  const auto blocks = static_cast<std::uint32_t>(LoadLe(in, kCountBytes));
  const std::uint32_t header = kCountBytes + kIndexBytes * blocks;
  if (length < header) return false;
  const std::uint32_t dataLength = length - header;
  if (dataLength > maxOutput || BlockSortBlockCount(dataLength) != blocks) return false;

  ByteBuffer out = ByteBuffer::zeros(dataLength);
  InverseTransform inverse(std::min(dataLength, kBlockSortBlockBytes));
  for (std::uint32_t k = 0; k < blocks; ++k) {
    const auto primary = static_cast<std::uint32_t>(LoadLe(in + kCountBytes + kIndexBytes * k, kIndexBytes));
    const std::uint32_t n = BlockLength(dataLength, k);
    if (primary >= n) return false;
    const std::uint32_t offset = k * kBlockSortBlockBytes;
    if (n < kMinSortedBlockBytes) {
      std::memcpy(out.data() + offset, in + header + offset, n);
    } else {
      inverse.Run(in + header + offset, n, primary, out.data() + offset);
    }
  }
  buffer = std::move(out);
  return true;
}

}  // namespace qs
