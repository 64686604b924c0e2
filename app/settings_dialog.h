#pragma once
#include "app/app_state.h"
#include "app/mouse_entropy.h"
#include "app/ui.h"

namespace qs {

// "Inställningar" (116): the encryption format, compression and whether to encrypt for the
// user's own key too, kept in config.bin. A save that fails is told, and the dialog stays
// open.
class SettingsDialog : public MouseFeedingController {
 public:
  SettingsDialog(ui::Ui& ui, AppState& state)
      : MouseFeedingController(state.generator), ui_(ui), state_(state) {}

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { view.endDialog(0); }

 private:
  ui::Ui& ui_;
  AppState& state_;
};

}  // namespace qs
