// The window-system seam over the real Win32 calls.
#pragma once

#include "platform/win32/handles.h"
#include "platform/window_system.h"

namespace velmora::win32 {

// Reads text through the wide calls so that titles in any script reach the
// core intact, and never lets a program that has stopped answering stall the
// caller: messages are posted, and a window is enabled only if it answers.
class Win32WindowSystem final : public WindowSystem {
 public:
  void EnumWindows(const EnumCallback& callback) override;
  std::string ClassName(WindowHandle window, int max_count) override;
  std::string WindowText(WindowHandle window, int max_count) override;
  std::uint32_t Style(WindowHandle window) override;
  std::uint32_t ExStyle(WindowHandle window) override;
  WindowHandle Owner(WindowHandle window) override;
  std::uint32_t ProcessId(WindowHandle window) override;
  std::optional<std::string> ProcessImageName(std::uint32_t process_id) override;
  void EnableWindow(WindowHandle window, bool enable) override;
  void PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                   std::intptr_t lparam) override;
  std::int16_t AsyncKeyState(std::int32_t virtual_key) override;
  Point CursorPos() override;
  WindowHandle WindowFromPoint(Point point) override;
  void MakeTopMost(WindowHandle window) override;
  bool NotifyIcon(NotifyIconAction action, const TrayIconRecord& record) override;
};

}  // namespace velmora::win32
