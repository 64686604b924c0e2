#pragma once
#include <array>
#include <cstdint>

namespace qs {

// The longest code the encoder's table holds; deeper trees are refused.
inline constexpr int kMaxHuffmanCodeLength = 48;
// A tree over byte values has at most 256 leaves and so 255 internal nodes.
inline constexpr int kMaxHuffmanNodes = 511;

struct HuffmanNode {
  std::int16_t left = -1;  // -1 for a leaf
  std::int16_t right = -1;
  std::uint8_t value = 0;  // a leaf's byte value

  bool isLeaf() const { return left < 0; }
};

struct HuffmanTree {
  std::array<HuffmanNode, kMaxHuffmanNodes> nodes;
  int count = 0;
  int root = -1;
  int leaves = 0;
};

// Code bits in path order (bit j is the branch taken at depth j, 1 = right).
struct HuffmanCode {
  std::uint64_t bits = 0;
  int length = 0;
};

// Builds the tree of the stream format from the byte counts, at least one of them non-zero.
// The build list is kept by a fixed discipline rather than always merging the two rarest
// entries, and the stream must match it bit for bit:
//  - the values with a non-zero count, in ascending order, each go after the list's first
//    entry, before the first later entry whose count is at least theirs (the first entry is
//    never compared, so it is the smallest value present);
//  - then the first two entries become the left and right child of a new node, which goes
//    after the next entry (now the first) by the same rule, until two entries are left, whose
//    node is the root.
// Counts are 64-bit so that no sum wraps.
HuffmanTree BuildHuffmanTree(const std::array<std::uint64_t, 256>& counts);

// Fills the code of every leaf value (values without a leaf keep length 0); false when a leaf
// lies deeper than kMaxHuffmanCodeLength.
bool BuildHuffmanCodes(const HuffmanTree& tree, std::array<HuffmanCode, 256>& codes);

}  // namespace qs
