#pragma once
#include <cstdint>

#include "codec/suffix_sorter.h"
#include "codec/work_array.h"

namespace qs {

// Sorts the rotations of one block to the end, however repetitive, and writes its
// Burrows–Wheeler transform: the rotations in the same ascending byte order as RotationSorter,
// identical rotations in an order of its own (which changes neither the transformed bytes nor
// the validity of the primary index). The decoder cannot tell the two apart.
class CompleteRotationSorter {
 public:
  // Room for blocks of up to maxBlock bytes; the arrays are reused from block to block.
  explicit CompleteRotationSorter(std::uint32_t maxBlock);

  // Writes the n transformed bytes to out and the place of rotation 0 to primary. Blocks of up
  // to 3 bytes are copied with primary 0, as the decoder expects. Always true, as a stand-in
  // for RotationSorter::Transform.
  bool Transform(const std::uint8_t* block, std::uint32_t n, std::uint8_t* out, std::uint32_t& primary);

 private:
  SuffixSorter suffixes_;
  WorkArray<std::uint8_t> root_;    // one period of the block's least rotation
  WorkArray<std::uint32_t> order_;  // the root's rotations, smallest first
};

}  // namespace qs
