#include "app/trusted_keys_dialog.h"

#include "app/file_dialogs.h"
#include "app/file_names.h"
#include "app/key_failure.h"
#include "app/resource_ids.h"
#include "keys/record_text.h"
#include "operations/key_messages.h"

namespace qs {

void TrustedKeysDialog::onInit(ui::View& view) {
  view.centreOn(*state_.mainWindow);
  view.setColumns(IDC_TRUSTED_LIST,
                  {{"Organisation", 150}, {"Typ", 75}, {"Key-ID", 125}, {"Fingerprint", 425}}, {});
  fill(view);
}

void TrustedKeysDialog::onCommand(ui::View& view, int control) {
  switch (control) {
    case IDC_TRUSTED_ADD:
      add(view);
      break;
    case IDC_TRUSTED_REMOVE:
      remove(view);
      break;
    case IDC_TRUSTED_CLOSE:
      view.endDialog(1);
      break;
    default:
      break;
  }
}

void TrustedKeysDialog::fill(ui::View& view) {
  view.clearRows(IDC_TRUSTED_LIST);
  TrustedKeyListing listing = ListTrustedKeys(state_.workingFolder);
  // Rows and unreadable entries together are the file's entries; each is met in file order,
  // so a message comes between the rows of the entries around it.
  const std::size_t entries = listing.rows.size() + listing.unreadable.size();
  auto row = listing.rows.cbegin();
  for (std::size_t entry = 0; entry < entries; ++entry) {
    if (row != listing.rows.cend() && row->entry == entry) {
      view.addRow(IDC_TRUSTED_LIST,
                  {row->organisation, KeyTypeName(row->keyType), row->keyId, row->fingerprint}, -1);
      ++row;
    } else {
      tell(view, KeyOutcome::kStoredTrustedKeyUnreadable);
    }
  }
  rows_ = std::move(listing.rows);
  view.enable(IDC_TRUSTED_REMOVE, listing.canRemove);
}

void TrustedKeysDialog::add(ui::View& view) {
  const std::optional<std::string> path = ui_.openFile(&view, TrustedKeyFileDialog());
  if (!path) return;
  const KeyResult<TrustedKeyCandidate> candidate = ReadTrustedKeyCandidate(CutAtControl(*path));
  if (!candidate.ok()) {
    tell(view, candidate.status());
    return;
  }
  // Told before the confirmation, so the user can tell the keys apart by their fingerprints.
  if (const std::optional<std::string> warning = SharedKeyIdWarningFor(state_.workingFolder, candidate.value))
    ui_.messageBox(&view, *warning, ui::Buttons::kOk, ui::Icon::kWarning);
  TrustConfirmDialog confirm(state_, candidate.value);
  if (ui_.runDialog(IDD_TRUST_CONFIRM, confirm, &view) != 1) return;
  const KeyStatus added = AddTrustedKey(state_.workingFolder, candidate.value.record);
  if (!added.ok()) tell(view, added);
  fill(view);
}

void TrustedKeysDialog::remove(ui::View& view) {
  // A row names its entry, so a row after an unreadable entry still removes its own.
  const std::optional<int> row = view.selectedRow(IDC_TRUSTED_LIST);
  if (!row || *row < 0 || static_cast<std::size_t>(*row) >= rows_.size()) {
    tell(view, KeyOutcome::kNoTrustedKeySelected);
    return;
  }
  if (ui_.messageBox(&view, key_text::kRemoveTrustedKeyQuestion, ui::Buttons::kYesNo, ui::Icon::kQuestion) !=
      ui::Answer::kYes)
    return;
  const KeyStatus removed = RemoveTrustedKey(state_.workingFolder, &rows_[static_cast<std::size_t>(*row)]);
  if (!removed.ok()) {
    tell(view, removed);
    return;
  }
  fill(view);
}

void TrustedKeysDialog::tell(ui::View& view, const KeyStatus& status) {
  ui_.messageBox(&view, KeyFailureText(status), ui::Buttons::kOk, ui::Icon::kError);
}

void TrustConfirmDialog::onInit(ui::View& view) {
  view.centreOn(*state_.mainWindow);
  view.setText(IDC_TRUST_ORGANISATION, DisplayText(candidate_.header.organisation));
  view.setText(IDC_TRUST_KEY_ID, HexString(candidate_.header.keyId));
  view.setText(IDC_TRUST_FINGERPRINT, HexString(candidate_.fingerprint));
}

void TrustConfirmDialog::onCommand(ui::View& view, int control) {
  if (control == IDC_TRUST_YES) view.endDialog(1);
  if (control == IDC_TRUST_NO) view.endDialog(0);
}

}  // namespace qs
