#pragma once
#include <optional>

#include "base/byte_buffer.h"
#include "base/progress_hook.h"
#include "crypto/key_records.h"

namespace qs {

class RandomGenerator;

struct KeyPairRecords {
  ByteBuffer privateRecord;  // "PrivateKey": the two private blobs
  ByteBuffer publicRecord;   // "PublicKey": the two public blobs
};

// Generates the encryption key, then the signing key, with the same generator and hook and
// returns the two records of the new key pair. Fails when the credit is below 1024, a type is
// not 0, 1 or 2, or either generation fails or is cancelled.
std::optional<KeyPairRecords> GenerateKeyPair(KeyType encryptionType, KeyType signingType,
                                              RandomGenerator& generator, ProgressHook* hook);

}  // namespace qs
