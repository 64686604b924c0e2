#include "app/key_gen_worker.h"

#include <optional>

#include "app/file_dialogs.h"
#include "app/file_names.h"
#include "app/key_failure.h"
#include "app/texts.h"
#include "keys/cert_keys.h"
#include "keys/key_store.h"
#include "keys/trusted_keys.h"
#include "operations/key_messages.h"
#include "operations/key_pair_creation.h"

namespace qs {
namespace {

void Tell(ui::Ui& ui, ui::View& dialog, const std::string& text) {
  ui.messageBox(&dialog, text, ui::Buttons::kOk, ui::Icon::kError);
}

// Ends the dialog with 0, after the message unless the user cancelled.
void EndFailed(ui::Ui& ui, ui::View& dialog, const std::string& text, bool cancelled) {
  if (!cancelled) Tell(ui, dialog, text);
  dialog.endDialog(0);
}

// Worker thread: the user's key pair, written to priv_key.bin here.
void GenerateUserKeyPair(ui::Ui& ui, AppState& state, ui::View& dialog) {
  KeyGenRequest& request = state.keyGen;
  const KeyResult<ByteBuffer> created = CreateKeyPair(
      state.workingFolder,
      {request.encryptionAlgorithm, request.signatureAlgorithm, request.keyName, request.overwrite},
      state.generator, &request.progress);
  if (!created.ok()) {
    const bool cancelled = request.progress.cancelRequested();
    ui.post(dialog, [&ui, &dialog, text = KeyFailureText(created.status()), cancelled] {
      EndFailed(ui, dialog, text, cancelled);
    });
    return;
  }
  ui.post(dialog, [&dialog] { dialog.endDialog(1); });
}

// User-interface thread: where the new certification keys go, and whether they are trusted.
// The dialog's result.
int ChooseFilesAndSave(ui::Ui& ui, AppState& state, ui::View& dialog, const CertKeyPairRecords& records) {
  const KeyResult<std::string> suggestion = SuggestedCertKeyName(records.publicRecord);
  if (!suggestion.ok()) {
    Tell(ui, dialog, KeyFailureText(suggestion.status()));
    return 0;
  }
  const std::optional<std::string> privatePath = ui.saveFile(&dialog, PrivateCertKeyDialog(suggestion.value));
  if (!privatePath) return 0;
  const std::optional<std::string> publicPath = ui.saveFile(&dialog, PublicCertKeyDialog(suggestion.value));
  if (!publicPath) return 0;
  const KeyStatus saved =
      SaveCertificationKeyPair(records, CutAtControl(*privatePath), CutAtControl(*publicPath));
  if (!saved.ok()) {
    Tell(ui, dialog, KeyFailureText(saved));
    return 0;
  }
  if (ui.messageBox(&dialog, key_text::kAddNewCertKeyQuestion, ui::Buttons::kYesNo, ui::Icon::kQuestion) ==
      ui::Answer::kYes) {
    const KeyStatus added = AddTrustedKey(state.workingFolder, records.publicRecord);
    if (!added.ok()) Tell(ui, dialog, KeyFailureText(added));
  }
  return 1;
}

// Worker thread: a certification key pair; saving it needs the user, so it is posted.
void GenerateCertificationKeyPair(ui::Ui& ui, AppState& state, ui::View& dialog) {
  KeyGenRequest& request = state.keyGen;
  std::optional<CertKeyPairRecords> records =
      CreateCertificationKeyPair(state.generator, WideText::fromTextString(request.keyName),
                                 request.signatureAlgorithm, &request.progress);
  if (!records) {
    const bool cancelled = request.progress.cancelRequested();
    ui.post(dialog, [&ui, &dialog, cancelled] {
      EndFailed(ui, dialog, MessageText(KeyOutcome::kCertKeysNotCreated), cancelled);
    });
    return;
  }
  ui.post(dialog, [&ui, &state, &dialog, records = std::move(*records)] {
    dialog.endDialog(ChooseFilesAndSave(ui, state, dialog, records));
  });
}

}  // namespace

void StartKeyGeneration(ui::Ui& ui, AppState& state, ui::View& dialog, bool certificationMode) {
  ui.startWorker([&ui, &state, &dialog, certificationMode] {
    // An exception (out of memory, a number too large) is a failed generation like any other;
    // priv_key.bin is written atomically, so nothing half-written stays.
    try {
      if (certificationMode) {
        GenerateCertificationKeyPair(ui, state, dialog);
      } else {
        GenerateUserKeyPair(ui, state, dialog);
      }
    } catch (...) {
      const char* failure =
          certificationMode ? MessageText(KeyOutcome::kCertKeysNotCreated) : key_text::kKeyGenerationFailed;
      ui.post(dialog, [&ui, &dialog, failure] { EndFailed(ui, dialog, failure, false); });
    }
  });
}

}  // namespace qs
