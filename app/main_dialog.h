#pragma once
#include "app/app_state.h"
#include "app/command_line.h"
#include "app/mouse_entropy.h"

namespace qs {

// The main window (101, menu 103): the data file's name, the four file commands and the
// menu that opens every other dialog. Ends with 1, which ends the program. A start request
// from the command line is carried out once the window is open.
class MainDialog : public MouseFeedingController {
 public:
  MainDialog(ui::Ui& ui, AppState& state, StartRequest start = {})
      : MouseFeedingController(state.generator), ui_(ui), state_(state), start_(std::move(start)) {}

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { view.endDialog(1); }
  // Only "Avsluta" and the close button end the program.
  void onEscape(ui::View&) override {}
  void onFilesDropped(ui::View& view, const std::vector<std::string>& paths) override;

 private:
  void chooseFile(ui::View& view);
  void runMenuDialog(ui::View& view, int control);
  void carryOutStartRequest(ui::View& view);
  void verifySignatureFile(ui::View& view, const std::string& signature);

  ui::Ui& ui_;
  AppState& state_;
  StartRequest start_;
};

}  // namespace qs
