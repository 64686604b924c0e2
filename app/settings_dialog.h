#pragma once
#include "app/app_state.h"
#include "app/mouse_entropy.h"

namespace qs {

// "Inställningar" (116): the encryption format and compression, kept in config.bin.
class SettingsDialog : public MouseFeedingController {
 public:
  explicit SettingsDialog(AppState& state) : MouseFeedingController(state.generator), state_(state) {}

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { view.endDialog(0); }

 private:
  AppState& state_;
};

}  // namespace qs
