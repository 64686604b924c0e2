#pragma once
// Operations on dialog windows of another process, all through window messages, so they work
// on any dialog: message boxes, the common file dialogs, the program's own dialogs.
#include <windows.h>

#include <string>

namespace qs::e2e {

// The message box's text control, and the file-name box of the explorer-style and the old
// common file dialogs.
constexpr int kMessageBoxText = 0xFFFF;
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;

// The visible dialog with this title once it appears within the time, ready to be drawn on
// the screen; nullptr otherwise.
HWND WaitForDialog(const std::wstring& title, DWORD milliseconds);
// True once the window has gone within the time.
bool WaitUntilGone(HWND window, DWORD milliseconds);

std::wstring ControlText(HWND dialog, int id);
bool SetControlText(HWND dialog, int id, const std::wstring& text);
// WM_COMMAND from the control as a button click sends it (also for IDOK, IDYES, ...). Posted,
// so that a handler which opens a modal dialog does not hold up the driver.
bool Command(HWND dialog, int id);
// Puts the name into the file dialog's name box and presses its OK button.
bool AnswerFileDialog(HWND dialog, const std::wstring& name);
// Mouse-move messages with count distinct positions inside the dialog.
void MoveMouse(HWND dialog, int count);
// "owner=none" or "owner=<title>", then "topmost=yes|no".
std::wstring Placement(HWND dialog);

}  // namespace qs::e2e
