#include "app/win32/win32_ui.h"

#include <thread>

#include "app/win32/dialog_host.h"
#include "app/win32/file_dialogs_win32.h"
#include "app/win32/win32_view.h"
#include "platform/widen_win32.h"

namespace qs::win32 {

HWND WindowOf(const ui::View* view) {
  return view == nullptr ? nullptr : static_cast<const Win32View*>(view)->window();
}

int Win32Ui::runDialog(int resource, ui::Controller& controller, ui::View* parent) {
  DialogHost host(instance_, controller);
  const INT_PTR result = DialogBoxParamW(instance_, MAKEINTRESOURCEW(resource), WindowOf(parent),
                                         DialogProcedure, reinterpret_cast<LPARAM>(&host));
  return result < 0 ? 0 : static_cast<int>(result);
}

ui::Answer Win32Ui::messageBox(ui::View* owner, const std::string& text, ui::Buttons buttons, ui::Icon icon) {
  UINT style = buttons == ui::Buttons::kYesNo ? MB_YESNO : MB_OK;
  switch (icon) {
    case ui::Icon::kError:
      style |= MB_ICONERROR;
      break;
    case ui::Icon::kWarning:
      style |= MB_ICONWARNING;
      break;
    case ui::Icon::kQuestion:
      style |= MB_ICONQUESTION;
      break;
    case ui::Icon::kInformation:
      style |= MB_ICONINFORMATION;
      break;
  }
  const int answer = MessageBoxW(WindowOf(owner), platform::Widen(text).c_str(), L"Quillseal", style);
  if (answer == IDYES) return ui::Answer::kYes;
  return buttons == ui::Buttons::kYesNo ? ui::Answer::kNo : ui::Answer::kOk;
}

std::optional<std::string> Win32Ui::openFile(ui::View* owner, const ui::FileDialog& dialog) {
  return RunFileDialog(WindowOf(owner), dialog, false);
}

std::optional<std::vector<std::string>> Win32Ui::openFiles(ui::View* owner, const ui::FileDialog& dialog) {
  return RunSeveralFileDialog(WindowOf(owner), dialog);
}

std::optional<std::string> Win32Ui::saveFile(ui::View* owner, const ui::FileDialog& dialog) {
  return RunFileDialog(WindowOf(owner), dialog, true);
}

void Win32Ui::startWorker(std::function<void()> work) { std::thread(std::move(work)).detach(); }

void Win32Ui::post(ui::View& dialog, std::function<void()> task) {
  auto* posted = new std::function<void()>(std::move(task));
  if (!PostMessageW(WindowOf(&dialog), kRunTaskMessage, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
}

}  // namespace qs::win32
