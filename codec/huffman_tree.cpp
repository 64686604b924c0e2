#include "codec/huffman_tree.h"

#include <cstring>

namespace qs {
namespace {

struct ListEntry {
  std::uint64_t count;
  std::int16_t node;
};

class BuildList {
 public:
  int size() const { return size_; }
  const ListEntry& operator[](int i) const { return entries_[i]; }

  void insert(ListEntry e) {
    if (size_ == 0) {
      entries_[size_++] = e;
      return;
    }
    int place = 1;
    while (place < size_ && entries_[place].count < e.count) ++place;
    std::memmove(entries_ + place + 1, entries_ + place, (size_ - place) * sizeof(ListEntry));
    entries_[place] = e;
    ++size_;
  }

  void dropFirstTwo() {
    std::memmove(entries_, entries_ + 2, (size_ - 2) * sizeof(ListEntry));
    size_ -= 2;
  }

 private:
  ListEntry entries_[256];
  int size_ = 0;
};

bool AssignCodes(const HuffmanTree& tree, int node, HuffmanCode path, std::array<HuffmanCode, 256>& codes) {
  const HuffmanNode& n = tree.nodes[node];
  if (n.isLeaf()) {
    codes[n.value] = path;
    return true;
  }
  if (path.length == kMaxHuffmanCodeLength) return false;
  const HuffmanCode left{path.bits, path.length + 1};
  const HuffmanCode right{path.bits | std::uint64_t{1} << path.length, path.length + 1};
  return AssignCodes(tree, n.left, left, codes) && AssignCodes(tree, n.right, right, codes);
}

}  // namespace

HuffmanTree BuildHuffmanTree(const std::array<std::uint64_t, 256>& counts) {
  HuffmanTree tree;
  BuildList list;
  for (int v = 0; v < 256; ++v) {
    if (counts[v] == 0) continue;
    tree.nodes[tree.count].value = static_cast<std::uint8_t>(v);
    list.insert({counts[v], static_cast<std::int16_t>(tree.count++)});
    ++tree.leaves;
  }
  while (list.size() > 1) {
    HuffmanNode& parent = tree.nodes[tree.count];
    parent.left = list[0].node;
    parent.right = list[1].node;
    const ListEntry merged{list[0].count + list[1].count, static_cast<std::int16_t>(tree.count++)};
    if (list.size() == 2) {
      tree.root = merged.node;
      return tree;
    }
    list.dropFirstTwo();
    list.insert(merged);
  }
  if (list.size() == 1) tree.root = list[0].node;
  return tree;
}

bool BuildHuffmanCodes(const HuffmanTree& tree, std::array<HuffmanCode, 256>& codes) {
  codes.fill({});
  return AssignCodes(tree, tree.root, {}, codes);
}

}  // namespace qs
