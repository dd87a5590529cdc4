// The real window system, as a base for doubles that change one or two of its
// calls and forward the rest.
#pragma once

#include "platform/win32/win32_window_system.h"

namespace velmora::testing {

class ForwardingDesktop : public WindowSystem {
 public:
  void EnumWindows(const EnumCallback& callback) override { real_.EnumWindows(callback); }
  std::string ClassName(WindowHandle window, int max_count) override {
    return real_.ClassName(window, max_count);
  }
  std::string WindowText(WindowHandle window, int max_count) override {
    return real_.WindowText(window, max_count);
  }
  void EnableWindow(WindowHandle window, bool enable) override {
    real_.EnableWindow(window, enable);
  }
  void PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                   std::intptr_t lparam) override {
    real_.PostMessage(window, message, wparam, lparam);
  }
  std::int16_t AsyncKeyState(std::int32_t key) override { return real_.AsyncKeyState(key); }
  Point CursorPos() override { return real_.CursorPos(); }
  WindowHandle WindowFromPoint(Point point) override { return real_.WindowFromPoint(point); }
  void MakeTopMost(WindowHandle window) override { real_.MakeTopMost(window); }
  void NotifyIcon(NotifyIconAction action, const TrayIconRecord& record) override {
    real_.NotifyIcon(action, record);
  }

 private:
  win32::Win32WindowSystem real_;
};

}  // namespace velmora::testing
