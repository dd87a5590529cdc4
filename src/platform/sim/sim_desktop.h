// A simulated desktop behind the WindowSystem seam, so the core can be run
// and tested anywhere. It keeps top-level windows and their children in
// z-order, the pointer, the keyboard and the tray icon, and records every call
// it receives in order.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace velmora::sim {

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  bool Contains(Point point) const {
    return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
  }
};

struct WindowSpec {
  std::string class_name;
  // UTF-8; a NUL ends the text as Windows sees it, as with SetWindowText.
  std::string title;
  bool visible = true;
  bool enabled = true;
  // Ordinary windows go away when they receive WM_CLOSE.
  bool closes_on_wm_close = true;
  Rect rect;
  // The style bits apart from WS_VISIBLE, which `visible` gives.
  std::uint32_t style = kWsCaption;
  std::uint32_t ex_style = 0;
  WindowHandle owner = 0;
  // The image path of the program that made the window; nothing when it
  // cannot be read. Windows of one program share one process.
  std::optional<std::string> program = "";
};

enum class CallKind {
  kEnumWindows,
  kClassName,
  kWindowText,
  kStyle,
  kExStyle,
  kOwner,
  kProcessId,
  kProcessImageName,
  kEnableWindow,
  kPostMessage,
  kAsyncKeyState,
  kCursorPos,
  kWindowFromPoint,
  kMakeTopMost,
  kNotifyIcon,
};

// One call received. `argument` is the message posted, the enable flag, the
// virtual key, the icon action or the process id, whichever the call has; the message
// parameters are kept so that a test sees any that is not 0.
struct Call {
  CallKind kind;
  WindowHandle window = 0;
  std::int64_t argument = 0;
  std::uint64_t wparam = 0;
  std::int64_t lparam = 0;

  friend bool operator==(const Call&, const Call&) = default;
};

std::ostream& operator<<(std::ostream& out, const Call& call);

class SimDesktop final : public WindowSystem {
 public:
  // Opens a top-level window in front of the others and returns its handle.
  WindowHandle Open(WindowSpec state);
  // Opens a child window in front of its siblings.
  WindowHandle OpenChild(WindowHandle parent, WindowSpec state);
  // Opens a window with a given handle, such as one with the top bit set.
  WindowHandle OpenWithHandle(WindowHandle handle, WindowSpec state);
  // Destroys a window and its children, as the owning program would.
  void Destroy(WindowHandle window);

  bool Exists(WindowHandle window) const { return windows_.contains(window); }
  // The live window's state; the window must exist.
  WindowSpec& Window(WindowHandle window);
  std::vector<WindowHandle> TopLevelWindows() const { return z_order_; }

  void MoveCursor(Point point) { cursor_ = point; }
  void PressKey(std::int32_t virtual_key);    // down now, and pressed since the last read
  void ReleaseKey(std::int32_t virtual_key);

  const std::vector<Call>& Calls() const { return calls_; }
  // The calls of one kind, or of the kinds that touch other programs' windows.
  std::vector<Call> CallsOf(CallKind kind) const;
  std::vector<Call> CallsTo(WindowHandle window) const;
  void ClearCalls() { calls_.clear(); }

  // The icon in the notification area, if one is there, with the version it
  // was last given.
  const std::optional<TrayIconRecord>& TrayIcon() const { return tray_icon_; }
  // A slow Shell at log-on: an addition takes the icon yet reports a failure.
  bool add_reports_failure = false;

  // WindowSystem
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

 private:
  struct SimWindow {
    WindowSpec state;
    WindowHandle parent = 0;
    std::vector<WindowHandle> children;  // front first
  };

  WindowHandle NewHandle();
  WindowHandle Insert(WindowHandle handle, WindowHandle parent, WindowSpec state);
  WindowHandle InnermostAt(WindowHandle window, Point point) const;
  const WindowSpec* Find(WindowHandle window) const;
  void Record(CallKind kind, WindowHandle window = 0, std::int64_t argument = 0);

  std::map<WindowHandle, SimWindow> windows_;
  std::vector<WindowHandle> z_order_;  // top-level windows, front first
  // One process per program, numbered in the order they are first met.
  std::vector<std::optional<std::string>> programs_;
  WindowHandle next_handle_ = 0x10010;
  Point cursor_;
  std::set<std::int32_t> keys_down_;
  std::set<std::int32_t> keys_pressed_;
  std::optional<TrayIconRecord> tray_icon_;
  std::vector<Call> calls_;
};

}  // namespace velmora::sim
