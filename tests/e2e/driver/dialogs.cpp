#include "tests/e2e/driver/dialogs.h"

#include <algorithm>
#include <string>
#include <vector>

namespace qs::e2e {
namespace {

constexpr DWORD kPoll = 50;
constexpr UINT kSendTimeout = 5000;

bool Send(HWND window, UINT message, WPARAM w, LPARAM l, DWORD_PTR* result = nullptr) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, message, w, l, SMTO_ABORTIFHUNG, kSendTimeout,
                             result ? result : &ignored) != 0;
}

struct Search {
  const std::wstring& title;
  DialogFilter filter;
  HWND found = nullptr;
};

bool IsMessageBox(HWND window) {
  return GetMenu(window) == nullptr &&
         (GetDlgItem(window, IDOK) != nullptr || GetDlgItem(window, IDYES) != nullptr);
}

BOOL CALLBACK Visit(HWND window, LPARAM lParam) {
  auto& search = *reinterpret_cast<Search*>(lParam);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wstring(className) != L"#32770" || !IsWindowVisible(window) || !IsWindowEnabled(window))
    return TRUE;
  std::vector<wchar_t> title(search.title.size() + 2, L'\0');
  GetWindowTextW(window, title.data(), static_cast<int>(title.size()));
  if (search.title != title.data()) return TRUE;
  if (search.filter.messageBoxOnly && !IsMessageBox(window)) return TRUE;
  if (search.filter.control != 0 && GetDlgItem(window, search.filter.control) == nullptr) return TRUE;
  search.found = window;
  return FALSE;
}

// Whether the control's rectangle meets another child's of the dialog.
bool OverlapsAnother(HWND dialog, HWND control) {
  RECT own = {};
  GetWindowRect(control, &own);
  for (HWND other = GetWindow(dialog, GW_CHILD); other != nullptr; other = GetWindow(other, GW_HWNDNEXT)) {
    RECT theirs = {};
    RECT common = {};
    if (other != control && GetWindowRect(other, &theirs) && IntersectRect(&common, &own, &theirs))
      return true;
  }
  return false;
}

}  // namespace

HWND WaitForDialog(const std::wstring& title, DWORD milliseconds, DialogFilter filter) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (;;) {
    Search search{title, filter};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    const HWND dialog = search.found;
    if (dialog != nullptr) {
      // Once a sent message came back the dialog runs its message loop; the pause lets it
      // paint before anyone takes a picture of the screen.
      Send(dialog, WM_NULL, 0, 0);
      Sleep(200);
      return dialog;
    }
    if (GetTickCount64() >= end) return nullptr;
    Sleep(kPoll);
  }
}

bool WaitUntilGone(HWND window, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (IsWindow(window)) {
    if (GetTickCount64() >= end) return false;
    Sleep(kPoll);
  }
  return true;
}

std::wstring ControlText(HWND dialog, int id) {
  const HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return {};
  DWORD_PTR length = 0;
  if (!Send(control, WM_GETTEXTLENGTH, 0, 0, &length)) return {};
  std::vector<wchar_t> text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!Send(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied)) return {};
  return std::wstring(text.data(), copied);
}

bool SetControlText(HWND dialog, int id, const std::wstring& text) {
  const HWND control = GetDlgItem(dialog, id);
  return control != nullptr && Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool Command(HWND dialog, int id) {
  const HWND control = GetDlgItem(dialog, id);
  return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control)) != 0;
}

bool Press(HWND dialog, int id) {
  const HWND control = GetDlgItem(dialog, id);
  return control != nullptr && Send(control, BM_CLICK, 0, 0);
}

bool AnswerFileDialog(HWND dialog, const std::wstring& name) {
  const int box = GetDlgItem(dialog, kFileNameCombo) != nullptr ? kFileNameCombo : kFileNameEdit;
  return SetControlText(dialog, box, name) && Command(dialog, IDOK);
}

