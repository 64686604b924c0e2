#include "tests/support/seeded_generator.h"

#include <array>

namespace qs::test {

std::unique_ptr<RandomGenerator> SeededGenerator() {
  auto generator = std::make_unique<RandomGenerator>();
  std::array<std::uint8_t, 32> seed{};
  for (std::size_t i = 0; i < seed.size(); ++i) seed[i] = static_cast<std::uint8_t>(i * 37 + 11);
  generator->addSeed(seed, 0, true);
  return generator;
}

}  // namespace qs::test
