#pragma once
#include "app/app_state.h"
#include "app/mouse_entropy.h"

namespace qs {

// A dialog whose texts all live in its resource: "Kryptering" (114) and About (111). Its
// button and the close button end it with 1.
class InfoDialog : public MouseFeedingController {
 public:
  InfoDialog(AppState& state, int closeButton)
      : MouseFeedingController(state.generator), state_(state), closeButton_(closeButton) {}

  void onInit(ui::View& view) override { view.centreOn(*state_.mainWindow); }
  void onCommand(ui::View& view, int control) override {
    if (control == closeButton_) view.endDialog(1);
  }
  void onClose(ui::View& view) override { view.endDialog(1); }

 private:
  AppState& state_;
  int closeButton_;
};

// "Nyckelpar" (104): the stored key pair's name, algorithms and fingerprint, with restoring
// a backup and creating a new pair, each after the question before overwriting. Ends with 1.
class KeyPairInfoDialog : public MouseFeedingController {
 public:
  KeyPairInfoDialog(ui::Ui& ui, AppState& state)
      : MouseFeedingController(state.generator), ui_(ui), state_(state) {}

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { view.endDialog(1); }

 private:
  void fill(ui::View& view);

  ui::Ui& ui_;
  AppState& state_;
};

}  // namespace qs
