#include "app/settings_dialog.h"

#include "app/resource_ids.h"

namespace qs {

void SettingsDialog::onInit(ui::View& view) {
  view.centreOn(*state_.mainWindow);
  state_.settings = ReadSettings(state_.workingFolder);
  const bool oki = state_.settings.fileFormat == Settings::kOki;
  view.check(IDC_SETTINGS_OKI, oki);
  view.check(IDC_SETTINGS_NATIVE, !oki);
  // Compression applies to the native format only, but its mark is kept under OKI-format.
  view.enable(IDC_SETTINGS_COMPRESSION, !oki);
  view.check(IDC_SETTINGS_COMPRESSION, state_.settings.compression == 1);
  view.check(IDC_SETTINGS_ENCRYPT_TO_SELF, state_.settings.encryptToSelf == 1);
}

void SettingsDialog::onCommand(ui::View& view, int control) {
  switch (control) {
    case IDC_SETTINGS_NATIVE:
      view.enable(IDC_SETTINGS_COMPRESSION, true);
      break;
    case IDC_SETTINGS_OKI:
      view.enable(IDC_SETTINGS_COMPRESSION, false);
      break;
    case IDC_SETTINGS_OK: {
      state_.settings.fileFormat = view.isChecked(IDC_SETTINGS_OKI) ? Settings::kOki : Settings::kQuillseal;
      state_.settings.compression = view.isChecked(IDC_SETTINGS_COMPRESSION) ? 1 : 0;
      state_.settings.encryptToSelf = view.isChecked(IDC_SETTINGS_ENCRYPT_TO_SELF) ? 1 : 0;
      // Closing as if saved would let the next encryption use the old settings unannounced,
      // so a failure is told and the dialog stays open for another try or "Avbryt".
      const SettingsOutcome saved = WriteSettings(state_.workingFolder, state_.settings);
      if (saved != SettingsOutcome::kSaved) {
        ui_.messageBox(&view, MessageText(saved), ui::Buttons::kOk, ui::Icon::kError);
        break;
      }
      view.endDialog(1);
      break;
    }
    case IDC_SETTINGS_CANCEL:
      view.endDialog(0);
      break;
    default:
      break;
  }
}

}  // namespace qs
