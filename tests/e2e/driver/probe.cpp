// e2e_probe: a small program with the kinds of windows the driver must operate, so that the
// driver itself is tested end to end. It shows the dialog "Probe" (an edit box and a "Show"
// button that reports the edit text and the mouse moves seen in the box "Probe result"), then
// the save dialog "Probe save", reports the chosen name, and exits with 0 (2 when cancelled).
#include <windows.h>
// windows.h first: commdlg.h needs its types.
#include <commdlg.h>

#include <string>

#include "tests/e2e/driver/probe_ids.h"

namespace {

int g_moves = 0;

INT_PTR CALLBACK ProbeProc(HWND dialog, UINT message, WPARAM w, LPARAM) {
  if (message == WM_MOUSEMOVE) {
    ++g_moves;
    return TRUE;
  }
  if (message != WM_COMMAND) return message == WM_INITDIALOG;
  if (LOWORD(w) == kProbeShow) {
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, kProbeEdit, text, 256);
    const std::wstring report = std::wstring(text) + L" / " + std::to_wstring(g_moves) + L" moves";
    MessageBoxW(dialog, report.c_str(), L"Probe result", MB_OK);
    return TRUE;
  }
  if (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL) {
    EndDialog(dialog, LOWORD(w));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  DialogBoxW(instance, MAKEINTRESOURCEW(kProbeDialog), nullptr, ProbeProc);
  wchar_t name[MAX_PATH] = {};
  OPENFILENAMEW save = {};
  save.lStructSize = sizeof save;
  save.lpstrFile = name;
  save.nMaxFile = MAX_PATH;
  save.lpstrTitle = L"Probe save";
  save.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&save)) return 2;
  MessageBoxW(nullptr, name, L"Probe result", MB_OK);
  return 0;
}
