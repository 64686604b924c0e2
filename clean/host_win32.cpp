#include "clean/host_win32.h"

#include <windows.h>
// windows.h first: shlobj.h needs its types.
#include <shlobj.h>

#include "clean/task_removal_win32.h"
#include "clean/texts.h"
#include "clean/utf16_win32.h"

namespace qs::clean {
namespace {

int Show(std::string_view text, UINT style) {
  // No window of our own exists, so the box belongs to nobody and stays above everything.
  return MessageBoxW(nullptr, ToUtf16(text).c_str(), ToUtf16(texts::kCaption).c_str(),
                     style | MB_SYSTEMMODAL);
}

}  // namespace

void Win32Host::tell(std::string_view text) { Show(text, MB_OK); }

bool Win32Host::ask(std::string_view text, QuestionIcon icon) {
  return Show(text, MB_YESNO | (icon == QuestionIcon::kWarning ? MB_ICONWARNING : MB_ICONQUESTION)) == IDYES;
}

bool Win32Host::removeBackupTask() { return RemoveBackupTask(); }

std::optional<std::string> Win32Host::workingFolder() {
  wchar_t local[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, TRUE)) return std::nullopt;
  return ToUtf8(local) + "\\QS_wd";
}

}  // namespace qs::clean
