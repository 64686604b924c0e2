// quillseal.exe: the Windows program. Everything but the window system lives in app/.
#include <windows.h>
// windows.h first: commctrl.h needs its types.
#include <commctrl.h>

#include "app/program.h"
#include "app/win32/win32_ui.h"
#include "platform/working_folder.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  // The one generator of the process; it wipes its pool when the process ends.
  static qs::RandomGenerator generator;
  qs::win32::Win32Ui ui(instance);
  return qs::RunProgram(ui, generator, qs::platform::ChooseWorkingFolder());
}
