#include "keys/public_key_export.h"

#include "keys/cert_keys.h"
#include "keys/key_files.h"
#include "keys/key_store.h"
#include "keys/possession_proof.h"
#include "keys/record_text.h"
#include "keys/safe_file_name.h"
#include "platform/working_folder.h"

namespace qs {

KeyResult<std::string> SuggestedPublicKeyName(const std::string& workingFolder) {
  KeyCause cause;
  const std::optional<StoredKeyPair> pair = ReadStoredKeyPair(workingFolder, &cause);
  if (!pair) return Failed<std::string>(KeyOutcome::kNoPublicKey, std::move(cause));
  return {KeyOutcome::kOk, SafeFileName(DisplayText(pair->keyName))};
}

KeyStatus ExportPublicKey(const std::string& workingFolder, const std::string& path,
                          RandomGenerator& generator, std::uint32_t timestamp, PassphraseSource* source) {
  KeyCause cause;
  const std::optional<StoredKeyPair> pair = OpenStoredKeyPair(workingFolder, source, cause);
  if (!pair) return {KeyOutcome::kNoPublicKey, std::move(cause)};
  // Signed before anything is written, so that a key file never appears without its proof.
  const std::optional<ByteBuffer> proof =
      SignPossessionProof(generator, pair->privateRecord, pair->publicRecord, timestamp);
  if (!proof) return KeyOutcome::kPublicKeyNotSigned;
  if (!WriteKeyFiles({{*proof, PossessionProofPath(path)}, {pair->publicRecord, path}},
                     {platform::JoinPath(workingFolder, kKeyPairFileName)}, &cause)) {
    return {KeyOutcome::kPublicKeyNotSaved, std::move(cause)};
  }
  return KeyOutcome::kOk;
}

}  // namespace qs
