#include "codec/complete_rotation_sorter.h"

#include <cstring>

#include "codec/limits.h"

namespace qs {
namespace {

// Start of the least rotation of block, found by letting two candidates race (each mismatch
// rules out the larger candidate together with the k starts after it).
std::uint32_t LeastRotation(const std::uint8_t* block, std::uint32_t n) {
  std::uint32_t i = 0;
  std::uint32_t j = 1;
  std::uint32_t k = 0;
  while (i < n && j < n && k < n) {
    const std::uint32_t a = i + k < n ? i + k : i + k - n;
    const std::uint32_t b = j + k < n ? j + k : j + k - n;
    if (block[a] == block[b]) {
      ++k;
      continue;
    }
    if (block[a] > block[b]) {
      i += k + 1;
    } else {
      j += k + 1;
    }
    if (i == j) ++j;
    k = 0;
  }
  return i < j ? i : j;
}

// The least rotation of a block is u^m with u a Lyndon word (smaller than each of its proper
// rotations); u's length is the period Duval's scan reports. Its loop runs to the end because
// every prefix of u^m is a prefix of a power of u.
std::uint32_t LyndonPeriod(const std::uint8_t* least, std::uint32_t n) {
  std::uint32_t k = 0;
  for (std::uint32_t j = 1; j < n; ++j) {
    if (least[k] < least[j]) {
      k = 0;
    } else {
      ++k;
    }
  }
  return n - k;
}

}  // namespace

CompleteRotationSorter::CompleteRotationSorter(std::uint32_t maxBlock)
    : suffixes_(maxBlock), root_(maxBlock), order_(maxBlock) {}

// For a Lyndon word, the order of its rotations is the order of its suffixes, so the root's
// suffix order gives the rotations of the root; the block's rotations are the root's, each
// repeated once per period and all identical within a repetition.
bool CompleteRotationSorter::Transform(const std::uint8_t* block, std::uint32_t n, std::uint8_t* out,
                                       std::uint32_t& primary) {
  primary = 0;
  if (n < kMinSortedBlockBytes) {
    std::memcpy(out, block, n);
    return true;
  }
  const std::uint32_t shift = LeastRotation(block, n);
  std::uint8_t* least = root_.data();
  std::memcpy(least, block + shift, n - shift);
  std::memcpy(least + (n - shift), block, shift);
  const std::uint32_t period = LyndonPeriod(least, n);
  suffixes_.Sort(least, period, order_.data());

  // Rotation 0 of the block is rotation (period - shift % period) % period of the root.
  const std::uint32_t rotationZero = (period - shift % period) % period;
  const std::uint32_t copies = n / period;
  std::uint8_t* o = out;
  for (std::uint32_t r = 0; r < period; ++r) {
    const std::uint32_t start = order_[r];
    if (start == rotationZero) primary = r * copies;
    const std::uint8_t before = least[start == 0 ? period - 1 : start - 1];
    for (std::uint32_t c = 0; c < copies; ++c) *o++ = before;
  }
  return true;
}

}  // namespace qs
