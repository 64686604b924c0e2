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

  // Walks that take the block in pieces at once, and the bytes a piece holds.
  static constexpr std::uint32_t kWalks = 32;
  static constexpr std::uint32_t kPieceBytes = 4096;

 private:
  void BuildLinks(const std::uint8_t* last, std::uint32_t n);
  bool WalkInPieces(std::uint32_t n, std::uint32_t primary, std::uint8_t* out);
  void WalkBack(std::uint32_t n, std::uint32_t primary, std::uint8_t* out);

  WorkArray<std::uint32_t> links_;      // per row: the row one step back, with its byte
  WorkArray<std::uint8_t> pieces_;      // what the walks wrote, kPieceBytes a piece
  WorkArray<std::uint32_t> nextPiece_;  // per piece: the same walk's next piece
};

}  // namespace qs
