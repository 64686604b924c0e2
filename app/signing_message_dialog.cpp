#include "app/signing_message_dialog.h"

#include "app/resource_ids.h"
#include "keys/record_text.h"

namespace qs {

void SigningMessageDialog::onInit(ui::View& view) {
  view.centreOn(*state_.mainWindow);
  view.enable(IDC_SIGNING_MESSAGE, false);
}

void SigningMessageDialog::onCommand(ui::View& view, int control) {
  switch (control) {
    case IDC_SIGNING_WITH_MESSAGE:
      view.enable(IDC_SIGNING_MESSAGE, view.isChecked(IDC_SIGNING_WITH_MESSAGE));
      break;
    case IDC_SIGNING_CONTINUE:
      // A line break becomes two spaces, as every control byte of a stored text does.
      state_.operation.signMessage = TextString();
      if (view.isChecked(IDC_SIGNING_WITH_MESSAGE)) {
        TextString message = KeyNameText(view.text(IDC_SIGNING_MESSAGE));
        if (message.characterCount() > kMaxMessage) message.dropLast(message.characterCount() - kMaxMessage);
        state_.operation.signMessage = message;
      }
      view.endDialog(1);
      break;
    case IDC_SIGNING_CANCEL:
      view.endDialog(0);
      break;
    default:
      break;
  }
}

}  // namespace qs
