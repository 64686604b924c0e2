#include "app/certify_dialog.h"

#include "app/dialog_passphrases.h"
#include "app/file_dialogs.h"
#include "app/file_names.h"
#include "app/key_failure.h"
#include "app/resource_ids.h"
#include "app/texts.h"
#include "base/timestamp.h"
#include "keys/certify.h"
#include "keys/possession_proof.h"
#include "keys/record_text.h"
#include "operations/key_messages.h"
#include "platform/clock.h"

namespace qs {
namespace {

WideText Typed(const std::string& utf8) {
  std::u16string units = RecordText(utf8).units();
  if (units.size() > CertifyDialog::kMaxTyped) units.resize(CertifyDialog::kMaxTyped);
  return WideText(std::move(units));
}

}  // namespace

void CertifyDialog::onInit(ui::View& view) {
  view.centreOn(*state_.mainWindow);
  fields_.clear();
  view.setColumns(IDC_CERTIFY_FIELDS, {{text::kFieldNameColumn, 100}, {text::kFieldValueColumn, 350}}, {});
  view.enable(IDC_CERTIFY_REMOVE_FIELD, false);
}

void CertifyDialog::onCommand(ui::View& view, int control) {
  switch (control) {
    case IDC_CERTIFY_CHOOSE_PUBLIC_KEY:
      choose(view, IDC_CERTIFY_PUBLIC_KEY, PublicKeyOpenDialog());
      break;
    case IDC_CERTIFY_CHOOSE_CERT_KEY:
      choose(view, IDC_CERTIFY_CERT_KEY, PrivateCertKeyOpenDialog());
      break;
    case IDC_CERTIFY_ADD_FIELD:
      addField(view);
      break;
    case IDC_CERTIFY_REMOVE_FIELD:
      removeField(view);
      break;
    case IDC_CERTIFY_CREATE:
      certify(view);
      break;
    case IDC_CERTIFY_CLOSE:
      view.endDialog(1);
      break;
    default:
      break;
  }
}

void CertifyDialog::choose(ui::View& view, int edit, const ui::FileDialog& dialog) {
  const std::optional<std::string> path = ui_.openFile(&view, dialog);
  if (path) view.setText(edit, CutAtControl(*path));
}

void CertifyDialog::addField(ui::View& view) {
  const std::string name = view.text(IDC_CERTIFY_FIELD_NAME);
  const std::string value = view.text(IDC_CERTIFY_FIELD_VALUE);
  if (name.empty() || value.empty()) {
    tell(view, text::kNeedFieldNameAndValue);
    return;
  }
  fields_.push_back(DataField{Typed(name), Typed(value)});
  view.setText(IDC_CERTIFY_FIELD_NAME, "");
  view.setText(IDC_CERTIFY_FIELD_VALUE, "");
  showFields(view);
}

void CertifyDialog::removeField(ui::View& view) {
  const std::optional<int> row = view.selectedRow(IDC_CERTIFY_FIELDS);
  if (!row || *row < 0 || static_cast<std::size_t>(*row) >= fields_.size()) {
    tell(view, text::kNoFieldSelected);
    return;
  }
  fields_.erase(fields_.begin() + *row);
  showFields(view);
}

void CertifyDialog::showFields(ui::View& view) {
  view.clearRows(IDC_CERTIFY_FIELDS);
  for (const DataField& field : fields_) {
    view.addRow(IDC_CERTIFY_FIELDS, {DisplayText(field.name), DisplayText(field.value)}, -1);
  }
  view.enable(IDC_CERTIFY_REMOVE_FIELD, !fields_.empty());
}

void CertifyDialog::certify(ui::View& view) {
  const std::string publicKeyPath = CutAtControl(view.text(IDC_CERTIFY_PUBLIC_KEY));
  const std::string certKeyPath = CutAtControl(view.text(IDC_CERTIFY_CERT_KEY));
  DialogPassphrases passphrases(ui_, &view);
  const KeyResult<CertificationInputs> inputs = ReadCertificationInputs(
      publicKeyPath, certKeyPath, PossessionProofPath(publicKeyPath), fields_, &passphrases);
  if (!inputs.ok()) {
    if (!PassphraseWithheld(inputs.status())) tell(view, KeyFailureText(inputs.status()));
    return;
  }
  // Taken once: the confirmation shows the very value that is signed.
  const auto timestamp = static_cast<std::uint32_t>(platform::CalendarSeconds());
  CertifyConfirmDialog confirm(state_, timestamp, inputs.value.fingerprint);
  if (ui_.runDialog(IDD_CERTIFY_CONFIRM, confirm, &view) != 1) return;
  const KeyResult<NewCertification> certification =
      MakeCertification(state_.generator, inputs.value, fields_, timestamp, publicKeyPath);
  if (!certification.ok()) {
    tell(view, KeyFailureText(certification.status()));
    return;
  }
  const std::optional<std::string> path =
      ui_.saveFile(&view, CertificationSaveDialog(certification.value.suggestedName));
  if (!path) return;
  const KeyStatus written =
      WriteCertification(CutAtControl(*path), certification.value.record, publicKeyPath, certKeyPath);
  if (!written.ok()) {
    tell(view, KeyFailureText(written));
    return;
  }
  view.endDialog(1);
}

void CertifyDialog::tell(ui::View& view, const std::string& text) {
  ui_.messageBox(&view, text, ui::Buttons::kOk, ui::Icon::kError);
}

void CertifyConfirmDialog::onInit(ui::View& view) {
  view.centreOn(*state_.mainWindow);
  view.setText(IDC_CERTIFY_CONFIRM_TIMESTAMP, FormatTimestamp(timestamp_).str());
  view.setText(IDC_CERTIFY_CONFIRM_FINGERPRINT, HexString(fingerprint_));
}

void CertifyConfirmDialog::onCommand(ui::View& view, int control) {
  if (control == IDC_CERTIFY_CONFIRM_YES) view.endDialog(1);
  if (control == IDC_CERTIFY_CONFIRM_NO) view.endDialog(0);
}

}  // namespace qs
