#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "base/byte_buffer.h"
#include "base/progress_hook.h"
#include "base/text_string.h"
#include "crypto/key_records.h"
#include "formats/progress.h"
#include "formats/signing_context.h"
#include "operations/file_operation.h"
#include "operations/settings.h"
#include "platform/file.h"

namespace qs {

class RandomGenerator;

namespace ui {
class View;
}

// What the key-pair dialog hands to its worker: the dialog writes name and algorithms before
// the worker starts and afterwards only progress.cancel.
struct KeyGenRequest {
  TextString keyName;  // Windows-1252; the organisation in certification mode
  KeyType encryptionAlgorithm = 0;
  KeyType signatureAlgorithm = 0;
  ProgressHook progress;
  bool busy = false;
  // Whether the new key pair may replace one stored by the time it is written: only one the
  // user agreed to replace.
  platform::Overwrite overwrite = platform::Overwrite::kNever;
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
