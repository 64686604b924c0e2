#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qs::test {

// The chunk decoder written straight from the format's description, one bit and one step at a
// time and with no code shared with codec/ beyond its limits: the yardstick the fast decoder's
// output and its refusals are held to. Empty when the chunk is refused.
std::optional<std::vector<std::uint8_t>> ReferenceDecompress(std::span<const std::uint8_t> chunk);

}  // namespace qs::test
