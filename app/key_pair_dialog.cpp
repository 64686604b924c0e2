#include "app/key_pair_dialog.h"

#include "app/key_gen_worker.h"
#include "app/resource_ids.h"
#include "app/texts.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "operations/key_messages.h"

namespace qs {
namespace {

void FillAlgorithms(ui::View& view, int control) {
  for (KeyType type = 0; type <= 2; ++type) {
    view.addComboItem(control, *KnownKeyTypeName(type), type);
  }
  view.selectComboItem(control, 0);
}

}  // namespace

void KeyPairDialog::onInit(ui::View& view) {
  if (state_.keyGenFirstRun) {
    view.centreOnScreen();
    view.setProgramIcon();
    state_.keyGenFirstRun = false;
  } else {
    view.centreOn(*state_.mainWindow);
  }
  certificationMode_ = state_.keyGenCertificationMode;
  view.setProgressRange(IDC_KEY_PAIR_BAR, 0, static_cast<int>(kMovesWanted));
  moves_ = 0;
  // A certification key pair is a single signing key.
  if (!certificationMode_) FillAlgorithms(view, IDC_KEY_PAIR_ENCRYPTION);
  FillAlgorithms(view, IDC_KEY_PAIR_SIGNING);
  if (certificationMode_) {
    view.setText(IDC_KEY_PAIR_NAME_LABEL, text::kOrganisationLabel);
    view.enable(IDC_KEY_PAIR_ENCRYPTION, false);
  }
  view.enable(IDC_KEY_PAIR_CREATE, false);
  KeyGenRequest& request = state_.keyGen;
  request.progress.count = 0;
  request.progress.cancel = 0;
  request.busy = false;
}

void KeyPairDialog::onMouseMove(ui::View& view, std::uint16_t x, std::uint16_t y) {
  MouseFeedingController::onMouseMove(view, x, y);
  if (moves_ < kMovesWanted) {
    view.setText(IDC_KEY_PAIR_COUNTER, std::to_string(moves_) + text::kCounterSuffix);
    ++moves_;
  } else if (moves_ == kMovesWanted) {
    view.enable(IDC_KEY_PAIR_CREATE, true);
    view.setText(IDC_KEY_PAIR_COUNTER, "");
    // Below 1024 credits (repeated positions) there is nothing worth saving, and the
    // generator refuses.
    generator_.writeSeedFile(state_.file(kSeedFileName));
    ++moves_;
  }
  view.setProgressPosition(IDC_KEY_PAIR_BAR, static_cast<int>(moves_));
}

void KeyPairDialog::onCommand(ui::View& view, int control) {
  if (control == IDC_KEY_PAIR_CREATE) create(view);
  if (control == IDC_KEY_PAIR_CANCEL) cancel(view);
}

void KeyPairDialog::create(ui::View& view) {
  const std::string name = view.text(IDC_KEY_PAIR_NAME);
  if (name.empty()) {
    ui_.messageBox(&view, certificationMode_ ? key_text::kNeedOrganisation : key_text::kNeedKeyName,
                   ui::Buttons::kOk, ui::Icon::kError);
    return;
  }
  KeyGenRequest& request = state_.keyGen;
  request.keyName = KeyNameText(name);
  if (request.keyName.characterCount() > kMaxName)
    request.keyName.dropLast(request.keyName.characterCount() - kMaxName);
  request.encryptionAlgorithm =
      static_cast<KeyType>(view.selectedComboValue(IDC_KEY_PAIR_ENCRYPTION).value_or(0));
  request.signatureAlgorithm =
      static_cast<KeyType>(view.selectedComboValue(IDC_KEY_PAIR_SIGNING).value_or(0));
  view.enable(IDC_KEY_PAIR_CREATE, false);
  view.enable(IDC_KEY_PAIR_NAME, false);
  view.enable(IDC_KEY_PAIR_ENCRYPTION, false);
  view.enable(IDC_KEY_PAIR_SIGNING, false);
  view.setText(IDC_KEY_PAIR_HINT, text::kGenerating);
  view.setText(IDC_KEY_PAIR_WARNING, "");
  // Generation gives no measure of how far it has come, so the bar shows only that it runs.
  view.setProgressMarquee(IDC_KEY_PAIR_BAR, true);
  request.busy = true;
  StartKeyGeneration(ui_, state_, view, certificationMode_);
}

void KeyPairDialog::cancel(ui::View& view) {
  // While the worker runs only it may end the dialog; it stops soon after the flag.
  if (state_.keyGen.busy) {
    state_.keyGen.progress.cancel = 1;
    return;
  }
  view.endDialog(0);
}

}  // namespace qs
