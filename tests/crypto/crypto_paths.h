#pragma once
// What the tests comparing the hardware and portable crypto paths share.
#include <cstdint>
#include <random>
#include <vector>

#include "crypto/cpu_features.h"

namespace qs::test {

using Bytes = std::vector<std::uint8_t>;

// Forces the portable paths for its lifetime.
struct PortableOnly {
  PortableOnly() { ForcePortableCrypto(true); }
  ~PortableOnly() { ForcePortableCrypto(false); }
};

inline Bytes Random(std::mt19937& rng, std::size_t n) {
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

}  // namespace qs::test
