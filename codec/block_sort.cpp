#include "codec/block_sort.h"

#include <algorithm>
#include <cstring>

#include "base/byte_order.h"
#include "base/secure_wipe.h"
#include "codec/complete_rotation_sorter.h"
#include "codec/limits.h"
#include "codec/rotation_sorter.h"
#include "codec/work_array.h"

namespace qs {
namespace {

constexpr std::uint32_t kCountBytes = 2;
constexpr std::uint32_t kIndexBytes = 3;
constexpr std::uint32_t kLinkMask = 0xFFFFFF;

std::uint32_t BlockLength(std::uint32_t total, std::uint32_t block) {
  return std::min(total - block * kBlockSortBlockBytes, kBlockSortBlockBytes);
}

// Walks the transformed block L back to its input: with C[v] the number of bytes smaller than v
// and rank[j] the number of earlier places holding L[j], the byte before L[j] in the input is at
// place C[L[j]] + rank[j]. Each link keeps that place (below 2^24) with L[j] in its top byte.
void InverseTransform(const std::uint8_t* last, std::uint32_t n, std::uint32_t primary,
                      std::uint32_t* links, std::uint8_t* out) {
  std::uint32_t next[256] = {};
  for (std::uint32_t j = 0; j < n; ++j) ++next[last[j]];
  std::uint32_t smaller = 0;
  for (std::uint32_t& count : next) {
    const std::uint32_t c = count;
    count = smaller;
    smaller += c;
  }
  for (std::uint32_t j = 0; j < n; ++j) links[j] = std::uint32_t{last[j]} << 24 | next[last[j]]++;
  SecureWipe(next, sizeof next);
  std::uint32_t j = primary;
  for (std::uint32_t pos = n; pos-- > 0;) {
    const std::uint32_t link = links[j];
    out[pos] = static_cast<std::uint8_t>(link >> 24);
    j = link & kLinkMask;
  }
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
  return sort == RotationSort::kComplete ? Encode<CompleteRotationSorter>(buffer) : Encode<RotationSorter>(buffer);
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
  WorkArray<std::uint32_t> links(std::min(dataLength, kBlockSortBlockBytes));
  for (std::uint32_t k = 0; k < blocks; ++k) {
    const auto primary = static_cast<std::uint32_t>(LoadLe(in + kCountBytes + kIndexBytes * k, kIndexBytes));
    const std::uint32_t n = BlockLength(dataLength, k);
    if (primary >= n) return false;
    const std::uint32_t offset = k * kBlockSortBlockBytes;
    if (n < kMinSortedBlockBytes) {
      std::memcpy(out.data() + offset, in + header + offset, n);
    } else {
      InverseTransform(in + header + offset, n, primary, links.data(), out.data() + offset);
    }
  }
  buffer = std::move(out);
  return true;
}

}  // namespace qs
