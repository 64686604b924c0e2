#include "cli/passphrase.h"

#include <fstream>
#include <istream>
#include <ostream>

#include "base/visible_text.h"
#include "cli/args.h"
#include "cli/messages.h"
#include "cli/session.h"
#include "platform/console.h"

namespace qs::cli {
namespace {

constexpr int kTries = 3;

// A line typed after prompt, unseen where the terminal allows; nothing at the end of input
// or when Ctrl-C came (the session is then interrupted).
std::optional<SecretText> TypedLine(Session& session, const std::string& prompt) {
  Io& io = session.io();
  io.err << prompt << std::flush;
  std::string line;
  bool read = false;
  if (io.readHidden != nullptr) {
    read = io.readHidden(line) == platform::HiddenLine::kRead;
  } else {
    read = static_cast<bool>(std::getline(io.in, line));
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  SecretText typed(line);
  WipeText(line);
  if (platform::InterruptRequested()) {
    io.err << '\n';
    session.interrupted();
    return std::nullopt;
  }
  if (!read) return std::nullopt;
  return typed;
}

}  // namespace

std::optional<std::string> SessionPassphrases::passphrase(const std::string& file, bool retry) {
  const std::optional<SecretText>& given = session_.options().passphrase;
  if (given) {
    // A file gives one passphrase: a second try could only repeat it.
    if (retry) return std::nullopt;
    return given->str();
  }
  if (!retry) {
    tries_ = 0;
    if (!offered_.empty()) return offered_.str();
  } else if (tries_ >= kTries) {
    return std::nullopt;
  }
  Io& io = session_.io();
  if (!io.inputIsTerminal) {
    session_.tell(cli_text::kPassphraseNeedsTerminal);
    return std::nullopt;
  }
  if (retry && tries_ > 0) io.err << cli_text::kWrongPassphraseAgain << '\n';
  std::optional<SecretText> typed =
      TypedLine(session_, cli_text::kPassphrasePrompt + VisibleText(file) + ": ");
  if (!typed) return std::nullopt;
  ++tries_;
  offered_ = *typed;
  return typed->str();
}

std::optional<SecretText> ReadPassphraseFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  if (!in || !std::getline(in, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  SecretText result(line);
  WipeText(line);
  if (result.empty()) return std::nullopt;
  return result;
}

std::optional<KeyLocking> ChosenLocking(Session& session, const ParsedArgs& args) {
  if (!args.has("passphrase")) return DefaultLocking();
  KeyLocking locking;
  locking.lock = KeyLock::kPassphrase;
  locking.generator = session.generator();
  if (locking.generator == nullptr) return std::nullopt;
  if (const std::optional<SecretText>& given = session.options().passphrase) {
    locking.passphrase = *given;
    return locking;
  }
  if (!session.io().inputIsTerminal) {
    session.fail(cli_text::kNewPassphraseNeedsTerminal, kUsage);
    return std::nullopt;
  }
  // The end of input counts as an empty line; Ctrl-C has been told already.
  const std::optional<SecretText> first = TypedLine(session, cli_text::kNewPassphrasePrompt);
  if (!first || first->empty()) {
    if (!platform::InterruptRequested()) session.fail(cli_text::kPassphraseEmpty, kUsage);
    return std::nullopt;
  }
  const std::optional<SecretText> second = TypedLine(session, cli_text::kRepeatPassphrasePrompt);
  if (!second || second->str() != first->str()) {
    if (platform::InterruptRequested()) return std::nullopt;
    session.fail(cli_text::kPassphrasesDiffer, kUsage);
    return std::nullopt;
  }
  locking.passphrase = *first;
  return locking;
}

}  // namespace qs::cli
