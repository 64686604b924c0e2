#pragma once
#include "app/app_state.h"
#include "app/key_selection.h"
#include "app/ui.h"

namespace qs {

// Encryption's recipients, by state.settings. Lets the user choose one or more certificates
// in one open dialog; more recipients than a file takes (kMaxRecipients, the user's own key
// counted when the settings add it), or more than one for the OKI-format, is told and
// refused (kRefused) before any certificate is read. Then checks and approves each
// certificate in the order chosen as SelectKeys does one, stopping at the first that fails
// or is not approved; the first goes to peerPublicKey, the others to furtherRecipients.
// Last, reads the stored key pair.
KeySelection SelectRecipients(ui::Ui& ui, AppState& state, ui::View* owner, SelectedKeys& keys);

}  // namespace qs
