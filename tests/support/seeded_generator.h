#pragma once
#include <memory>

#include "crypto/random_generator.h"

namespace qs::test {

// A generator that already holds the credit every operation needs.
std::unique_ptr<RandomGenerator> SeededGenerator();

}  // namespace qs::test
