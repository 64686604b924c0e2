#include "app/key_selection.h"

#include "app/approval_dialog.h"
#include "app/file_dialogs.h"
#include "app/resource_ids.h"
#include "keys/approval.h"
#include "keys/select_keys.h"

namespace qs {

KeySelection SelectKeys(ui::Ui& ui, AppState& state, bool needsCertificate, const std::string& title,
                        ui::View* owner, SelectedKeys& keys) {
  keys = SelectedKeys();
  if (needsCertificate) {
    const std::optional<std::string> path = ui.openFile(owner, CertificateDialog(title));
    if (!path) return KeySelection::kCancelled;
    std::optional<PeerCertificate> peer = CheckPeerCertificate(*path, state.workingFolder);
    if (!peer) return KeySelection::kFailed;
    // The dialog shows the first certification's identity, and the holder chose the order.
    if (const std::string warning = ConflictWarning(peer->results); !warning.empty())
      ui.messageBox(owner, warning, ui::Buttons::kOk, ui::Icon::kWarning);
    ApprovalDialog approval(ui, state, *peer);
    if (ui.runDialog(IDD_APPROVAL, approval, owner) == 0) return KeySelection::kCancelled;
    keys.peerPublicKey = std::move(peer->publicRecord);
  }
  std::optional<OwnKeys> own = ReadOwnKeys(state.workingFolder);
  if (!own) {
    keys = SelectedKeys();
    return KeySelection::kFailed;
  }
  keys.ownPrivateKey = std::move(own->privateRecord);
  keys.keyName = std::move(own->keyName);
  return KeySelection::kSelected;
}

}  // namespace qs