bool OpenFolderInFileDialog(HWND dialog, const std::wstring& folder) {
  const int box = GetDlgItem(dialog, kFileNameCombo) != nullptr ? kFileNameCombo : kFileNameEdit;
  // Sent, not posted: the dialog has moved to the folder when the message returns.
  return SetControlText(dialog, box, folder) &&
         Send(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
              reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK))) &&
         IsWindow(dialog) != FALSE;
}

void MoveMouse(HWND dialog, int count) {
  RECT client = {};
  GetClientRect(dialog, &client);
  const int width = client.right > 1 ? client.right : 2;
  const int height = client.bottom > 1 ? client.bottom : 2;
  for (int i = 0; i < count; ++i) {
    // Steps coprime to the sides keep consecutive positions apart.
    const int x = (i * 7) % width;
    const int y = (i * 13) % height;
    Send(dialog, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  }
}

std::wstring Placement(HWND dialog) {
  const HWND owner = GetWindow(dialog, GW_OWNER);
  std::wstring text = L"owner=";
  if (owner == nullptr) {
    text += L"none";
  } else {
    wchar_t title[256] = {};
    GetWindowTextW(owner, title, 256);
    text += title;
  }
  const bool topmost = (GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  return text + (topmost ? L" topmost=yes" : L" topmost=no");
}

std::wstring LabelFits(HWND dialog, int id) {
  const HWND box = GetDlgItem(dialog, id);
  const std::wstring text = ControlText(dialog, id);
  if (box == nullptr || text.empty()) return L"error no text";
  const HDC dc = GetDC(box);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
  SIZE size = {};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(box, dc);
  RECT client = {};
  GetClientRect(box, &client);
  RECT inDialog = {};
  RECT dialogClient = {};
  GetWindowRect(box, &inDialog);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&inDialog), 2);
  GetClientRect(dialog, &dialogClient);
  // The box and the gap after it are about as wide as the font is high.
  const int label = size.cx + GetSystemMetrics(SM_CXMENUCHECK) + size.cy / 2;
  const bool inside = inDialog.left >= 0 && inDialog.top >= 0 && inDialog.right <= dialogClient.right &&
                      inDialog.bottom <= dialogClient.bottom;
  const bool fits =
      label <= client.right && size.cy <= client.bottom && inside && !OverlapsAnother(dialog, box);
  return (fits ? L"yes " : L"no ") + std::to_wstring(label) + L"x" + std::to_wstring(size.cy) + L" in " +
         std::to_wstring(client.right) + L"x" + std::to_wstring(client.bottom);
}

std::wstring TextFits(HWND dialog, int id) {
  const HWND edit = GetDlgItem(dialog, id);
  const std::wstring text = ControlText(dialog, id);
  RECT format = {};
  // EM_GETRECT is a system message, so its rectangle crosses into the other process.
  if (edit == nullptr || text.empty() || !Send(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format)))
    return L"error no text";
  // Left edges in client coordinates, signed: a scrolled text starts left of the control.
  std::vector<int> left;
  for (std::size_t i = 0; i < text.size(); ++i) {
    DWORD_PTR position = 0;
    if (!Send(edit, EM_POSFROMCHAR, i, 0, &position)) return L"error no answer";
    left.push_back(static_cast<short>(LOWORD(position)));
  }
  // The control tells no position after the last character, so its width is that of the same
  // character elsewhere in the text, else the widest one's.
  int lastWidth = 0;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    const int width = left[i + 1] - left[i];
    if (text[i] == text.back()) {
      lastWidth = width;
      break;
    }
    lastWidth = std::max(lastWidth, width);
  }
  const int end = left.back() + lastWidth;
  const bool fits = left.front() >= format.left && end <= format.right;
  return (fits ? L"yes " : L"no ") + std::to_wstring(left.front()) + L".." + std::to_wstring(end) + L" in " +
         std::to_wstring(format.left) + L".." + std::to_wstring(format.right);
}

}  // namespace qs::e2e
