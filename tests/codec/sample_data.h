#pragma once
#include <cstdint>

#include "base/byte_buffer.h"

namespace qs::test {

enum class Sample {
  kText,    // English-like words, sentences and lines
  kBinary,  // fixed-size records of counters, small integers, addresses and padding
  kRandom,  // uniformly random bytes
  kRuns,    // runs of 1 to 700 bytes of a few values, the escape candidates among them
};

// n bytes of the kind, the same on every platform for the same seed.
ByteBuffer MakeSample(Sample kind, std::uint32_t n, std::uint64_t seed = 1);

const char* SampleName(Sample kind);

// A block-sorted (mode 2) chunk around the given block-sort container, made with the encoder's
// later stages: chunks the budgeted sorter never writes (periodic blocks, blocks that are no
// transform of anything) for the decoders to agree on.
ByteBuffer BlockSortedChunk(ByteBuffer container);

// The container of one block whose transform is last with rotation 0 at primary.
ByteBuffer OneBlockContainer(const ByteBuffer& last, std::uint32_t primary);

// The container of unit (4 bytes or more, no repetition of a shorter one) repeated: unit's
// transform with every byte repeated, the primary index being the given copy of rotation 0.
// Its back links form `repeats` cycles rather than one.
ByteBuffer PeriodicContainer(const ByteBuffer& unit, std::uint32_t repeats, std::uint32_t copy);

}  // namespace qs::test
