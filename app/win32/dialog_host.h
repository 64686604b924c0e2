#pragma once
#include <windows.h>

#include "app/ui.h"
#include "app/win32/win32_view.h"

namespace qs::win32 {

// A task a worker posted (LPARAM: a heap-allocated std::function<void()>, owned by the
// message).
inline constexpr UINT kRunTaskMessage = WM_APP + 1;

// What one running dialog needs: its controller and the view handed to it.
struct DialogHost {
  DialogHost(HINSTANCE instance, ui::Controller& controllerRef) : controller(controllerRef), view(instance) {}

  ui::Controller& controller;
  Win32View view;
};

// The one dialog procedure of the program: turns window messages into controller events.
// WM_INITDIALOG's LPARAM is the DialogHost.
INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace qs::win32
