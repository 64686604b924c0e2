#pragma once
#include <cstdint>
#include <string>

#include "keys/key_result.h"
#include "keys/key_unlock.h"

namespace qs {

class RandomGenerator;

// The exported public key (".public_key" file) is the stored "PublicKey" record, unchanged,
// in the whole-file container: what a certification authority certifies. Its proof of
// possession (keys/possession_proof.h) is written beside it.

// The key name with spaces as underscores; kNoPublicKey without a readable key pair.
KeyResult<std::string> SuggestedPublicKeyName(const std::string& workingFolder);

// Reads priv_key.bin again and writes its "PublicKey" record to path and the proof, signed
// at timestamp, to PossessionProofPath(path), asking source where the key is locked with a
// passphrase; the two are put in place together, the proof
// first. kNoPublicKey without a readable key pair, or one that does not open; kPublicKeyNotSigned, with
// nothing written, when the proof cannot be made (a generator credit below 1024); kPublicKeyNotSaved when a
// file cannot be written or names priv_key.bin itself.
KeyStatus ExportPublicKey(const std::string& workingFolder, const std::string& path,
                          RandomGenerator& generator, std::uint32_t timestamp,
                          PassphraseSource* source = nullptr);

}  // namespace qs
