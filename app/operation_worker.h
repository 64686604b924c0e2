#pragma once
#include <cstdint>
#include <string>

#include "app/app_state.h"
#include "base/text_string.h"
#include "formats/progress.h"

namespace qs {

// How an operation ended, for the user-interface thread to show.
struct OperationOutcome {
  bool success = false;
  // Whether the progress dialog stays open for a moment so that the user sees where the
  // bar ended; a silent cancel of the OKI-format and signature pipelines closes it at once.
  bool pause = true;
  std::string message;  // shown after the progress dialog has closed; empty: nothing
  // What a verified signature carried.
  std::uint32_t signedTimestamp = 0;
  TextString signedMessage;
};

// Runs the requested operation with the request's keys and names; runs on the worker
// thread and touches no window. The pipelines write through temporary files, so after a
// failure or a cancel there is nothing to delete: no partial target exists and an older file
// at the target name is as it was. Throws nothing: an exception fails the operation with
// its message for a failure of unknown cause ("Okänt fel." for encryption and decryption).
OperationOutcome RunOperation(OperationRequest& request, RandomGenerator& generator);

// The message of a native pipeline's failure; empty after a cancel the user asked for.
std::string ResultCodeMessage(ResultCode code, bool cancelRequested);

}  // namespace qs
