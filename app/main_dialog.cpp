#include "app/main_dialog.h"

#include "app/certify_dialog.h"
#include "app/file_commands.h"
#include "app/file_dialogs.h"
#include "app/file_names.h"
#include "app/info_dialogs.h"
#include "app/key_pair_commands.h"
#include "app/key_pair_dialog.h"
#include "app/personal_certificate_dialog.h"
#include "app/resource_ids.h"
#include "app/settings_dialog.h"
#include "app/trusted_keys_dialog.h"
#include "operations/output_names.h"
#include "platform/file.h"

namespace qs {
namespace {

int ButtonOf(FileVerb verb) {
  switch (verb) {
    case FileVerb::kEncrypt:
      return IDC_MAIN_ENCRYPT;
    case FileVerb::kDecrypt:
      return IDC_MAIN_DECRYPT;
    case FileVerb::kSign:
      return IDC_MAIN_SIGN;
    case FileVerb::kVerify:
      return IDC_MAIN_VERIFY;
  }
  return IDC_MAIN_VERIFY;
}

// The first of the names a signed file may have that is there.
std::optional<std::string> SignedFileBeside(const std::string& signature) {
  for (const std::string& name : SignedFileNames(signature)) {
    if (platform::FileExists(name)) return name;
  }
  return std::nullopt;
}

}  // namespace

void MainDialog::onInit(ui::View& view) {
  state_.mainWindow = &view;
  view.centreOnScreen();
  view.acceptDroppedFiles();
  view.setProgramIcon();
  // Posted, so that it runs once the window shows, as a drop and a click would.
  if (start_.file) ui_.post(view, [this, &view] { carryOutStartRequest(view); });
}

// The file as if dropped, then the verb's button as if pressed. A signature file to verify
// stands for the file it belongs to, which goes into the name field instead.
void MainDialog::carryOutStartRequest(ui::View& view) {
  if (start_.verb == FileVerb::kVerify && EndsWith(*start_.file, kSignatureSuffix)) {
    verifySignatureFile(view, *start_.file);
    return;
  }
  onFilesDropped(view, {*start_.file});
  if (start_.verb) onCommand(view, ButtonOf(*start_.verb));
}

// The signed file is found beside the signature by its name, or else asked for.
void MainDialog::verifySignatureFile(ui::View& view, const std::string& signature) {
  std::optional<std::string> signedFile = SignedFileBeside(signature);
  if (!signedFile) signedFile = ui_.openFile(&view, SignedFileDialog());
  if (!signedFile) return;
  view.setText(IDC_MAIN_FILE_NAME, CutAtControl(*signedFile));
  VerifyCommand(ui_, state_, signature);
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

// The menu's dialogs and commands.
void MainDialog::runMenuDialog(ui::View& view, int control) {
  switch (control) {
    case IDM_SETTINGS: {
      SettingsDialog settings(ui_, state_);
      ui_.runDialog(IDD_SETTINGS, settings, &view);
      break;
    }
    case IDM_CREATE_CERT_KEY_PAIR: {
      state_.keyGenCertificationMode = true;
      KeyPairDialog keyPair(ui_, state_);
      ui_.runDialog(IDD_KEY_PAIR, keyPair, &view);
      break;
    }
    case IDM_ENCRYPTION_INFO: {
      InfoDialog info(state_, IDC_ENCRYPTION_INFO_CLOSE);
      ui_.runDialog(IDD_ENCRYPTION_INFO, info, &view);
      break;
    }
    case IDM_ABOUT: {
      InfoDialog about(state_, IDC_ABOUT_OK);
      ui_.runDialog(IDD_ABOUT, about, &view);
      break;
    }
    case IDM_KEY_PAIR_INFO: {
      KeyPairInfoDialog keyPair(ui_, state_);
      ui_.runDialog(IDD_KEY_PAIR_INFO, keyPair, &view);
      break;
    }
    case IDM_EXPORT_PUBLIC_KEY:
      ExportPublicKeyCommand(ui_, state_, view);
      break;
    case IDM_BACKUP_KEY_PAIR:
      BackUpKeyPairCommand(ui_, state_, view);
      break;
    case IDM_CREATE_CERTIFICATE: {
      PersonalCertificateDialog certificate(ui_, state_);
      ui_.runDialog(IDD_CERTIFICATE, certificate, &view);
      break;
    }
    case IDM_CERTIFY: {
      CertifyDialog certify(ui_, state_);
      ui_.runDialog(IDD_CERTIFY, certify, &view);
      break;
    }
    case IDM_TRUSTED_KEYS: {
      TrustedKeysDialog trusted(ui_, state_);
      ui_.runDialog(IDD_TRUSTED_KEYS, trusted, &view);
      break;
    }
    default:
      break;
  }
}

}  // namespace qs
