#include "app/win32/win32_view.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/resource_ids.h"
#include "base/secure_wipe.h"
#include "platform/widen_win32.h"

namespace qs::win32 {
namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kMarqueeStepMilliseconds = 30;

HICON LoadIconOfSize(HINSTANCE instance, int resource, int sizeMetric) {
  const int size = GetSystemMetrics(sizeMetric);
  // Shared icons belong to the system's cache; nobody destroys them.
  return static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(resource), IMAGE_ICON, size, size, LR_SHARED));
}

// The system's pixels per inch: list columns are given in pixels at 96.
int PixelsPerInch(HWND window) {
  const HDC dc = GetDC(window);
  const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSX) : 0;
  if (dc != nullptr) ReleaseDC(window, dc);
  return dpi > 0 ? dpi : 96;
}

// Widens every column that its content would cut; none gets narrower.
void FitColumnsToContent(HWND list) {
  const HWND header = ListView_GetHeader(list);
  const int count = header != nullptr ? Header_GetItemCount(header) : 0;
  for (int i = 0; i < count; ++i) {
    const int given = ListView_GetColumnWidth(list, i);
    ListView_SetColumnWidth(list, i, LVSCW_AUTOSIZE);
    if (ListView_GetColumnWidth(list, i) < given) ListView_SetColumnWidth(list, i, given);
  }
}

// The style bit means a password only on an edit control; buttons use it otherwise.
bool IsPasswordField(HWND window) {
  wchar_t name[8] = {};
  return GetClassNameW(window, name, 8) == 4 && lstrcmpiW(name, L"Edit") == 0 &&
         (GetWindowLongPtrW(window, GWL_STYLE) & ES_PASSWORD) != 0;
}

}  // namespace

std::string Win32View::text(int control) const {
  const HWND window = item(control);
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, buffer.data(), length + 1);
  buffer.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  std::string text = platform::Narrow(buffer);
  // A passphrase leaves no copy here; the caller wipes what it is given.
  if (IsPasswordField(window)) SecureWipe(buffer.data(), buffer.size() * sizeof(wchar_t));
  return text;
}

void Win32View::setText(int control, const std::string& text) {
  const HWND window = item(control);
  // An edit control reuses its text buffer where the new text fits: a passphrase is
  // overwritten before the field is emptied, so less of it stays in freed memory.
  if (text.empty() && IsPasswordField(window)) {
    const int length = GetWindowTextLengthW(window);
    if (length > 0) SetWindowTextW(window, std::wstring(static_cast<std::size_t>(length), L'*').c_str());
  }
  SetDlgItemTextW(window_, control, platform::Widen(text).c_str());
}

void Win32View::enable(int control, bool on) { EnableWindow(item(control), on ? TRUE : FALSE); }

bool Win32View::isChecked(int control) const { return IsDlgButtonChecked(window_, control) == BST_CHECKED; }

void Win32View::check(int control, bool on) {
  CheckDlgButton(window_, control, on ? BST_CHECKED : BST_UNCHECKED);
}

