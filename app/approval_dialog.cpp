#include "app/approval_dialog.h"

#include "app/resource_ids.h"
#include "app/texts.h"
#include "keys/approval.h"
#include "keys/record_text.h"
#include "operations/approval_rows.h"
#include "operations/key_messages.h"

namespace qs {
namespace {

constexpr int kVerifiedIcon = 0;
constexpr int kUntrustedIcon = 1;

}  // namespace

void ApprovalDialog::onInit(ui::View& view) {
  view.centreOn(*state_.mainWindow);
  view.setColumns(IDC_APPROVAL_CERTIFICATIONS,
                  {{text::kOrganisationColumn, 125},
                   {text::kKeyIdColumn, 115},
                   {text::kStatusColumn, 160},
                   {text::kTimestampColumn, 100}},
                  {IDI_KEY_FOUND, IDI_KEY_MISSING});
  for (const CertificationResult& result : peer_.results) {
    const ApprovalRow row = DescribeCertification(result);
    view.addRow(IDC_APPROVAL_CERTIFICATIONS, {row.organisation, row.keyId, row.status, row.timestamp},
                row.verified ? kVerifiedIcon : kUntrustedIcon);
  }
  if (!peer_.results.empty()) view.selectRow(IDC_APPROVAL_CERTIFICATIONS, 0);
  view.setColumns(IDC_APPROVAL_FIELDS, {{text::kFieldNameColumn, 100}, {text::kFieldValueColumn, 400}}, {});
  showIdentity(view);
  view.setText(IDC_APPROVAL_FINGERPRINT, HexString(peer_.fingerprint));
}

void ApprovalDialog::onCommand(ui::View& view, int control) {
  switch (control) {
    case IDC_APPROVAL_YES:
      view.endDialog(1);
      break;
    case IDC_APPROVAL_NO:
      ui_.messageBox(&view, key_text::kUntrustedCertificateWarning, ui::Buttons::kOk, ui::Icon::kWarning);
      view.endDialog(0);
      break;
    default:
      break;
  }
}

void ApprovalDialog::onSelectionChanged(ui::View& view, int control) {
  if (control == IDC_APPROVAL_CERTIFICATIONS) showIdentity(view);
}

void ApprovalDialog::showIdentity(ui::View& view) {
  view.clearRows(IDC_APPROVAL_FIELDS);
  const std::optional<int> row = view.selectedRow(IDC_APPROVAL_CERTIFICATIONS);
  std::optional<VerifiedIdentity> identity;
  if (row && *row >= 0 && static_cast<std::size_t>(*row) < peer_.results.size()) {
    identity = VerifiedIdentityOf(peer_.results[static_cast<std::size_t>(*row)]);
  }
  view.setText(IDC_APPROVAL_ORGANISATION, identity ? identity->organisation : "");
  view.setText(IDC_APPROVAL_KEY_ID, identity ? identity->keyId : "");
  if (!identity) return;
  for (const auto& [name, value] : identity->fields) view.addRow(IDC_APPROVAL_FIELDS, {name, value}, -1);
}

}  // namespace qs
