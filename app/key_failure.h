#pragma once
#include <string>

#include "keys/key_result.h"

namespace qs {

// A key operation's failure as its message box shows it: the message on the first line and,
// when one is known, the cause on the second.
std::string KeyFailureText(const KeyStatus& status);

// True when the operation failed because the user cancelled a passphrase: nothing to tell.
bool PassphraseWithheld(const KeyStatus& status);

}  // namespace qs
