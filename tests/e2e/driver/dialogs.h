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

// The visible, enabled dialog with this title once it appears within the time, ready to be
// drawn on the screen; nullptr otherwise. A window disabled under a modal dialog of its own
// does not count. Dialogs that share a title are told apart by what they hold: with
// messageBoxOnly only a message box counts (no menu, an OK or a Yes button), with a control id
// only a dialog that has that control.
struct DialogFilter {
  bool messageBoxOnly = false;
  int control = 0;  // 0: any
};
HWND WaitForDialog(const std::wstring& title, DWORD milliseconds, DialogFilter filter = {});
// True once the window has gone within the time.
bool WaitUntilGone(HWND window, DWORD milliseconds);

std::wstring ControlText(HWND dialog, int id);
bool SetControlText(HWND dialog, int id, const std::wstring& text);
// WM_COMMAND from the control as a button click sends it (also for IDOK, IDYES, ...). Posted,
// so that a handler which opens a modal dialog does not hold up the driver.
bool Command(HWND dialog, int id);
// A click on a check box or radio button itself (BM_CLICK, sent, so it is done on return): it
// changes its mark first, as under the mouse. Not for buttons that open a dialog.
bool Press(HWND dialog, int id);
// Puts the name into the file dialog's name box and presses its OK button.
bool AnswerFileDialog(HWND dialog, const std::wstring& name);
// Opens the folder in the file dialog as typing it and OK would; true once it shows.
bool OpenFolderInFileDialog(HWND dialog, const std::wstring& folder);
// Mouse-move messages with count distinct positions inside the dialog.
void MoveMouse(HWND dialog, int count);
// "owner=none" or "owner=<title>", then "topmost=yes|no".
std::wstring Placement(HWND dialog);
// Whether the whole text of an edit control shows: its first character's left edge and its
// end both lie inside the formatting rectangle, as the control measures them with its own
// font (not scrolled, not cut): "yes" or "no", then the text's and the rectangle's edges.
std::wstring TextFits(HWND dialog, int id);
// Whether a check box's label shows whole: its text, measured with the control's font, and
// the box beside it fit the control, and the control lies inside the dialog without touching
// another control: "yes" or "no", then the label's width in the control's.
std::wstring LabelFits(HWND dialog, int id);

}  // namespace qs::e2e
