#include "app/passphrase_dialog.h"

#include "app/resource_ids.h"
#include "app/texts.h"
#include "base/secret_text.h"
#include "base/visible_text.h"
#include "operations/output_names.h"

namespace qs {

PassphraseDialog::~PassphraseDialog() { WipeText(passphrase_); }

void PassphraseDialog::onInit(ui::View& view) {
  if (owner_ != nullptr) {
    view.centreOn(*owner_);
  } else {
    view.centreOnScreen();
  }
  // The name alone: a full path would not fit the line, and the user just chose the file or
  // knows it as the program's own.
  view.setText(IDC_PASSPHRASE_PROMPT, text::kPassphrasePromptBefore + VisibleText(FileNamePart(file_)) +
                                          text::kPassphrasePromptAfter);
  view.setText(IDC_PASSPHRASE_WRONG, retry_ ? text::kWrongPassphrase : "");
  view.setText(IDC_PASSPHRASE_TEXT, "");
}

void PassphraseDialog::onCommand(ui::View& view, int control) {
  switch (control) {
    case IDC_PASSPHRASE_OK: {
      std::string typed = view.text(IDC_PASSPHRASE_TEXT);
      if (typed.empty()) return;
      WipeText(passphrase_);
      passphrase_.swap(typed);
      end(view, 1);
      break;
    }
    case IDC_PASSPHRASE_CANCEL:
      end(view, 0);
      break;
    default:
      break;
  }
}

void PassphraseDialog::end(ui::View& view, int result) {
  view.setText(IDC_PASSPHRASE_TEXT, "");
  view.endDialog(result);
}

}  // namespace qs
