#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "app/ui.h"

namespace qs::win32 {

// The common open or save dialog; the chosen path (UTF-8), or nullopt after a cancel.
std::optional<std::string> RunFileDialog(HWND owner, const ui::FileDialog& dialog, bool save);

}  // namespace qs::win32
