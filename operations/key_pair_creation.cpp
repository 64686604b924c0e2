#include "operations/key_pair_creation.h"

#include <optional>
#include <utility>

#include "crypto/key_pair.h"
#include "keys/key_store.h"

namespace qs {

KeyResult<ByteBuffer> CreateKeyPair(const std::string& workingFolder, const NewKeyPair& choice,
                                    RandomGenerator& generator, ProgressHook* progress) {
  std::optional<KeyPairRecords> records =
      GenerateKeyPair(choice.encryption, choice.signing, generator, progress);
  if (!records) return Failed<ByteBuffer>(KeyOutcome::kKeyPairNotGenerated);
  const StoredKeyPair pair{std::move(records->privateRecord), std::move(records->publicRecord),
                           choice.keyName};
  const KeyStatus written = WriteStoredKeyPair(workingFolder, pair, choice.overwrite, choice.locking);
  if (!written.ok()) return Failed<ByteBuffer>(written.outcome, written.cause);
  return {KeyOutcome::kOk, pair.publicRecord};
}

}  // namespace qs
