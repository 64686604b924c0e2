#include "operations/key_pair_info.h"

#include "keys/key_store.h"
#include "keys/record_text.h"
#include "operations/key_messages.h"

namespace qs {

KeyPairInfo DescribeStoredKeyPair(const std::string& workingFolder) {
  KeyPairInfo info;
  const std::optional<StoredKeyPair> pair = ReadStoredKeyPair(workingFolder);
  if (!pair) {
    info.fingerprint = key_text::kKeyMissing;
    return info;
  }
  info.name = DisplayText(pair->keyName);
  const std::optional<ByteBuffer> fingerprint = ComputeFingerprint(pair->publicRecord);
  if (!fingerprint) return info;
  info.fingerprint = HexString(*fingerprint);
  if (const std::optional<KeyTypes> types = ReadKeyTypes(pair->publicRecord)) {
    info.encryptionAlgorithm = KnownKeyTypeName(types->encryption);
    info.signingAlgorithm = KnownKeyTypeName(types->signing);
  }
  return info;
}

}  // namespace qs
