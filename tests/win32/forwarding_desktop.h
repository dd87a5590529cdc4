// The real window system behind a class that a test or a benchmark derives
// from to watch one kind of call: every call goes through unchanged.
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
  std::uint32_t Style(WindowHandle window) override { return real_.Style(window); }
  std::uint32_t ExStyle(WindowHandle window) override { return real_.ExStyle(window); }
  WindowHandle Owner(WindowHandle window) override { return real_.Owner(window); }
  std::uint32_t ProcessId(WindowHandle window) override { return real_.ProcessId(window); }
  std::optional<std::string> ProcessImageName(std::uint32_t process_id) override {
    return real_.ProcessImageName(process_id);
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
  bool NotifyIcon(NotifyIconAction action, const TrayIconRecord& record) override {
    return real_.NotifyIcon(action, record);
  }

 private:
  win32::Win32WindowSystem real_;
};

// Counts the processes whose image is read, the dearest call of a scan.
class LookUpCountingDesktop final : public ForwardingDesktop {
 public:
  std::optional<std::string> ProcessImageName(std::uint32_t process_id) override {
    ++look_ups_;
    return ForwardingDesktop::ProcessImageName(process_id);
  }
  int look_ups() const { return look_ups_; }

 private:
  int look_ups_ = 0;
};

}  // namespace velmora::testing
