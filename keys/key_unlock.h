#pragma once
#include <optional>
#include <string>

#include "base/byte_buffer.h"
#include "keys/key_result.h"

namespace qs {

// Asks the user for the passphrase of a locked key file: a dialog in the GUI, the terminal
// or --passphrase-file on the command line.
class PassphraseSource {
 public:
  virtual ~PassphraseSource() = default;
  // The passphrase for file, or nothing when the user gives none; retry after a wrong one.
  // The caller wipes what it is given.
  virtual std::optional<std::string> passphrase(const std::string& file, bool retry) = 0;
};

// The plain record that record holds: record itself when it is not locked, else what its
// lock opens to, asking source (which may be null) for a passphrase until it is right or
// the source gives none. Nothing, with cause naming file and what failed, otherwise.
std::optional<ByteBuffer> UnlockRecord(const ByteBuffer& record, const ByteBuffer& bound,
                                       const std::string& file, PassphraseSource* source, KeyCause& cause);

}  // namespace qs
