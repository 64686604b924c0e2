#pragma once
#include <string>
#include <string_view>

namespace qs {

// The rule for every suggested file name built from a key name or an organisation, which
// come from other people's files: spaces and every character that Windows or POSIX would take
// as a separator, a drive or stream colon, a wildcard or a control character become
// underscores, and so do leading dots; a name Windows reserves for a device (CON, NUL, COM1,
// with or without an extension) gets an underscore in front. The result is one name, never
// empty, that stays in the folder it is put in.
std::string SafeFileName(std::string_view text);

}  // namespace qs
