#pragma once
#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/ui.h"

namespace qs {

// The four commands of the main window. Each gathers what its operation needs (source,
// keys, target, message), asking and warning on the way, and then runs the operation under
// the progress dialog. A refused question or a cancelled dialog ends a command silently.
void EncryptCommand(ui::Ui& ui, AppState& state);
void DecryptCommand(ui::Ui& ui, AppState& state);
void SignCommand(ui::Ui& ui, AppState& state);
// Verification asks for the signature file last; one chosen already (a signature file the
// program was started with) is taken instead.
void VerifyCommand(ui::Ui& ui, AppState& state,
                   const std::optional<std::string>& chosenSignature = std::nullopt);

}  // namespace qs
