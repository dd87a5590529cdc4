// The floor for Velmora's start-up: the least a tray program does before its
// icon appears. It registers a class, creates one hidden window and adds one
// notification icon with the system's stock application icon, built with the
// same compiler and flags as Velmora. scripts/bench starts it and Velmora in
// turn and times both until their icons are added. Removes its icon and ends
// on WM_CLOSE or at log-off.
#include <windows.h>
#include <shellapi.h>

#include "platform/win32/unique_handle.h"

namespace {

// desktopctl finds the icon's owner by this class.
constexpr const wchar_t* kClass = L"VelmoraMinimalTray";
constexpr UINT kIconId = 1;

NOTIFYICONDATAW IconRecord(HWND window) {
  NOTIFYICONDATAW record{};
  record.cbSize = sizeof(record);
  record.hWnd = window;
  record.uID = kIconId;
  return record;
}

LRESULT CALLBACK MinimalTrayProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE || (message == WM_ENDSESSION && wparam)) {
    NOTIFYICONDATAW record = IconRecord(window);
    ::Shell_NotifyIconW(NIM_DELETE, &record);
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = &MinimalTrayProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = kClass;
  if (::RegisterClassW(&window_class) == 0) return 1;
  const velmora::win32::UniqueWindow window(::CreateWindowExW(
      0, kClass, L"Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
      CW_USEDEFAULT, nullptr, nullptr, instance, nullptr));
  if (!window) return 1;
  NOTIFYICONDATAW record = IconRecord(window.get());
  record.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  record.uCallbackMessage = WM_APP;
  record.hIcon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  lstrcpynW(record.szTip, L"Minimal", ARRAYSIZE(record.szTip));
  if (!::Shell_NotifyIconW(NIM_ADD, &record)) return 1;
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  return 0;
}
