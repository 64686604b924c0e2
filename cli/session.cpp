#include "cli/session.h"

#include <array>
#include <ostream>

#include "base/secure_wipe.h"
#include "base/visible_text.h"
#include "cli/messages.h"
#include "cli/passphrase.h"
#include "operations/cause_text.h"
#include "operations/messages.h"
#include "platform/file.h"
#include "platform/system_random.h"
#include "platform/working_folder.h"

namespace qs::cli {

Session::Session(Io& io, GlobalOptions options) : io_(io), options_(std::move(options)) {}

Session::~Session() = default;

PassphraseSource* Session::passphrases() {
  if (!passphrases_) passphrases_ = std::make_unique<SessionPassphrases>(*this);
  return passphrases_.get();
}

std::optional<std::string> Session::workingFolder() {
  if (folder_) return folder_;
  const std::optional<std::string>& chosen = options_.workdir;
  if (chosen && !options_.createWorkdir && !platform::FileExists(*chosen)) {
    fail(cli_text::kNoSuchWorkdir + *chosen + cli_text::kWorkdirMadeBy, kUsage);
    return std::nullopt;
  }
  const std::optional<std::string> folder =
      chosen ? (platform::CreateFolder(*chosen) ? chosen : std::nullopt) : platform::ChooseWorkingFolder();
  if (!folder) {
    fail(start_text::kNoWorkingFolder);
    return std::nullopt;
  }
  folder_ = folder;
  // Once per run: the folder holds the private key pair and the seed.
  if (platform::FolderOpenToOthers(*folder_)) {
    tell(cli_text::kFolderOpenToOthers + *folder_ + cli_text::kCloseFolder);
  }
  return folder_;
}

std::optional<std::string> Session::workingFile(const char* name) {
  const std::optional<std::string> folder = workingFolder();
  if (!folder) return std::nullopt;
  return platform::JoinPath(*folder, name);
}

RandomGenerator* Session::generator() {
  if (generator_) return generator_.get();
  const std::optional<std::string> seedFile = workingFile(kSeedFileName);
  if (!seedFile) return nullptr;
  auto generator = std::make_unique<RandomGenerator>();
  if (!generator->startUp(*seedFile)) {
    fail(start_text::kNoGenerator, SystemCauseText(*seedFile));
    return nullptr;
  }
  if (generator->credit() < RandomGenerator::kRequiredCredit) {
    std::array<std::uint8_t, 64> seed{};
    const bool gathered = platform::SystemRandom(std::span(seed).first<32>()) &&
                          platform::SystemRandom(std::span(seed).last<32>());
    const bool seeded = gathered && generator->addSeed(seed, 0, true) && generator->writeSeedFile(*seedFile);
    SecureWipe(seed.data(), seed.size());
    if (!seeded) {
      fail(start_text::kNoGenerator, SystemCauseText(*seedFile));
      return nullptr;
    }
  }
  generator_ = std::move(generator);
  return generator_.get();
}

namespace {

int Weight(ExitStatus status) {
  switch (status) {
    case kInterrupted:
      return 4;
    case kRefused:
      return 3;
    case kNotApproved:
      return 2;
    case kUsage:
      return 1;
    default:
      return 0;
  }
}

}  // namespace

int Session::interrupted() {
  io_.err << cli_text::kInterrupted << '\n';
  failure_ = kInterrupted;
  return kInterrupted;
}

void Session::tell(const std::string& text) { io_.err << "quillseal-cli: " << VisibleText(text) << '\n'; }

int Session::fail(const std::string& text, ExitStatus status) {
  tell(text);
  if (Weight(status) > Weight(failure_)) failure_ = status;
  return status;
}

int Session::fail(const std::string& text, const std::string& cause, ExitStatus status) {
  return fail(cause.empty() ? text : text + " " + cause, status);
}

}  // namespace qs::cli
