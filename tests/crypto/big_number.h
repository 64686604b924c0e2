#pragma once
#include <string>

#include "crypto/bigint.h"

namespace qs::test {

// A big-endian hex number (as vector files and people write them) as a BigInt.
BigInt Number(const std::string& hex);
// Big-endian hex of the magnitude with a leading '-' when negative, for failure messages.
std::string NumberText(const BigInt& value);

}  // namespace qs::test
