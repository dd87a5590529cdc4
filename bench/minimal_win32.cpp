// The floor for Velmora's memory: the least a resident Win32 program can be,
// one hidden window of its own class and a message loop, built with the same
// compiler and flags. With --with-velmora-dlls it also loads the two DLLs that
// Velmora needs beyond it (comctl32 for its forms, shell32 for the tray icon),
// which tells Velmora's own share of the difference from theirs. Ends on
// WM_CLOSE or at log-off.
#include <windows.h>

#include <string_view>

#include "platform/win32/unique_handle.h"

namespace {

using velmora::win32::UniqueModule;

LRESULT CALLBACK MinimalProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE || (message == WM_ENDSESSION && wparam)) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR command_line, int) {
  const bool with_velmora_dlls = std::wstring_view(command_line) == L"--with-velmora-dlls";
  const UniqueModule common_controls(with_velmora_dlls ? ::LoadLibraryW(L"comctl32.dll") : nullptr);
  const UniqueModule shell(with_velmora_dlls ? ::LoadLibraryW(L"shell32.dll") : nullptr);
  // Each variant a class of its own, by which the benchmark finds it.
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = &MinimalProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = with_velmora_dlls ? L"VelmoraMinimalWithDlls" : L"VelmoraMinimal";
  if (::RegisterClassW(&window_class) == 0) return 1;
  const velmora::win32::UniqueWindow window(::CreateWindowExW(
      0, window_class.lpszClassName, L"Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr));
  if (!window) return 1;
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  return 0;
}
