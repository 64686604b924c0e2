#pragma once
#include <cstddef>

#include "app/app_state.h"
#include "app/key_selection.h"
#include "app/ui.h"

namespace qs {

// The most recipients one encrypted file is made for, the user counted when the settings
// add them.
inline constexpr std::size_t kMaxRecipients = 64;

// Encryption's recipients, by state.settings. Lets the user choose one or more certificates
// in one open dialog; too many recipients, or more than one for the OKI-format, is told and
// refused (kRefused) before any certificate is read. Then checks and approves each
// certificate in the order chosen as SelectKeys does one, stopping at the first that fails
// or is not approved; the first goes to peerPublicKey, the others to furtherRecipients.
// Last, reads the stored key pair and, when the settings ask for it, adds its public record
// to furtherRecipients.
KeySelection SelectRecipients(ui::Ui& ui, AppState& state, ui::View* owner, SelectedKeys& keys);

}  // namespace qs
