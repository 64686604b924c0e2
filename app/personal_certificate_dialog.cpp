#include "app/personal_certificate_dialog.h"

#include "app/file_dialogs.h"
#include "app/file_names.h"
#include "app/key_failure.h"
#include "app/resource_ids.h"
#include "operations/key_messages.h"

namespace qs {

void PersonalCertificateDialog::onInit(ui::View& view) {
  view.centreOn(*state_.mainWindow);
  pending_.clear();
  view.setColumns(IDC_CERTIFICATE_LIST, {{"Organisation", 200}, {"Nyckel-ID", 174}}, {});
  own_ = ReadStoredKeyPair(state_.workingFolder);
  view.enable(IDC_CERTIFICATE_ADD, own_.has_value());
  view.enable(IDC_CERTIFICATE_LIST, own_.has_value());
  view.enable(IDC_CERTIFICATE_CREATE, own_.has_value());
  view.enable(IDC_CERTIFICATE_REMOVE, false);
}

void PersonalCertificateDialog::onCommand(ui::View& view, int control) {
  switch (control) {
    case IDC_CERTIFICATE_ADD:
      add(view);
      break;
    case IDC_CERTIFICATE_REMOVE:
      remove(view);
      break;
    case IDC_CERTIFICATE_CREATE:
      create(view);
      break;
    case IDC_CERTIFICATE_CLOSE:
      view.endDialog(1);
      break;
    default:
      break;
  }
}

void PersonalCertificateDialog::add(ui::View& view) {
  const std::optional<std::string> path = ui_.openFile(&view, CertificationOpenDialog());
  if (!path) return;
  const KeyStatus added = pending_.add(CutAtControl(*path));
  if (!added.ok()) {
    tell(view, added);
    return;
  }
  showPending(view);
}

void PersonalCertificateDialog::remove(ui::View& view) {
  const std::optional<int> row = view.selectedRow(IDC_CERTIFICATE_LIST);
  std::optional<std::size_t> entry;
  if (row && *row >= 0) entry = static_cast<std::size_t>(*row);
  const KeyOutcome removed = pending_.remove(entry);
  if (removed != KeyOutcome::kOk) {
    tell(view, removed);
    return;
  }
  showPending(view);
}

void PersonalCertificateDialog::create(ui::View& view) {
  if (!own_) return;
  const KeyResult<PersonalCertificate> certificate = MakePersonalCertificate(*own_, pending_);
  if (!certificate.ok()) {
    tell(view, certificate.status());
    return;
  }
  const std::optional<std::string> path =
      ui_.saveFile(&view, CertificateSaveDialog(certificate.value.suggestedName));
  if (!path) return;
  const KeyStatus written =
      WritePersonalCertificate(state_.workingFolder, CutAtControl(*path), certificate.value.record, pending_);
  if (!written.ok()) {
    tell(view, written);
    return;
  }
  view.endDialog(1);
}

void PersonalCertificateDialog::showPending(ui::View& view) {
  view.clearRows(IDC_CERTIFICATE_LIST);
  for (const PendingCertifications::Row& row : pending_.rows()) {
    view.addRow(IDC_CERTIFICATE_LIST, {row.organisation, row.keyId}, -1);
  }
  view.enable(IDC_CERTIFICATE_REMOVE, !pending_.empty());
}

void PersonalCertificateDialog::tell(ui::View& view, const KeyStatus& status) {
  ui_.messageBox(&view, KeyFailureText(status), ui::Buttons::kOk, ui::Icon::kError);
}

}  // namespace qs
