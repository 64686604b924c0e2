#include <ostream>

#include "base/visible_text.h"
#include "cli/command.h"
#include "cli/field_option.h"
#include "cli/json_line.h"
#include "cli/key_failure.h"
#include "cli/key_type_option.h"
#include "cli/messages.h"
#include "cli/output_file.h"
#include "cli/passphrase.h"
#include "cli/progress_display.h"
#include "keys/backup.h"
#include "keys/key_store.h"
#include "keys/possession_proof.h"
#include "keys/public_key_export.h"
#include "keys/record_text.h"
#include "operations/key_messages.h"
#include "operations/key_pair_creation.h"
#include "operations/key_pair_info.h"
#include "platform/clock.h"

namespace qs::cli {
namespace {

// What the command line says when priv_key.bin was not written: a key pair stored meanwhile
// as one stored before the command began.
int FailKeyPair(Session& session, const KeyStatus& status) {
  if (status.outcome == KeyOutcome::kKeyPairExists) return session.fail(cli_text::kKeyPairExists);
  return FailKey(session, status);
}

int RunKeygen(Session& session, const ParsedArgs& args) {
  const std::string name = StorableText(args.required("name"), "name");
  if (name.empty()) return session.fail(key_text::kNeedKeyName, kUsage);
  const KeyType encryption = KeyTypeOption(args, "encryption-bits");
  const KeyType signing = KeyTypeOption(args, "signing-bits");
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return kFailure;
  if (KeyPairStored(*folder) && !args.has("force")) return session.fail(cli_text::kKeyPairExists);
  RandomGenerator* generator = session.generator();
  if (generator == nullptr) return kFailure;
  const std::optional<KeyLocking> locking = ChosenLocking(session, args);
  if (!locking) return kFailure;

  KeyResult<ByteBuffer> created;
  if (RunKeyGeneration(session.io(), session.options().quiet, [&](ProgressHook* hook) {
        created = CreateKeyPair(
            *folder, {encryption, signing, KeyNameText(name), OverwriteOf(args), *locking}, *generator, hook);
        return created.ok();
      }))
    return session.interrupted();
  if (!created.ok()) return FailKeyPair(session, created.status());
  session.io().out << "Nyckelparet har skapats.\nFingerprint: "
                   << HexString(ComputeFingerprint(created.value).value_or(ByteBuffer())) << '\n';
  return kSuccess;
}

int RunKeyShow(Session& session, const ParsedArgs& args) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return kFailure;
  const KeyPairInfo info = DescribeStoredKeyPair(*folder);
  std::ostream& out = session.io().out;
  if (!info.name) {
    out << key_text::kKeyMissing << '\n';
    return kFailure;
  }
  if (args.has("json")) {
    out << JsonLine()
               .add("name", *info.name)
               .add("encryptionAlgorithm", info.encryptionAlgorithm.value_or(""))
               .add("signingAlgorithm", info.signingAlgorithm.value_or(""))
               .add("fingerprint", info.fingerprint.value_or(""))
               .str()
        << '\n';
    return kSuccess;
  }
  out << cli_text::kKeyNameLabel << *info.name << '\n'
      << cli_text::kEncryptionAlgorithmLabel << info.encryptionAlgorithm.value_or("") << '\n'
      << cli_text::kSigningAlgorithmLabel << info.signingAlgorithm.value_or("") << '\n'
      << cli_text::kFingerprintLabel << info.fingerprint.value_or("") << '\n';
  return kSuccess;
}

int RunKeyExport(Session& session, const ParsedArgs& args) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return kFailure;
  const KeyResult<std::string> suggested = SuggestedPublicKeyName(*folder);
  if (!suggested.ok()) return FailKey(session, suggested.status());
  const std::string target = args.value("output").value_or(suggested.value + ".public_key");
  const std::string proof = PossessionProofPath(target);
  if (!MayWrite(session, target, args.has("force")) || !MayWrite(session, proof, args.has("force")))
    return kFailure;
  RandomGenerator* generator = session.generator();
  if (generator == nullptr) return kFailure;
  const KeyStatus exported =
      ExportPublicKey(*folder, target, *generator, static_cast<std::uint32_t>(platform::CalendarSeconds()),
                      session.passphrases());
  if (!exported.ok()) return FailKey(session, exported);
  session.io().out << VisibleText(target) << '\n' << VisibleText(proof) << '\n';
  return kSuccess;
}

