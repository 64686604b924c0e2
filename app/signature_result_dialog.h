#pragma once
#include "app/app_state.h"
#include "app/mouse_entropy.h"

namespace qs {

// "Signatur" (118): the timestamp and message of the signature just verified.
class SignatureResultDialog : public MouseFeedingController {
 public:
  explicit SignatureResultDialog(AppState& state) : MouseFeedingController(state.generator), state_(state) {}

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { view.endDialog(0); }

 private:
  AppState& state_;
};

}  // namespace qs
