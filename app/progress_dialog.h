#pragma once
#include <string>

#include "app/app_state.h"
#include "app/ui.h"
#include "operations/file_operation.h"

namespace qs {

// The progress dialog (113): runs the request in AppState on a worker thread, shows
// its progress every 100 ms and passes "Avbryt" on as the pipelines' cancel flags. Only the
// worker's result ends it. Pointer movement over it feeds nothing: the worker may be drawing
// from the generator.
class ProgressDialog : public ui::Controller {
 public:
  ProgressDialog(ui::Ui& ui, AppState& state) : ui_(ui), state_(state) {}

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { cancel(view); }
  void onTimer(ui::View& view) override;

  // What to tell the user once the dialog has closed, as an error or a warning about a
  // result; empty: nothing.
  const std::string& message() const { return message_; }
  const std::string& warning() const { return warning_; }

 private:
  void cancel(ui::View& view);
  // Runs on the user-interface thread when the worker is done.
  void finish(ui::View& view, const OperationResult& result);

  ui::Ui& ui_;
  AppState& state_;
  std::string message_;
  std::string warning_;
};

// Runs the operation in AppState under the progress dialog, then shows its message with the
// main window as owner and drops the keys from the request.
void RunOperationDialog(ui::Ui& ui, AppState& state);

}  // namespace qs
