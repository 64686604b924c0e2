#include "app/signature_result_dialog.h"

#include "app/resource_ids.h"
#include "base/timestamp.h"
#include "keys/record_text.h"

namespace qs {

void SignatureResultDialog::onInit(ui::View& view) {
  view.centreOn(*state_.mainWindow);
  view.setText(IDC_RESULT_TIMESTAMP, FormatTimestamp(state_.verifyTimestamp).str());
  view.setText(IDC_RESULT_MESSAGE, DisplayText(state_.verifyMessage));
}

void SignatureResultDialog::onCommand(ui::View& view, int control) {
  if (control == IDC_RESULT_OK) view.endDialog(1);
}

}  // namespace qs
