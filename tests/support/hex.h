#pragma once
#include <string>

#include "base/byte_buffer.h"

namespace qs::test {

// Hex digits (either case, blanks ignored) to bytes.
ByteBuffer FromHex(const std::string& hex);
// Lower-case hex, for readable failure messages.
std::string ToHex(const ByteBuffer& bytes);
ByteBuffer FromString(const std::string& text);

}  // namespace qs::test
