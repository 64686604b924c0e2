#pragma once
#include <windows.h>

#include "app/ui.h"

namespace qs::win32 {

// The port on real Win32: dialogs from the program's resources run by one generic dialog
// procedure, message boxes, the common file dialogs, and worker threads that hand their
// results to a dialog through its message queue.
class Win32Ui : public ui::Ui {
 public:
  explicit Win32Ui(HINSTANCE instance) : instance_(instance) {}

  int runDialog(int resource, ui::Controller& controller, ui::View* parent) override;
  ui::Answer messageBox(ui::View* owner, const std::string& text, ui::Buttons buttons,
                        ui::Icon icon) override;
  std::optional<std::string> openFile(ui::View* owner, const ui::FileDialog& dialog) override;
  std::optional<std::vector<std::string>> openFiles(ui::View* owner, const ui::FileDialog& dialog) override;
  std::optional<std::string> saveFile(ui::View* owner, const ui::FileDialog& dialog) override;
  void startWorker(std::function<void()> work) override;
  void pause(unsigned milliseconds) override { Sleep(milliseconds); }
  void post(ui::View& dialog, std::function<void()> task) override;

 private:
  HINSTANCE instance_;
};

// The window behind a view of this port, or none.
HWND WindowOf(const ui::View* view);

}  // namespace qs::win32
