#pragma once
#include <cstdint>
#include <optional>

#include "base/wide_text.h"

namespace qs {

// What the header's signature binds besides the wrapped key: the compressed flag, which
// nothing else covers, and the plain file's size, which fixes the chunk count and the last
// chunk's length. It travels as the signature's message, a short fixed text:
//
//   komprimerad=<0|1> storlek=<bytes, decimal, no leading zeros>
//
// Readers that do not know the text ignore the message, and a file with an empty message
// (from such a writer) binds nothing.
struct HeaderBinding {
  bool compressed = false;
  std::uint64_t plainSize = 0;
};

WideText HeaderBindingText(const HeaderBinding& binding);

// The binding in a message of exactly that form; nothing for any other text.
std::optional<HeaderBinding> ParseHeaderBinding(const WideText& message);

}  // namespace qs
