#pragma once
#include <cstdint>

#include "base/byte_buffer.h"

namespace qs {

// BlockSort container (a Burrows–Wheeler transform per block of kBlockSortBlockBytes):
//   offset 0        2 bytes, LE   B = number of blocks (input length / block size, rounded up)
//   offset 2        3 × B, LE     each block's primary index (place of rotation 0), 24 bits
//   offset 2 + 3B   rest          the transformed blocks in order, each as long as its input
// An empty input gives the container 00 00.
//
// How the rotations of a block are sorted. kBudgeted is the format's own procedure and fails
// when a block exhausts its comparison budget (highly repetitive data; see RotationSorter).
// kComplete always finishes (see CompleteRotationSorter); the transformed bytes are the same
// whenever the budget suffices, and every decoder reads both.
enum class RotationSort : std::uint8_t { kBudgeted, kComplete };

// Fails, leaving the buffer unchanged, only when a kBudgeted sort runs out of its budget.
bool BlockSortEncode(ByteBuffer& buffer, RotationSort sort);

// Fails, leaving the buffer unchanged, on a container shorter than its header, a block count
// that does not match the data length, a primary index outside its block, or more than
// maxOutput data bytes.
bool BlockSortDecode(ByteBuffer& buffer, std::uint32_t maxOutput);

}  // namespace qs
