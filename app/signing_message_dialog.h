#pragma once
#include "app/app_state.h"
#include "app/mouse_entropy.h"

namespace qs {

// "Signering" (117): the optional message a signature carries. Result 1 with the message in
// the operation request, or 0 leaving the request as it was.
class SigningMessageDialog : public MouseFeedingController {
 public:
  // Characters kept of the message, as the record's text field allows.
  static constexpr std::uint32_t kMaxMessage = 4999;

  explicit SigningMessageDialog(AppState& state) : MouseFeedingController(state.generator), state_(state) {}

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { view.endDialog(0); }

 private:
  AppState& state_;
};

}  // namespace qs
