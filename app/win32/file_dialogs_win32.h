#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/ui.h"

namespace qs::win32 {

// The common open or save dialog; the chosen path (UTF-8), or nullopt after a cancel.
std::optional<std::string> RunFileDialog(HWND owner, const ui::FileDialog& dialog, bool save);
// The common open dialog in which several files can be chosen: their paths (UTF-8), or
// nullopt after a cancel.
std::optional<std::vector<std::string>> RunSeveralFileDialog(HWND owner, const ui::FileDialog& dialog);

}  // namespace qs::win32
