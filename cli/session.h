#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/secret_text.h"
#include "cli/io.h"
#include "crypto/random_generator.h"
#include "keys/data_fields.h"
#include "keys/key_unlock.h"

namespace qs::cli {

struct GlobalOptions {
  std::optional<std::string> workdir;
  bool yes = false;
  std::optional<std::string> expectFingerprint;
  bool quiet = false;
  // --expect-field: what one verified certification of an approved certificate must hold.
  std::vector<DataField> expectFields;
  // Whether a --workdir that does not exist is made (by the commands that make a key pair)
  // rather than refused as mistyped.
  bool createWorkdir = false;
  // --passphrase-file's first line: the passphrase of every locked key the command opens and
  // of the one it locks.
  std::optional<SecretText> passphrase = std::nullopt;
};

class SessionPassphrases;

// What every command shares: the streams, the global options, the working folder and the
// random generator, both made on first use.
class Session {
 public:
  Session(Io& io, GlobalOptions options);
  ~Session();

  Io& io() { return io_; }
  const GlobalOptions& options() const { return options_; }

  // The working folder (--workdir, else the GUI's), created when missing (a --workdir only
  // with createWorkdir); nothing when it cannot be made or is refused, after a message.
  std::optional<std::string> workingFolder();
  // A file of the working folder by its bare name.
  std::optional<std::string> workingFile(const char* name);

  // The started generator. With no usable seed file the command line, which has no mouse,
  // takes 64 bytes from the operating system with full credit and writes rand.bin. Nothing,
  // after a message, when the generator cannot be started.
  RandomGenerator* generator();

  // Where the command's locked keys get their passphrases (cli/passphrase.h).
  PassphraseSource* passphrases();

  // Prints "quillseal-cli: text" on stderr. The text may name a file or hold a file's text:
  // it is shown through VisibleText, so nothing in it can end its line or act on a terminal.
  void tell(const std::string& text);
  // The same, and gives the status, which the command's own status becomes (failureStatus).
  int fail(const std::string& text, ExitStatus status = kFailure);
  // The text, a space and the cause (operations/cause_text.h) when there is one.
  int fail(const std::string& text, const std::string& cause, ExitStatus status = kFailure);
  // Tells that the user stopped the command and gives kInterrupted.
  int interrupted();
  // What a failed command exits with: of the failures told, an interruption before refused
  // data, refused data before a refused approval, that before a usage mistake, that before
  // any other failure; kFailure when none was told with a status of its own.
  ExitStatus failureStatus() const { return failure_; }

 private:
  Io& io_;
  GlobalOptions options_;
  std::optional<std::string> folder_;
  std::unique_ptr<RandomGenerator> generator_;
  std::unique_ptr<SessionPassphrases> passphrases_;
  ExitStatus failure_ = kFailure;
};

}  // namespace qs::cli