void Win32View::addComboItem(int control, const std::string& text, int value) {
  const std::wstring wide = platform::Widen(text);
  const LRESULT index =
      SendDlgItemMessageW(window_, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  if (index >= 0) SendDlgItemMessageW(window_, control, CB_SETITEMDATA, static_cast<WPARAM>(index), value);
}

void Win32View::selectComboItem(int control, int index) {
  SendDlgItemMessageW(window_, control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::optional<int> Win32View::selectedComboValue(int control) const {
  const LRESULT index = SendDlgItemMessageW(window_, control, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return std::nullopt;
  return static_cast<int>(
      SendDlgItemMessageW(window_, control, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void Win32View::setColumns(int control, const std::vector<ui::Column>& columns,
                           const std::vector<int>& icons) {
  const HWND list = item(control);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  const int dpi = PixelsPerInch(list);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    std::wstring title = platform::Widen(columns[i].title);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = MulDiv(columns[i].width, dpi, 96);
    column.pszText = title.data();
    column.iSubItem = static_cast<int>(i);
    ListView_InsertColumn(list, static_cast<int>(i), &column);
  }
  if (icons.empty()) return;
  // The list view owns the image list from here and destroys it with itself.
  const HIMAGELIST images = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                             ILC_COLOR32 | ILC_MASK, static_cast<int>(icons.size()), 0);
  for (int icon : icons) ImageList_AddIcon(images, LoadIconOfSize(instance_, icon, SM_CXSMICON));
  ListView_SetImageList(list, images, LVSIL_SMALL);
}

void Win32View::clearRows(int control) { ListView_DeleteAllItems(item(control)); }

void Win32View::addRow(int control, const std::vector<std::string>& cells, int icon) {
  const HWND list = item(control);
  LVITEMW row{};
  row.mask = LVIF_TEXT | (icon >= 0 ? LVIF_IMAGE : 0u);
  row.iItem = ListView_GetItemCount(list);
  std::wstring first = cells.empty() ? std::wstring() : platform::Widen(cells[0]);
  row.pszText = first.data();
  row.iImage = icon;
  const int index = ListView_InsertItem(list, &row);
  if (index < 0) return;
  for (std::size_t i = 1; i < cells.size(); ++i) {
    std::wstring cell = platform::Widen(cells[i]);
    ListView_SetItemText(list, index, static_cast<int>(i), cell.data());
  }
  FitColumnsToContent(list);
}

void Win32View::selectRow(int control, int row) {
  const UINT state = LVIS_SELECTED | LVIS_FOCUSED;
  ListView_SetItemState(item(control), row, state, state);
}

std::optional<int> Win32View::selectedRow(int control) const {
  const int row = ListView_GetNextItem(item(control), -1, LVNI_SELECTED);
  if (row < 0) return std::nullopt;
  return row;
}

void Win32View::setProgressRange(int control, int low, int high) {
  SendDlgItemMessageW(window_, control, PBM_SETRANGE32, static_cast<WPARAM>(low), high);
}

void Win32View::setProgressPosition(int control, int position) {
  // A moving marquee bar keeps going whatever the position says.
  if ((GetWindowLongPtrW(item(control), GWL_STYLE) & PBS_MARQUEE) != 0) return;
  SendDlgItemMessageW(window_, control, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void Win32View::setProgressMarquee(int control, bool on) {
  const HWND bar = item(control);
  const LONG_PTR style = GetWindowLongPtrW(bar, GWL_STYLE);
  SetWindowLongPtrW(bar, GWL_STYLE,
                    on ? (style | PBS_MARQUEE) : (style & ~static_cast<LONG_PTR>(PBS_MARQUEE)));
  SendMessageW(bar, PBM_SETMARQUEE, on ? TRUE : FALSE, kMarqueeStepMilliseconds);
}

void Win32View::moveTo(int left, int top) {
  SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32View::centreOnScreen() {
  RECT screen{};
  RECT own{};
  GetWindowRect(GetDesktopWindow(), &screen);
  GetWindowRect(window_, &own);
  moveTo(screen.left + (screen.right - screen.left - (own.right - own.left)) / 2,
         screen.top + (screen.bottom - screen.top - (own.bottom - own.top)) / 2);
}

void Win32View::centreOn(const View& other) {
  RECT reference{};
  RECT own{};
  GetWindowRect(static_cast<const Win32View&>(other).window(), &reference);
  GetWindowRect(window_, &own);
  const int left = reference.left + (reference.right - reference.left - (own.right - own.left)) / 2;
  const int top = reference.top + (reference.bottom - reference.top - (own.bottom - own.top)) / 2;
  moveTo(left < 0 ? 0 : left, top < 0 ? 0 : top);
}

void Win32View::setProgramIcon() {
  SendMessageW(window_, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(LoadIconOfSize(instance_, IDI_PROGRAM, SM_CXICON)));
  SendMessageW(window_, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(LoadIconOfSize(instance_, IDI_PROGRAM, SM_CXSMICON)));
}

void Win32View::acceptDroppedFiles() { DragAcceptFiles(window_, TRUE); }

void Win32View::startTimer(unsigned milliseconds) { SetTimer(window_, kTimerId, milliseconds, nullptr); }

void Win32View::stopTimer() { KillTimer(window_, kTimerId); }

void Win32View::endDialog(int result) { EndDialog(window_, result); }

}  // namespace qs::win32
