#include "app/dialog_passphrases.h"

#include "app/passphrase_dialog.h"
#include "app/resource_ids.h"

namespace qs {

std::optional<std::string> DialogPassphrases::passphrase(const std::string& file, bool retry) {
  if (!retry) {
    tries_ = 0;
  } else if (tries_ >= kTries) {
    return std::nullopt;
  }
  PassphraseDialog dialog(file, retry, owner_);
  if (ui_.runDialog(IDD_PASSPHRASE, dialog, owner_) != 1) return std::nullopt;
  ++tries_;
  return dialog.passphrase();
}

}  // namespace qs
