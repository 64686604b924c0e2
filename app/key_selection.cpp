#include "app/key_selection.h"

#include "app/approval_dialog.h"
#include "app/dialog_passphrases.h"
#include "app/file_dialogs.h"
#include "app/key_failure.h"
#include "app/resource_ids.h"
#include "keys/approval.h"
#include "keys/select_keys.h"
#include "operations/approval_rows.h"

namespace qs {

KeySelection SelectKeys(ui::Ui& ui, AppState& state, KeyNeeds needs, const std::string& title,
                        ui::View* owner, SelectedKeys& keys) {
  keys = SelectedKeys();
  if (needs != KeyNeeds::kOwn) {
    const std::optional<std::string> path = ui.openFile(owner, CertificateDialog(title));
    if (!path) return KeySelection::kCancelled;
    const KeySelection approved =
        ApproveCertificate(ui, state, *path, owner, keys.peerPublicKey, keys.failure);
    if (approved != KeySelection::kSelected) return approved;
  }
  if (needs == KeyNeeds::kPeer) return KeySelection::kSelected;
  return ReadOwnKeyPair(ui, state, owner, keys);
}

KeySelection ApproveCertificate(ui::Ui& ui, AppState& state, const std::string& path, ui::View* owner,
                                ByteBuffer& publicRecord, KeyStatus& failure) {
  KeyResult<PeerCertificate> peer = CheckPeerCertificate(path, state.workingFolder);
  if (!peer.ok()) {
    failure = peer.status();
    return KeySelection::kFailed;
  }
  // The dialog shows the first certification's identity, and the holder chose the order.
  if (const std::string warning = ConflictWarning(peer.value.results); !warning.empty())
    ui.messageBox(owner, warning, ui::Buttons::kOk, ui::Icon::kWarning);
  ApprovalDialog approval(ui, state, peer.value);
  if (ui.runDialog(IDD_APPROVAL, approval, owner) == 0) return KeySelection::kCancelled;
  publicRecord = std::move(peer.value.publicRecord);
  return KeySelection::kSelected;
}

KeySelection ReadOwnKeyPair(ui::Ui& ui, AppState& state, ui::View* owner, SelectedKeys& keys) {
  DialogPassphrases passphrases(ui, owner);
  KeyResult<OwnKeys> own = ReadOwnKeys(state.workingFolder, &passphrases);
  if (!own.ok()) {
    keys = SelectedKeys();
    keys.failure = own.status();
    return PassphraseWithheld(keys.failure) ? KeySelection::kCancelled : KeySelection::kFailed;
  }
  keys.ownPrivateKey = std::move(own.value.privateRecord);
  keys.keyName = std::move(own.value.keyName);
  return KeySelection::kSelected;
}

}  // namespace qs
