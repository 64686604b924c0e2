#include "tests/codec/reference_decoder.h"

#include <algorithm>
#include <numeric>

#include "codec/limits.h"

namespace qs::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Bit k is bit k % 8 of byte k / 8; fields are least significant bit first.
class Bits {
 public:
  explicit Bits(const Bytes& b) : b_(b) {}
  void seek(std::uint64_t at) { at_ = at; }
  bool read(int count, std::uint64_t& value) {
    value = 0;
    for (int i = 0; i < count; ++i, ++at_) {
      if (at_ >= 8 * b_.size()) return false;
      value |= std::uint64_t{(b_[at_ / 8] >> (at_ % 8)) & 1u} << i;
    }
    return true;
  }

 private:
  const Bytes& b_;
  std::uint64_t at_ = 0;
};

struct Node {
  int left = -1;  // -1: a leaf
  int right = -1;
  std::uint8_t value = 0;
};

struct Tree {
  std::vector<Node> nodes;
  int leaves = 0;
  int internal = 0;
};

// Pre-order: 0 = internal node, 1 + 8 bits = leaf. A complete tree of at most 256 leaves has at
// most 255 internal nodes, so a 256th already dooms the stream (and bounds the recursion).
int ReadTree(Bits& in, Tree& t) {
  std::uint64_t bit = 0;
  if (!in.read(1, bit)) return -1;
  const int node = static_cast<int>(t.nodes.size());
  t.nodes.emplace_back();
  if (bit == 1) {
    std::uint64_t value = 0;
    if (++t.leaves > 256 || !in.read(8, value)) return -1;
    t.nodes[node].value = static_cast<std::uint8_t>(value);
    return node;
  }
  if (++t.internal > 255) return -1;
  const int left = ReadTree(in, t);
  if (left < 0) return -1;
  const int right = ReadTree(in, t);
  if (right < 0) return -1;
  t.nodes[node].left = left;
  t.nodes[node].right = right;
  return node;
}

// Size class in bits 0-1, then n in 8 (class + 1) bits; the tree follows the n field as wide as
// n's own class needs, then the codes, 0 = left.
std::optional<Bytes> Huffman(const Bytes& in, std::uint32_t maxOutput) {
  if (in.empty()) return Bytes{};
  const int sizeClass = in[0] & 3;
  if (in.size() < static_cast<std::size_t>(sizeClass + 2)) return std::nullopt;
  Bits bits(in);
  std::uint64_t n = 0;
  bits.seek(2);
  bits.read(8 * (sizeClass + 1), n);
  if (n > maxOutput) return std::nullopt;
  const int needed = n <= 0xFF ? 0 : n <= 0xFFFF ? 1 : n <= 0xFFFFFF ? 2 : 3;
  bits.seek(2 + 8 * (needed + 1));
  Tree tree;
  const int root = ReadTree(bits, tree);
  if (root < 0) return std::nullopt;
  Bytes out;
  for (std::uint64_t i = 0; i < n; ++i) {
    int node = root;
    while (tree.nodes[node].left >= 0) {
      std::uint64_t bit = 0;
      if (!bits.read(1, bit)) return std::nullopt;
      node = bit ? tree.nodes[node].right : tree.nodes[node].left;
    }
    out.push_back(tree.nodes[node].value);
  }
  return out;
}

// Escape E first; E E is one E, E X N is X N + 4 times, any other byte is itself.
std::optional<Bytes> RunLength(const Bytes& in, std::uint32_t maxOutput) {
  if (in.empty()) return std::nullopt;
  Bytes out;
  for (std::size_t i = 1; i < in.size();) {
    if (in[i] != in[0]) {
      out.push_back(in[i++]);
    } else if (i + 1 < in.size() && in[i + 1] == in[0]) {
      out.push_back(in[0]);
      i += 2;
    } else if (i + 2 < in.size()) {
      out.insert(out.end(), in[i + 2] + 4u, in[i + 1]);
      i += 3;
    } else {
      return std::nullopt;
    }
    if (out.size() > maxOutput) return std::nullopt;
  }
  return out;
}

Bytes MoveToFront(Bytes in) {
  Bytes list(256);
  std::iota(list.begin(), list.end(), 0);
  for (std::uint8_t& b : in) {
    const std::uint8_t v = list[b];
    list.erase(list.begin() + b);
    list.insert(list.begin(), v);
    b = v;
  }
  return in;
}

// The rows of a block are its rotations in order; a stable sort of the last column L gives the
// first column, so row r's rotation is L[order[r]] followed by row order[r]'s one. Walking
// back from the primary row therefore writes the block from its end.
Bytes Unsort(const Bytes& last, std::uint32_t primary) {
  const std::size_t n = last.size();
  std::vector<std::uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::uint32_t x, std::uint32_t y) { return last[x] < last[y]; });
  std::vector<std::uint32_t> back(n);
  for (std::uint32_t r = 0; r < n; ++r) back[order[r]] = r;
  Bytes out(n);
  std::uint32_t row = primary;
  for (std::size_t pos = n; pos-- > 0;) {
    out[pos] = last[row];
    row = back[row];
  }
  return out;
}

// 2-byte block count B, B 3-byte primaries, then the blocks, each kBlockSortBlockBytes but the
// last; blocks under kMinSortedBlockBytes are stored as they are.
std::optional<Bytes> BlockSort(const Bytes& in, std::uint32_t maxOutput) {
  if (in.size() < 2) return std::nullopt;
  const std::size_t blocks = in[0] | in[1] << 8;
  const std::size_t header = 2 + 3 * blocks;
  if (in.size() < header) return std::nullopt;
  const std::size_t length = in.size() - header;
  if (length > maxOutput || (length + kBlockSortBlockBytes - 1) / kBlockSortBlockBytes != blocks)
    return std::nullopt;
  Bytes out;
  for (std::size_t k = 0; k < blocks; ++k) {
    const std::uint32_t primary = in[2 + 3 * k] | in[3 + 3 * k] << 8 | in[4 + 3 * k] << 16;
    const auto from = in.begin() + static_cast<std::ptrdiff_t>(header + k * kBlockSortBlockBytes);
    const Bytes block(from, from + static_cast<std::ptrdiff_t>(std::min<std::size_t>(
                                       kBlockSortBlockBytes, length - k * kBlockSortBlockBytes)));
    if (primary >= block.size()) return std::nullopt;
    const Bytes plain = block.size() < kMinSortedBlockBytes ? block : Unsort(block, primary);
    out.insert(out.end(), plain.begin(), plain.end());
  }
  return out;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReferenceDecompress(std::span<const std::uint8_t> chunk) {
  if (chunk.empty()) return Bytes{};
  const Bytes body(chunk.begin() + 1, chunk.end());
  switch (chunk[0]) {
    case 0:
      return body;
    case 1: {
      const auto coded = Huffman(body, kMaxFirstRunLengthBytes);
      return coded ? RunLength(*coded, kMaxChunkBytes) : std::nullopt;
    }
    case 2: {
      auto stage = Huffman(body, kMaxSecondRunLengthBytes);
      if (stage) stage = RunLength(*stage, kMaxBlockSortBytes);
      if (stage) stage = BlockSort(MoveToFront(*stage), kMaxFirstRunLengthBytes);
      return stage ? RunLength(*stage, kMaxChunkBytes) : std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace qs::test
