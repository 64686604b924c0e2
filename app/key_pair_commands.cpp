#include "app/key_pair_commands.h"

#include <optional>

#include "app/dialog_passphrases.h"
#include "app/file_dialogs.h"
#include "app/file_names.h"
#include "app/key_failure.h"
#include "app/texts.h"
#include "crypto/random_generator.h"
#include "keys/backup.h"
#include "keys/key_store.h"
#include "keys/public_key_export.h"
#include "operations/key_messages.h"
#include "platform/clock.h"

namespace qs {
namespace {

// A passphrase the user cancelled ends the command without a word.
void Tell(ui::Ui& ui, ui::View& owner, const KeyStatus& status) {
  if (PassphraseWithheld(status)) return;
  ui.messageBox(&owner, KeyFailureText(status), ui::Buttons::kOk, ui::Icon::kError);
}

}  // namespace

void ExportPublicKeyCommand(ui::Ui& ui, const AppState& state, ui::View& owner) {
  const KeyResult<std::string> suggestion = SuggestedPublicKeyName(state.workingFolder);
  if (!suggestion.ok()) {
    Tell(ui, owner, suggestion.status());
    return;
  }
  // The file is written only with its proof of possession, which needs the generator.
  if (state.generator.credit() < RandomGenerator::kRequiredCredit) {
    ui.messageBox(&owner, text::kGeneratorNotReady, ui::Buttons::kOk, ui::Icon::kError);
    return;
  }
  const std::optional<std::string> path = ui.saveFile(&owner, PublicKeyExportDialog(suggestion.value));
  if (!path) return;
  DialogPassphrases passphrases(ui, &owner);
  const KeyStatus exported =
      ExportPublicKey(state.workingFolder, CutAtControl(*path), state.generator,
                      static_cast<std::uint32_t>(platform::CalendarSeconds()), &passphrases);
  if (!exported.ok()) Tell(ui, owner, exported);
}

void BackUpKeyPairCommand(ui::Ui& ui, const AppState& state, ui::View& owner) {
  // The copy is plain, as the warning says; only a key locked with a passphrase asks for it.
  DialogPassphrases passphrases(ui, &owner);
  const KeyResult<KeyPairBackup> backup = PrepareBackup(state.workingFolder, &passphrases, KeyLocking{});
  if (!backup.ok()) {
    Tell(ui, owner, backup.status());
    return;
  }
  ui.messageBox(&owner, key_text::kBackupWarning, ui::Buttons::kOk, ui::Icon::kWarning);
  const std::optional<std::string> path = ui.saveFile(&owner, BackupSaveDialog(backup.value.suggestedName));
  if (!path) return;
  const KeyStatus written = WriteBackup(state.workingFolder, CutAtControl(*path), backup.value.content);
  if (!written.ok()) {
    Tell(ui, owner, written);
    return;
  }
  ui.messageBox(&owner, key_text::kBackupSaved, ui::Buttons::kOk, ui::Icon::kInformation);
}

std::optional<platform::Overwrite> ConfirmOverwriteKeyPair(ui::Ui& ui, const AppState& state,
                                                           ui::View& owner) {
  if (!KeyPairStored(state.workingFolder)) return platform::Overwrite::kNever;
  if (ui.messageBox(&owner, key_text::kOverwriteKeyPairQuestion, ui::Buttons::kYesNo, ui::Icon::kWarning) !=
      ui::Answer::kYes) {
    return std::nullopt;
  }
  return platform::Overwrite::kReplace;
}

void RestoreKeyPairCommand(ui::Ui& ui, const AppState& state, ui::View& owner,
                           platform::Overwrite overwrite) {
  const std::optional<std::string> path = ui.openFile(&owner, BackupOpenDialog());
  if (!path) return;
  DialogPassphrases passphrases(ui, &owner);
  const KeyStatus restored =
      RestoreKeyPair(state.workingFolder, CutAtControl(*path), overwrite, &passphrases);
  if (!restored.ok()) Tell(ui, owner, restored);
}

}  // namespace qs
