#include "app/win32/file_dialogs_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <cwchar>

#include "app/file_names.h"
#include "platform/widen_win32.h"

namespace qs::win32 {
namespace {

// Room for the longest path the wide file functions take, so no name is cut short.
constexpr std::size_t kNameUnits = 32768;
// Room for the longest folder and thousands of names chosen in it. A choice that does not
// fit makes the dialog fail, which reads as a cancel.
constexpr std::size_t kListUnits = kNameUnits * 32;

// "description\0pattern\0...\0\0"
std::wstring FilterText(const std::vector<ui::FileFilter>& filters) {
  std::wstring text;
  for (const ui::FileFilter& filter : filters) {
    text += platform::Widen(filter.description);
    text.push_back(L'\0');
    text += platform::Widen(filter.pattern);
    text.push_back(L'\0');
  }
  text.push_back(L'\0');
  return text;
}

enum class Kind { kOpen, kOpenSeveral, kSave };

// Runs the dialog with name as the buffer it fills, starting with the suggested name; true
// when the user chose.
bool Run(HWND owner, const ui::FileDialog& dialog, Kind kind, std::wstring& name) {
  const std::wstring suggested = platform::Widen(dialog.suggestedName);
  name.replace(0, std::min(suggested.size(), name.size() - 1), suggested, 0, name.size() - 1);
  const std::wstring title = platform::Widen(dialog.title);
  const std::wstring filter = FilterText(dialog.filters);
  const std::wstring extension = platform::Widen(dialog.defaultExtension);

  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.lpstrFilter = filter.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = name.data();
  request.nMaxFile = static_cast<DWORD>(name.size());
  request.lpstrTitle = title.c_str();
  request.lpstrDefExt = extension.c_str();
  // The program's files are addressed by full path, yet the current directory stays put.
  request.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  switch (kind) {
    case Kind::kOpen:
      request.Flags |= OFN_FILEMUSTEXIST;
      break;
    case Kind::kOpenSeveral:
      request.Flags |= OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT;
      break;
    case Kind::kSave:
      request.Flags |= OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
      break;
  }
  return (kind == Kind::kSave ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request)) != FALSE;
}

}  // namespace

std::optional<std::string> RunFileDialog(HWND owner, const ui::FileDialog& dialog, bool save) {
  std::wstring name(kNameUnits, L'\0');
  if (!Run(owner, dialog, save ? Kind::kSave : Kind::kOpen, name)) return std::nullopt;
  name.resize(wcsnlen(name.c_str(), kNameUnits));
  return platform::Narrow(name);
}

std::optional<std::vector<std::string>> RunSeveralFileDialog(HWND owner, const ui::FileDialog& dialog) {
  std::wstring list(kListUnits, L'\0');
  if (!Run(owner, dialog, Kind::kOpenSeveral, list)) return std::nullopt;
  // The list ends with an empty string; the buffer is zeros beyond it.
  const std::size_t end = list.find(std::wstring_view(L"\0\0", 2));
  if (end != std::wstring::npos) list.resize(end);
  std::vector<std::string> paths = ChosenPaths(platform::Narrow(list));
  if (paths.empty()) return std::nullopt;
  return paths;
}

}  // namespace qs::win32
