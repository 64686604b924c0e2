#pragma once
#include <string>

#include "base/byte_buffer.h"
#include "base/progress_hook.h"
#include "base/text_string.h"
#include "crypto/key_records.h"
#include "crypto/random_generator.h"
#include "keys/key_result.h"
#include "keys/locked_key.h"
#include "platform/file.h"

namespace qs {

// What the user chose for a new key pair of their own.
struct NewKeyPair {
  KeyType encryption = 0;
  KeyType signing = 0;
  TextString keyName;  // Windows-1252
  // Whether a key pair stored by the time the new one is written may be replaced.
  platform::Overwrite overwrite = platform::Overwrite::kNever;
  KeyLocking locking = DefaultLocking();  // how priv_key.bin keeps the private keys
};

// The one way both front ends make the user's key pair: generated, stored under its name in
// the working folder's priv_key.bin, and its public record given back. kKeyPairNotGenerated
// when generation fails or progress is cancelled; otherwise as WriteStoredKeyPair.
KeyResult<ByteBuffer> CreateKeyPair(const std::string& workingFolder, const NewKeyPair& choice,
                                    RandomGenerator& generator, ProgressHook* progress);

}  // namespace qs
