#pragma once
#include <cstdint>

#include "base/byte_buffer.h"

namespace qs {

// Huffman stream (bits numbered as in bit_stream.h):
//   bits 0-1    size class c: 0 if n <= 255, 1 if n <= 65,535, 2 if n <= 16,777,215, else 3
//   next        n, the number of encoded bytes, in 8 (c + 1) bits
//   next        the code tree in pre-order: internal node = 0, left subtree, right subtree;
//               leaf = 1 and its byte value in 8 bits
//   next        each byte's code from the root down, 0 = left, 1 = right
// The stream ends at the byte holding the last bit; unused high bits are zero. A tree that is a
// single leaf gives every byte a code of zero bits.

// Replaces the buffer's bytes by their stream; an empty buffer stays empty. Fails, leaving the
// buffer unchanged, when the stream would pass n + n / 4 + 500 bytes or the tree is deeper
// than kMaxHuffmanCodeLength.
bool HuffmanEncode(ByteBuffer& buffer);

// Replaces a stream by its bytes; an empty buffer stays empty. Fails, leaving the buffer
// unchanged, on a stream shorter than its header, a tree with more than 256 leaves, a stream
// that ends early, or n above maxOutput. Bits after the last code are ignored.
bool HuffmanDecode(ByteBuffer& buffer, std::uint32_t maxOutput);

}  // namespace qs
