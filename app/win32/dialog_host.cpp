#include "app/win32/dialog_host.h"

#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/widen_win32.h"

namespace qs::win32 {
namespace {

DialogHost* HostOf(HWND window) {
  return reinterpret_cast<DialogHost*>(GetWindowLongPtrW(window, DWLP_USER));
}

std::vector<std::string> DroppedFiles(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    // Asked for its length first, so that no long name is cut short.
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(length);
    paths.push_back(platform::Narrow(path));
  }
  DragFinish(drop);
  return paths;
}

bool OnNotify(DialogHost& host, const NMHDR& header) {
  if (header.code != LVN_ITEMCHANGED) return false;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
  if (((change.uNewState ^ change.uOldState) & LVIS_SELECTED) != 0) {
    host.controller.onSelectionChanged(host.view, static_cast<int>(header.idFrom));
  }
  return true;
}

void RunTask(LPARAM lParam) {
  const std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lParam));
  (*task)();
}

// Tasks still queued for a window that goes are dropped, and their captures released.
void DropQueuedTasks(HWND window) {
  MSG queued{};
  while (PeekMessageW(&queued, window, kRunTaskMessage, kRunTaskMessage, PM_REMOVE)) {
    delete reinterpret_cast<std::function<void()>*>(queued.lParam);
  }
}

}  // namespace

INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* host = reinterpret_cast<DialogHost*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(host));
    host->view.attach(window);
    host->controller.onInit(host->view);
    return TRUE;
  }
  DialogHost* host = HostOf(window);
  if (host == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      // The dialog manager turns Escape into IDCANCEL; the close button comes as WM_CLOSE.
      if (LOWORD(wParam) == IDCANCEL) {
        host->controller.onEscape(host->view);
      } else if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) != IDOK) {
        // Menu commands arrive with code 0 too. Return in an edit field (IDOK) does nothing.
        host->controller.onCommand(host->view, LOWORD(wParam));
      }
      return TRUE;
    case WM_CLOSE:
      host->controller.onClose(host->view);
      return TRUE;
    case WM_MOUSEMOVE:
      host->controller.onMouseMove(host->view, LOWORD(lParam), HIWORD(lParam));
      return TRUE;
    case WM_TIMER:
      host->controller.onTimer(host->view);
      return TRUE;
    case WM_NOTIFY:
      return OnNotify(*host, *reinterpret_cast<const NMHDR*>(lParam)) ? TRUE : FALSE;
    case WM_DROPFILES:
      host->controller.onFilesDropped(host->view, DroppedFiles(reinterpret_cast<HDROP>(wParam)));
      return TRUE;
    case kRunTaskMessage:
      RunTask(lParam);
      return TRUE;
    case WM_DESTROY:
      DropQueuedTasks(window);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace qs::win32
