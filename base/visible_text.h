#pragma once
#include <string>
#include <string_view>

namespace qs {

// Text from outside the program (a file name, a text field of someone's file) as it may be
// shown, UTF-8. A terminal acts on control characters and a display hides format characters,
// so either could rewrite or reorder what stands around the text; each becomes a visible
// escape instead, and the text stays on its own line:
//   C0 controls and DEL                       \x00 .. \x1F, \x7F
//   a byte that is not part of valid UTF-8    \xHH, the byte
//   C1 controls, the bidirectional controls, zero-width and other invisible format
//   characters, line and paragraph separators \uHHHH, or \UHHHHHHHH above U+FFFF
// Everything else is kept as it is, backslashes too, since they separate Windows paths.
std::string VisibleText(std::string_view text);

}  // namespace qs
