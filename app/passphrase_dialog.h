#pragma once
#include <string>
#include <utility>

#include "app/ui.h"

namespace qs {

// "Lösenfras" (127): the passphrase of one locked key file. Result 1 with what was typed in
// passphrase(), 0 on "Avbryt", Escape or close. OK with nothing typed does nothing. The edit
// field is emptied before the dialog ends, whatever ends it.
class PassphraseDialog : public ui::Controller {
 public:
  // file: the key file's path, named in the prompt; retry: after a wrong passphrase, which
  // the dialog says. owner, when given, is the window it is centred on.
  PassphraseDialog(std::string file, bool retry, const ui::View* owner)
      : file_(std::move(file)), retry_(retry), owner_(owner) {}
  ~PassphraseDialog() override;
  PassphraseDialog(const PassphraseDialog&) = delete;
  PassphraseDialog& operator=(const PassphraseDialog&) = delete;

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { end(view, 0); }

  // What was typed, after result 1; wiped with the dialog.
  const std::string& passphrase() const { return passphrase_; }

 private:
  void end(ui::View& view, int result);

  std::string file_;
  bool retry_;
  const ui::View* owner_;
  std::string passphrase_;
};

}  // namespace qs