int RunKeyBackup(Session& session, const ParsedArgs& args) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return kFailure;
  // Without --passphrase a backup is plain, so that it opens on any machine.
  std::optional<KeyLocking> locking = KeyLocking{};
  if (args.has("passphrase")) locking = ChosenLocking(session, args);
  if (!locking) return kFailure;
  const KeyResult<KeyPairBackup> backup = PrepareBackup(*folder, session.passphrases(), *locking);
  if (!backup.ok()) return FailKey(session, backup.status());
  const std::string target = args.value("output").value_or(backup.value.suggestedName + ".key_backup");
  if (!MayWrite(session, target, args.has("force"))) return kFailure;
  if (locking->lock == KeyLock::kNone) session.io().err << key_text::kBackupWarning << '\n';
  const KeyStatus written = WriteBackup(*folder, target, backup.value.content);
  if (!written.ok()) return FailKey(session, written);
  session.io().out << key_text::kBackupSaved << '\n' << VisibleText(target) << '\n';
  return kSuccess;
}

int RunKeyRestore(Session& session, const ParsedArgs& args) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return kFailure;
  if (KeyPairStored(*folder) && !args.has("force")) return session.fail(cli_text::kKeyPairExists);
  const KeyStatus restored =
      RestoreKeyPair(*folder, args.positionals()[0], OverwriteOf(args), session.passphrases());
  if (!restored.ok()) return FailKeyPair(session, restored);
  return RunKeyShow(session, args);
}

int RunKeyProtect(Session& session, const ParsedArgs& args) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return kFailure;
  const std::optional<KeyLocking> locking = ChosenLocking(session, args);
  if (!locking) return kFailure;
  if (locking->lock == KeyLock::kNone) return session.fail(cli_text::kNoAccountProtection, kUsage);
  const KeyStatus relocked = RelockStoredKeyPair(*folder, session.passphrases(), *locking);
  if (!relocked.ok()) return FailKeyPair(session, relocked);
  session.io().out << (locking->lock == KeyLock::kPassphrase ? cli_text::kProtectedByPassphrase
                                                             : cli_text::kProtectedByAccount)
                   << '\n';
  return kSuccess;
}

}  // namespace

std::vector<Command> KeyCommands() {
  const OptionSpec output{.name = "output", .shortName = 'o', .takesValue = true};
  const OptionSpec force{.name = "force"};
  const OptionSpec passphrase{.name = "passphrase"};
  return {
      {.words = {"keygen"},
       .options = {{.name = "name", .takesValue = true},
                   {.name = "encryption-bits", .takesValue = true},
                   {.name = "signing-bits", .takesValue = true},
                   force,
                   passphrase},
       .synopsis = cli_text::kKeygenSynopsis,
       .summary = cli_text::kKeygenSummary,
       .details = cli_text::kKeygenDetails,
       .run = RunKeygen,
       .createsKeyPair = true},
      {.words = {"key", "show"},
       .options = {{.name = "json"}},
       .synopsis = "[--json]",
       .summary = cli_text::kKeyShowSummary,
       .run = RunKeyShow},
      {.words = {"key", "export"},
       .options = {output, force},
       .synopsis = cli_text::kKeyExportSynopsis,
       .summary = cli_text::kKeyExportSummary,
       .details = cli_text::kKeyExportDetails,
       .run = RunKeyExport},
      {.words = {"key", "backup"},
       .options = {output, force, passphrase},
       .synopsis = cli_text::kKeyBackupSynopsis,
       .summary = cli_text::kKeyBackupSummary,
       .details = cli_text::kKeyBackupDetails,
       .run = RunKeyBackup},
      {.words = {"key", "restore"},
       .options = {force},
       .minPositionals = 1,
       .maxPositionals = 1,
       .synopsis = cli_text::kKeyRestoreSynopsis,
       .summary = cli_text::kKeyRestoreSummary,
       .details = cli_text::kKeyRestoreDetails,
       .run = RunKeyRestore,
       .createsKeyPair = true},
      {.words = {"key", "protect"},
       .options = {passphrase},
       .synopsis = cli_text::kKeyProtectSynopsis,
       .summary = cli_text::kKeyProtectSummary,
       .details = cli_text::kKeyProtectDetails,
       .run = RunKeyProtect},
  };
}

}  // namespace qs::cli
