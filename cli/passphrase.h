#pragma once
#include <optional>
#include <string>

#include "base/secret_text.h"
#include "keys/key_unlock.h"
#include "keys/locked_key.h"

namespace qs::cli {

class ParsedArgs;
class Session;

// The passphrases of one command's locked keys: --passphrase-file's, else typed at the
// terminal without echo, three tries per key. The one that opened a key is offered first
// to the next, so a command that opens its key pair for several files asks once.
class SessionPassphrases final : public PassphraseSource {
 public:
  explicit SessionPassphrases(Session& session) : session_(session) {}

  std::optional<std::string> passphrase(const std::string& file, bool retry) override;

 private:
  Session& session_;
  SecretText offered_;  // the last passphrase given
  int tries_ = 0;       // for the current file
};

// The first line of a passphrase file, without its line end; nothing when it cannot be
// read or the line is empty (the caller says which).
std::optional<SecretText> ReadPassphraseFile(const std::string& path);

// How the command's new private key is kept: with --passphrase, a new passphrase
// (--passphrase-file's, or typed twice); else DefaultLocking(). Nothing, after a message,
// when no new passphrase could be had.
std::optional<KeyLocking> ChosenLocking(Session& session, const ParsedArgs& args);

}  // namespace qs::cli
