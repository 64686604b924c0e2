#include "app/main_dialog.h"

#include "app/file_commands.h"
#include "app/file_dialogs.h"
#include "app/file_names.h"
#include "app/key_pair_dialog.h"
#include "app/resource_ids.h"
#include "app/settings_dialog.h"

namespace qs {

void MainDialog::onInit(ui::View& view) {
  state_.mainWindow = &view;
  view.centreOnScreen();
  view.acceptDroppedFiles();
  view.setProgramIcon();
}

void MainDialog::onFilesDropped(ui::View& view, const std::vector<std::string>& paths) {
  if (!paths.empty()) view.setText(IDC_MAIN_FILE_NAME, paths.front());
}

void MainDialog::onCommand(ui::View& view, int control) {
  switch (control) {
    case IDC_MAIN_CHOOSE_FILE:
      chooseFile(view);
      break;
    case IDC_MAIN_ENCRYPT:
      EncryptCommand(ui_, state_);
      break;
    case IDC_MAIN_DECRYPT:
      DecryptCommand(ui_, state_);
      break;
    case IDC_MAIN_SIGN:
      SignCommand(ui_, state_);
      break;
    case IDC_MAIN_VERIFY:
      VerifyCommand(ui_, state_);
      break;
    case IDC_MAIN_QUIT:
    case IDM_QUIT:
      view.endDialog(1);
      break;
    default:
      runMenuDialog(view, control);
      break;
  }
}

void MainDialog::chooseFile(ui::View& view) {
  const std::optional<std::string> path = ui_.openFile(&view, ChooseSourceDialog());
  if (path) view.setText(IDC_MAIN_FILE_NAME, CutAtControl(*path));
}

// The menu's dialogs. Key-pair information, backup, the personal certificate, the public-key
// export, trusted keys, certification, encryption information and About have their menu
// entries already; their dialogs join this switch as they are built.
void MainDialog::runMenuDialog(ui::View& view, int control) {
  switch (control) {
    case IDM_SETTINGS: {
      SettingsDialog settings(state_);
      ui_.runDialog(IDD_SETTINGS, settings, &view);
      break;
    }
    case IDM_CREATE_CERT_KEY_PAIR: {
      state_.keyGenCertificationMode = true;
      KeyPairDialog keyPair(ui_, state_);
      ui_.runDialog(IDD_KEY_PAIR, keyPair, &view);
      break;
    }
    default:
      break;
  }
}

}  // namespace qs
