#pragma once
#include <cstdint>

#include "codec/work_array.h"

namespace qs {

// Undoes the block sort of one block: given the transformed block L (the last column of the
// sorted rotations) and the place of rotation 0, writes the n bytes it came from. Any L and any
// primary below n give the same bytes as walking the last column back n times from primary,
// the transform's textbook inverse, so damaged blocks decode as every reader decodes them.
class InverseTransform {
 public:
  // Room for blocks of up to maxBlock bytes; the arrays are reused from block to block.
  explicit InverseTransform(std::uint32_t maxBlock);

  // n is at least 4 and at most maxBlock, primary below n.
  void Run(const std::uint8_t* last, std::uint32_t n, std::uint32_t primary, std::uint8_t* out);

 private:
  void BuildLinks(const std::uint8_t* last, std::uint32_t n);
  bool WalkBothWays(const std::uint8_t* last, std::uint32_t n, std::uint32_t primary, std::uint8_t* out);
  void WalkBack(std::uint32_t n, std::uint32_t primary, std::uint8_t* out);

  // Row counts per byte value turned into the first row of each value's range (F column).
  std::uint32_t first_[257] = {};
  WorkArray<std::uint32_t> links_;  // one step back, then two steps forward
  WorkArray<std::uint32_t> jumps_;  // two steps back
};

}  // namespace qs
