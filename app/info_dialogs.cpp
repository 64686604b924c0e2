#include "app/info_dialogs.h"

#include "app/key_pair_commands.h"
#include "app/key_pair_dialog.h"
#include "app/resource_ids.h"
#include "operations/key_pair_info.h"

namespace qs {

void KeyPairInfoDialog::onInit(ui::View& view) {
  view.centreOn(*state_.mainWindow);
  fill(view);
}

void KeyPairInfoDialog::onCommand(ui::View& view, int control) {
  switch (control) {
    case IDC_KEY_INFO_RESTORE: {
      const std::optional<platform::Overwrite> overwrite = ConfirmOverwriteKeyPair(ui_, state_, view);
      if (!overwrite) return;
      RestoreKeyPairCommand(ui_, state_, view, *overwrite);
      fill(view);
      break;
    }
    case IDC_KEY_INFO_CREATE: {
      const std::optional<platform::Overwrite> overwrite = ConfirmOverwriteKeyPair(ui_, state_, view);
      if (!overwrite) return;
      state_.keyGen.overwrite = *overwrite;
      state_.keyGenCertificationMode = false;
      KeyPairDialog keyPair(ui_, state_);
      ui_.runDialog(IDD_KEY_PAIR, keyPair, &view);
      fill(view);
      break;
    }
    case IDC_KEY_INFO_CLOSE:
      view.endDialog(1);
      break;
    default:
      break;
  }
}

// A field the stored pair gives no value for keeps what it showed.
void KeyPairInfoDialog::fill(ui::View& view) {
  const KeyPairInfo info = DescribeStoredKeyPair(state_.workingFolder);
  if (info.name) view.setText(IDC_KEY_INFO_NAME, *info.name);
  if (info.fingerprint) view.setText(IDC_KEY_INFO_FINGERPRINT, *info.fingerprint);
  if (info.encryptionAlgorithm) view.setText(IDC_KEY_INFO_ENCRYPTION, *info.encryptionAlgorithm);
  if (info.signingAlgorithm) view.setText(IDC_KEY_INFO_SIGNING, *info.signingAlgorithm);
}

}  // namespace qs
