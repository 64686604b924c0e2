#pragma once
#include <cstdint>

#include "base/byte_buffer.h"

namespace qs {

// RunLength stream:
//   byte 0   the escape byte E: the rarest value of the input, the largest among equally rare
//   tokens   E E    one literal E
//            E X N  X (X != E) repeated N + 4 times, 4 to 259
//            b      any other byte: itself
// Runs of 2 or 3 are written as literals.
void RunLengthEncode(ByteBuffer& buffer);

// Fails, leaving the buffer unchanged, on an empty stream, a stream that ends inside a token,
// or an output longer than maxOutput.
bool RunLengthDecode(ByteBuffer& buffer, std::uint32_t maxOutput);

}  // namespace qs
