#include "codec/huffman.h"

#include <cstring>

#include "base/secure_wipe.h"
#include "codec/bit_stream.h"
#include "codec/huffman_tree.h"

namespace qs {
namespace {

constexpr int kMaxLeaves = 256;
constexpr int kMaxInternalNodes = 255;
// Codes up to this length are decoded by one table look-up, longer ones finish bit by bit.
constexpr int kTableBits = 11;

struct TableEntry {
  std::int16_t node;  // the node reached after length bits
  std::uint8_t length;
};

// The tree and table describe the plain text, so they are wiped on the way out.
struct DecoderTables {
  HuffmanTree tree;
  TableEntry table[1 << kTableBits];

  ~DecoderTables() { SecureWipe(this, sizeof *this); }
};

// Reads one subtree in pre-order and returns its node, or -1 when the bits run out or the tree
// grows past 256 leaves. A complete tree with at most 256 leaves has at most 255 internal nodes,
// so refusing the 256th bounds the recursion even on a stream of zero bits.
int ReadSubtree(BitReader& in, HuffmanTree& tree) {
  std::uint64_t bit = 0;
  if (!in.read(1, bit)) return -1;
  const int node = tree.count;
  if (bit == 1) {
    std::uint64_t value = 0;
    if (++tree.leaves > kMaxLeaves || !in.read(8, value)) return -1;
    ++tree.count;
    tree.nodes[node].value = static_cast<std::uint8_t>(value);
    return node;
  }
  if (tree.count - tree.leaves >= kMaxInternalNodes) return -1;
  ++tree.count;
  const int left = ReadSubtree(in, tree);
  if (left < 0) return -1;
  const int right = ReadSubtree(in, tree);
  if (right < 0) return -1;
  tree.nodes[node].left = static_cast<std::int16_t>(left);
  tree.nodes[node].right = static_cast<std::int16_t>(right);
  return node;
}

// Entry i holds where the bits of i (least significant first) lead from the root.
void FillTable(DecoderTables& t) {
  for (std::uint32_t i = 0; i < (1u << kTableBits); ++i) {
    int node = t.tree.root;
    std::uint8_t length = 0;
    while (!t.tree.nodes[node].isLeaf() && length < kTableBits) {
      const HuffmanNode& n = t.tree.nodes[node];
      node = (i >> length) & 1 ? n.right : n.left;
      ++length;
    }
    t.table[i] = {static_cast<std::int16_t>(node), length};
  }
}

bool DecodeSymbols(DecoderTables& t, BitReader& in, std::uint8_t* out, std::uint32_t n) {
  const HuffmanNode* nodes = t.tree.nodes.data();
  for (std::uint32_t i = 0; i < n; ++i) {
    const TableEntry e = t.table[in.peek(kTableBits)];
    if (!in.skip(e.length)) return false;
    int node = e.node;
    while (!nodes[node].isLeaf()) {
      std::uint64_t bit = 0;
      if (!in.read(1, bit)) return false;
      node = bit ? nodes[node].right : nodes[node].left;
    }
    out[i] = nodes[node].value;
  }
  return true;
}

// Where the tree starts follows from n (for streams written by the encoder it agrees with the
// size class).
std::uint64_t TreeStart(std::uint64_t n) {
  if (n <= 0xFF) return 10;
  if (n <= 0xFFFF) return 18;
  if (n <= 0xFFFFFF) return 26;
  return 34;
}

}  // namespace

bool HuffmanDecode(ByteBuffer& buffer, std::uint32_t maxOutput) {
  if (buffer.empty()) return true;
  const int c = buffer.data()[0] & 3;
  if (buffer.length() < static_cast<std::uint32_t>(c + 2)) return false;
  BitReader in(buffer.data(), buffer.length());
  std::uint64_t n = 0;
  in.seek(2);
  in.read(8 * (c + 1), n);  // within the c + 2 bytes checked above
  if (n > maxOutput) return false;
  in.seek(TreeStart(n));

  DecoderTables t;
  t.tree.root = ReadSubtree(in, t.tree);
  if (t.tree.root < 0) return false;

  ByteBuffer out = ByteBuffer::zeros(static_cast<std::uint32_t>(n));
  const HuffmanNode& root = t.tree.nodes[t.tree.root];
  if (root.isLeaf()) {
    if (n != 0) std::memset(out.data(), root.value, out.length());  // every code is empty
  } else {
    FillTable(t);
    if (!DecodeSymbols(t, in, out.data(), out.length())) return false;
  }
  buffer = std::move(out);
  return true;
}

}  // namespace qs
