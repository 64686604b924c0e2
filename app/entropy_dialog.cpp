#include "app/entropy_dialog.h"

#include <string>

#include "app/resource_ids.h"
#include "app/texts.h"

namespace qs {

void EntropyDialog::onInit(ui::View& view) {
  view.centreOnScreen();
  view.setProgramIcon();
  view.enable(IDC_ENTROPY_START, false);
  view.setText(IDC_ENTROPY_COUNTER, std::to_string(generator_.credit()) + text::kCounterSuffix);
}

void EntropyDialog::onMouseMove(ui::View& view, std::uint16_t x, std::uint16_t y) {
  MouseFeedingController::onMouseMove(view, x, y);
  const std::uint32_t credit = generator_.credit();
  if (credit < RandomGenerator::kRequiredCredit) {
    view.setText(IDC_ENTROPY_COUNTER, std::to_string(credit) + text::kCounterSuffix);
  } else {
    view.enable(IDC_ENTROPY_START, true);
    view.setText(IDC_ENTROPY_COUNTER, "");
  }
}

void EntropyDialog::onCommand(ui::View& view, int control) {
  if (control == IDC_ENTROPY_START) {
    generator_.writeSeedFile(state_.file(kSeedFileName));
    view.endDialog(1);
  }
  if (control == IDC_ENTROPY_QUIT) view.endDialog(0);
}

}  // namespace qs
