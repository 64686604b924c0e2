#pragma once
#include <cstdint>

#include "app/app_state.h"
#include "app/mouse_entropy.h"

namespace qs {

// "Skapa nytt nyckelpar" (109): collects 1024 mouse movements, then creates the user's key
// pair, or in certification mode a certification key pair, on a worker thread. Ends with 1
// once the keys are saved, 0 after a failure, a cancel or a declined save dialog.
class KeyPairDialog : public MouseFeedingController {
 public:
  // Mouse movements the dialog waits for before creation may start.
  static constexpr std::uint32_t kMovesWanted = 1024;
  // Characters kept of the name.
  static constexpr std::uint32_t kMaxName = 2047;

  KeyPairDialog(ui::Ui& ui, AppState& state)
      : MouseFeedingController(state.generator), ui_(ui), state_(state) {}

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { cancel(view); }
  void onMouseMove(ui::View& view, std::uint16_t x, std::uint16_t y) override;

 private:
  void create(ui::View& view);
  void cancel(ui::View& view);

  ui::Ui& ui_;
  AppState& state_;
  bool certificationMode_ = false;
  // Mouse-move messages seen, also those the generator ignored as repeats; stops at 1025.
  std::uint32_t moves_ = 0;
};

}  // namespace qs
