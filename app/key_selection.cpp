#include "app/key_selection.h"

#include "app/approval_dialog.h"
#include "app/file_dialogs.h"
#include "app/resource_ids.h"
#include "keys/approval.h"
#include "keys/select_keys.h"
#include "operations/approval_rows.h"

namespace qs {

KeySelection SelectKeys(ui::Ui& ui, AppState& state, bool needsCertificate, const std::string& title,
                        ui::View* owner, SelectedKeys& keys) {
  keys = SelectedKeys();
  if (needsCertificate) {
    const std::optional<std::string> path = ui.openFile(owner, CertificateDialog(title));
    if (!path) return KeySelection::kCancelled;
    KeyResult<PeerCertificate> peer = CheckPeerCertificate(*path, state.workingFolder);
    if (!peer.ok()) {
      keys.failure = peer.status();
      return KeySelection::kFailed;
    }
    // The dialog shows the first certification's identity, and the holder chose the order.
    if (const std::string warning = ConflictWarning(peer.value.results); !warning.empty())
      ui.messageBox(owner, warning, ui::Buttons::kOk, ui::Icon::kWarning);
    ApprovalDialog approval(ui, state, peer.value);
    if (ui.runDialog(IDD_APPROVAL, approval, owner) == 0) return KeySelection::kCancelled;
    keys.peerPublicKey = std::move(peer.value.publicRecord);
  }
  KeyResult<OwnKeys> own = ReadOwnKeys(state.workingFolder);
  if (!own.ok()) {
    keys = SelectedKeys();
    keys.failure = own.status();
    return KeySelection::kFailed;
  }
  keys.ownPrivateKey = std::move(own.value.privateRecord);
  keys.keyName = std::move(own.value.keyName);
  return KeySelection::kSelected;
}

}  // namespace qs
