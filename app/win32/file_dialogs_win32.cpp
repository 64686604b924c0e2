#include "app/win32/file_dialogs_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <cwchar>

#include "platform/widen_win32.h"

namespace qs::win32 {
namespace {

// Room for the longest path the wide file functions take, so no name is cut short.
constexpr std::size_t kNameUnits = 32768;

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

}  // namespace

std::optional<std::string> RunFileDialog(HWND owner, const ui::FileDialog& dialog, bool save) {
  std::wstring name(kNameUnits, L'\0');
  const std::wstring suggested = platform::Widen(dialog.suggestedName);
  name.replace(0, std::min(suggested.size(), kNameUnits - 1), suggested, 0, kNameUnits - 1);
  const std::wstring title = platform::Widen(dialog.title);
  const std::wstring filter = FilterText(dialog.filters);
  const std::wstring extension = platform::Widen(dialog.defaultExtension);

  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.lpstrFilter = filter.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = name.data();
  request.nMaxFile = static_cast<DWORD>(kNameUnits);
  request.lpstrTitle = title.c_str();
  request.lpstrDefExt = extension.c_str();
  // The program's files are addressed by full path, yet the current directory stays put.
  request.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
                  (save ? OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request);
  if (!chosen) return std::nullopt;
  name.resize(wcsnlen(name.c_str(), kNameUnits));
  return platform::Narrow(name);
}

}  // namespace qs::win32
