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

}  // namespace qs::test
