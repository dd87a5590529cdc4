// The shapes the browsers give their frames after making them, for the test
// helper's stand-ins and for tests that change a stand-in while it runs.
// Both go through SetWindowLongW, as the browsers do: CreateWindowExW would
// give an overlapped window its caption back.
#pragma once

#include <windows.h>

namespace velmora::winhelper {

// Chromium's FullscreenHandler and Gecko's HideWindowChrome, on F11, a
// fullscreen video or kiosk mode: the system menu and the minimize and
// maximize boxes stay.
inline constexpr DWORD kFullscreenRemoves = WS_CAPTION | WS_THICKFRAME;
// Chromium's frameless windows (picture-in-picture): made without minimize
// and maximize boxes, then the caption taken off once the window exists.
inline constexpr DWORD kFramelessRemoves = WS_CAPTION | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

// Works on another process's window too: the system hands the change to the
// window's own thread.
inline void RemoveStyle(HWND window, DWORD removed) {
  const auto style = static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE));
  ::SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(style & ~removed));
  ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace velmora::winhelper
