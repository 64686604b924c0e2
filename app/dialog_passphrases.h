#pragma once
#include <optional>
#include <string>

#include "app/ui.h"
#include "keys/key_unlock.h"

namespace qs {

// The passphrases of one GUI command's locked keys, each asked in the passphrase dialog
// (127) owned by the command's window. Cancelling gives none, and so does a key after
// kTries wrong passphrases; the keys layer then tells the first apart from the second
// (kPassphraseNotGiven, which the GUI does not report, against kWrongPassphrase).
class DialogPassphrases final : public PassphraseSource {
 public:
  static constexpr int kTries = 5;

  // owner may be null: no owner.
  DialogPassphrases(ui::Ui& ui, ui::View* owner) : ui_(ui), owner_(owner) {}

  std::optional<std::string> passphrase(const std::string& file, bool retry) override;

 private:
  ui::Ui& ui_;
  ui::View* owner_;
  int tries_ = 0;  // for the current file
};

}  // namespace qs
