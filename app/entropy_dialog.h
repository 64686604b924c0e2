#pragma once
#include "app/app_state.h"
#include "app/mouse_entropy.h"

namespace qs {

// "Slumptalsinsamling" (119), shown at start-up when no key pair is made and the generator
// has too little entropy: counts its credit up to 1024, then "Starta" saves a seed file and
// gives 1. "Avsluta" and closing give 0.
class EntropyDialog : public MouseFeedingController {
 public:
  explicit EntropyDialog(AppState& state) : MouseFeedingController(state.generator), state_(state) {}

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { view.endDialog(0); }
  void onMouseMove(ui::View& view, std::uint16_t x, std::uint16_t y) override;

 private:
  AppState& state_;
};

}  // namespace qs
