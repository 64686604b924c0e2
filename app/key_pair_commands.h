#pragma once
#include <optional>

#include "app/app_state.h"
#include "app/ui.h"

namespace qs {

// Menu commands on the stored key pair that need no dialog of their own. Every message is
// owned by the window given.

// "Spara publik nyckel för certifiering...": the stored "PublicKey" record to a
// ".public_key" file, suggested under the key's name, with its proof of possession beside it
// (nothing without the generator's credit).
void ExportPublicKeyCommand(ui::Ui& ui, const AppState& state, ui::View& owner);

// "Säkerhetskopiera nyckelpar...": priv_key.bin to a ".key_backup" file named after the
// fingerprint, after a warning that the copy holds the private keys in plain.
void BackUpKeyPairCommand(ui::Ui& ui, const AppState& state, ui::View& owner);

// Before the stored key pair is replaced: nothing when one can be read and the user does not
// want it overwritten; else what the write may do when it comes: replace the one the user
// agreed to, or, when none was stored, none that another program stores meanwhile.
std::optional<platform::Overwrite> ConfirmOverwriteKeyPair(ui::Ui& ui, const AppState& state,
                                                           ui::View& owner);

// Replaces priv_key.bin with a chosen ".key_backup" file once it proves to hold a key pair
// whose keys work.
void RestoreKeyPairCommand(ui::Ui& ui, const AppState& state, ui::View& owner, platform::Overwrite overwrite);

}  // namespace qs
