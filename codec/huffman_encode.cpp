#include "codec/huffman.h"

#include "base/secure_wipe.h"
#include "codec/bit_stream.h"
#include "codec/huffman_tree.h"

namespace qs {
namespace {

constexpr int kClassBits = 2;
constexpr int kTreeLeafBits = 9;
constexpr int kTreeInternalBits = 1;

int SizeClass(std::uint32_t n) {
  if (n <= 0xFF) return 0;
  if (n <= 0xFFFF) return 1;
  if (n <= 0xFFFFFF) return 2;
  return 3;
}

void WriteTree(const HuffmanTree& tree, int node, BitWriter& out) {
  const HuffmanNode& n = tree.nodes[node];
  if (n.isLeaf()) {
    out.write(1 | std::uint32_t{n.value} << 1, kTreeLeafBits);
    return;
  }
  out.write(0, kTreeInternalBits);
  WriteTree(tree, n.left, out);
  WriteTree(tree, n.right, out);
}

// The counts, tree and codes describe the plain text, so they are wiped on the way out.
struct EncoderTables {
  std::array<std::uint64_t, 256> counts{};
  HuffmanTree tree;
  std::array<HuffmanCode, 256> codes;

  ~EncoderTables() { SecureWipe(this, sizeof *this); }
};

}  // namespace

bool HuffmanEncode(ByteBuffer& buffer) {
  const std::uint32_t n = buffer.length();
  if (n == 0) return true;
  const std::uint8_t* in = buffer.data();
  EncoderTables t;
  for (std::uint32_t i = 0; i < n; ++i) ++t.counts[in[i]];
  t.tree = BuildHuffmanTree(t.counts);
  if (!BuildHuffmanCodes(t.tree, t.codes)) return false;

  // The length is known before writing, so the room is checked once instead of per bit.
  const int c = SizeClass(n);
  const int sizeBits = 8 * (c + 1);
  std::uint64_t bits = kClassBits + sizeBits;
  bits +=
      std::uint64_t{kTreeLeafBits} * t.tree.leaves + std::uint64_t{kTreeInternalBits} * (t.tree.leaves - 1);
  for (int v = 0; v < 256; ++v) bits += t.counts[v] * static_cast<std::uint64_t>(t.codes[v].length);
  const std::uint64_t room = std::uint64_t{n} + n / 4 + 500;
  if (bits > 8 * room) return false;

  ByteBuffer out = ByteBuffer::zeros(static_cast<std::uint32_t>((bits + 7) / 8));
  BitWriter writer(out.data());
  writer.write(static_cast<std::uint64_t>(c), kClassBits);
  writer.write(n, sizeBits);
  WriteTree(t.tree, t.tree.root, writer);
  for (std::uint32_t i = 0; i < n; ++i) {
    const HuffmanCode& code = t.codes[in[i]];
    writer.write(code.bits, code.length);
  }
  writer.finish();
  buffer = std::move(out);
  return true;
}

}  // namespace qs
