// rw_clean: started with one command word, usually by the uninstaller; shows nothing but
// message boxes.
#include <windows.h>

#include <ctime>
#include <random>

#include "clean/clean_run.h"
#include "clean/command.h"
#include "clean/host_win32.h"
#include "clean/system_files.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The overwrite only has to hide the old bytes, not be unpredictable.
  std::mt19937 engine(static_cast<std::uint32_t>(std::time(nullptr)));
  const qs::clean::FillBytes fill = [&engine](std::uint8_t* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>(engine());
  };
  qs::clean::Win32Host host;
  qs::clean::SystemFiles files;
  return qs::clean::RunClean(qs::clean::CommandWordOf(GetCommandLineW()), host, files, fill);
}
