#pragma once
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "app/settings.h"
#include "base/byte_buffer.h"
#include "base/progress_hook.h"
#include "base/text_string.h"
#include "crypto/key_records.h"
#include "formats/progress.h"
#include "formats/signing_context.h"

namespace qs {

class RandomGenerator;

namespace ui {
class View;
}

enum class OperationCode : std::int32_t { kEncrypt = 1, kDecrypt = 2, kSign = 3, kVerify = 4 };

// What a file command hands to the operation worker. The user-interface thread fills it
// before the worker starts and afterwards writes only the cancel flags; the worker writes
// the progress counters and totalBytes.
struct OperationRequest {
  OperationCode code = OperationCode::kEncrypt;
  std::uint8_t compression = 0;              // encrypt only
  std::uint8_t okiFormat = 0;                // encrypt only; decryption follows the file
  std::string sourceName;                    // paths are UTF-8
  std::string targetName;                    // verify: the signature file
  ByteBuffer ownPrivateKey;                  // "PrivateKey" record
  ByteBuffer peerPublicKey;                  // "PublicKey" record; empty for sign
  TextString signMessage;                    // Windows-1252, empty when none
  ChunkProgress chunkProgress;               // native and signature pipelines
  ProgressHook byteProgress;                 // OKI-format pipelines
  std::atomic<std::uint32_t> totalBytes{0};  // OKI-format: the size being processed
};

// What the key-pair dialog hands to its worker: the dialog writes name and algorithms before
// the worker starts and afterwards only progress.cancel.
struct KeyGenRequest {
  TextString keyName;  // Windows-1252; the organisation in certification mode
  KeyType encryptionAlgorithm = 0;
  KeyType signatureAlgorithm = 0;
  ProgressHook progress;
  bool busy = false;
};

// The one process-wide state that the dialogs and workers share.
struct AppState {
  AppState(RandomGenerator& generatorRef, std::string folder)
      : workingFolder(std::move(folder)), generator(generatorRef) {}

  std::string workingFolder;       // where priv_key.bin, config.bin and the rest live
  ui::View* mainWindow = nullptr;  // set while the main dialog is open
  RandomGenerator& generator;
  std::optional<SigningContext> signingContext;  // from start-up until the main dialog closes
  Settings settings;
  bool keyGenFirstRun = false;
  bool keyGenCertificationMode = false;
  OperationRequest operation;
  KeyGenRequest keyGen;
  std::uint32_t verifyTimestamp = 0;
  TextString verifyMessage;  // Windows-1252

  // A file of the working folder.
  std::string file(const char* name) const;
};

}  // namespace qs
