#pragma once
#include <string>

#include "keys/key_result.h"

namespace qs {

// The exported public key (".public_key" file) is the stored "PublicKey" record, unchanged,
// in the whole-file container: what a certification authority certifies.

// The key name with spaces as underscores; kNoPublicKey without a readable key pair.
KeyResult<std::string> SuggestedPublicKeyName(const std::string& workingFolder);

// Reads priv_key.bin again and writes its "PublicKey" record to path. kNoPublicKey without
// a readable key pair; kPublicKeyNotSaved when the file cannot be written or path names
// priv_key.bin itself.
KeyOutcome ExportPublicKey(const std::string& workingFolder, const std::string& path);

}  // namespace qs
