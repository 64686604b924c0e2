#pragma once
#include <cstdint>

#include "codec/work_array.h"

namespace qs {

// Sorts the rotations of one block and writes its Burrows–Wheeler transform. The order of
// identical rotations and whether the comparison budget suffices are part of the compressed
// format, so the procedure is fixed: a top-down merge sort (halves split at (lo + hi) / 2,
// exchange sort on ranges of at most 4, merge taking the left entry on ties) whose comparisons
// look at the rotations one 4-byte big-endian word at a time. Every word after the first costs
// one unit of a budget of 40 per byte (at least 1000) per block.
class RotationSorter {
 public:
  // Room for blocks of up to maxBlock bytes; the arrays are reused from block to block.
  explicit RotationSorter(std::uint32_t maxBlock);

  // Writes the n transformed bytes to out and the place of rotation 0 to primary. Blocks of up
  // to 3 bytes are copied with primary 0. False when the budget runs out.
  bool Transform(const std::uint8_t* block, std::uint32_t n, std::uint8_t* out, std::uint32_t& primary);

 private:
  // A rotation with its first two words, so that most comparisons touch only the entries
  // being merged and not the block.
  struct Rotation {
    std::uint32_t word0;
    std::uint32_t word1;
    std::uint32_t start;
  };

  bool Sort(std::uint32_t lo, std::uint32_t hi);
  bool ExchangeSort(std::uint32_t lo, std::uint32_t hi);
  bool Merge(std::uint32_t lo, std::uint32_t mid, std::uint32_t hi);
  // Strictly smaller; identical rotations are not. Sets exhausted_ when the budget runs out.
  bool Less(const Rotation& x, const Rotation& y);
  bool LessFromSecondWord(const Rotation& x, const Rotation& y);
  bool LessFromThirdWord(std::uint32_t x, std::uint32_t y);

  WorkArray<std::uint8_t> text_;  // the block followed by its own start, so rotations never wrap
  WorkArray<Rotation> rotations_;
  WorkArray<Rotation> left_;  // the left run during a merge
  std::uint32_t words_ = 0;   // words a full comparison covers: n / 4 rounded up
  std::uint64_t budget_ = 0;
  bool exhausted_ = false;
};

}  // namespace qs
