#pragma once
#include <cstdint>
#include <span>

namespace qs {

// Both directions keep a list of the 256 byte values, initially 0 to 255 in order. Encoding
// replaces each byte by its place in the list (0 = front) and moves it to the front; decoding
// replaces each place by the value found there and moves that value to the front.
void MoveToFrontEncode(std::span<std::uint8_t> bytes);
void MoveToFrontDecode(std::span<std::uint8_t> bytes);

}  // namespace qs
