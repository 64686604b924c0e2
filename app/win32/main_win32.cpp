// quillseal.exe: the Windows program. Everything but the window system lives in app/.
#include <windows.h>
// windows.h first: commctrl.h needs its types.
#include <commctrl.h>

#include <cwchar>
#include <string>

#include "app/command_line.h"
#include "app/program.h"
#include "app/win32/win32_ui.h"
#include "platform/working_folder.h"

namespace {

// The whole command line, program name included, so that app/ splits it; wchar_t is UTF-16
// here.
std::u16string CommandLineUnits() {
  const wchar_t* line = GetCommandLineW();
  return std::u16string(line, line + std::wcslen(line));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  // The one generator of the process; it wipes its pool when the process ends.
  static qs::RandomGenerator generator;
  qs::win32::Win32Ui ui(instance);
  return qs::RunProgram(ui, generator, qs::platform::ChooseWorkingFolder(),
                        qs::SplitCommandLine(CommandLineUnits()));
}
