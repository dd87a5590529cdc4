// The seam between Velmora's portable core and the window system.
//
// Every contact with other programs' windows and with the notification area
// goes through WindowSystem. The Win32 implementation makes the real calls;
// the simulated desktop lets the core run and be tested on any system.
#pragma once

// <windows.h> renames PostMessage to PostMessageA or PostMessageW; undoing
// that here keeps the method's one name in every file, whatever came first.
#ifdef PostMessage
#undef PostMessage
#endif

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace velmora {

// Window handles are held as signed 32-bit values, the width that 32-bit and
// 64-bit Windows share for user handles. Only the Win32 layer converts them.
using WindowHandle = std::int32_t;
// Icon handles are user handles too, so the same width holds them.
using IconHandle = std::int32_t;

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// Window messages the core posts to other programs' windows.
inline constexpr std::uint32_t kWmCancelMode = 0x1F;
inline constexpr std::uint32_t kWmClose = 0x10;

// Window style bits that tell a browser's frame from its other windows.
inline constexpr std::uint32_t kWsPopup = 0x80000000;
inline constexpr std::uint32_t kWsVisible = 0x10000000;
// A caption is both bits, WS_BORDER and WS_DLGFRAME: either alone draws a
// frame without a title bar.
inline constexpr std::uint32_t kWsCaption = 0x00C00000;
inline constexpr std::uint32_t kWsThickFrame = 0x00040000;
inline constexpr std::uint32_t kWsMinimizeBox = 0x00020000;
inline constexpr std::uint32_t kWsExToolWindow = 0x00000080;

// Virtual-key codes of the function keys.
inline constexpr std::int32_t kVkF1 = 112;
inline constexpr std::int32_t kVkF12 = 123;

enum class NotifyIconAction : std::uint32_t {
  kAdd = 0,
  kModify = 1,
  kDelete = 2,
  // Gives the icon the record's callback protocol, which the Shell forgets
  // whenever the icon is added.
  kSetVersion = 4,
};

// The notification-icon record, with the values the program writes. The
// Win32 layer copies it into the native wide record, whose size it knows.
struct TrayIconRecord {
  static constexpr std::uint32_t kFlagMessage = 1;
  static constexpr std::uint32_t kFlagIcon = 2;
  static constexpr std::uint32_t kFlagTip = 4;
  // A version-4 icon shows no tip of its own unless asked to.
  static constexpr std::uint32_t kFlagShowTip = 0x80;
  // The Shell's current callback protocol: the icon's event in the low word
  // of lParam, the icon's anchor point in wParam, and the keyboard's
  // selection and menu key reported.
  static constexpr std::uint32_t kVersion4 = 4;

  WindowHandle hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  IconHandle hIcon = 0;
  std::string szTip;  // UTF-8
  std::uint32_t uVersion = 0;
};

class WindowSystem {
 public:
  // Returns true to go on with the next window, false to end the walk.
  using EnumCallback = std::function<bool(WindowHandle)>;

  virtual ~WindowSystem() = default;

  // Offers every top-level window to `callback`, in the window system's order,
  // while it returns true.
  virtual void EnumWindows(const EnumCallback& callback) = 0;
  // The window's class name, at most max_count - 1 characters, in UTF-8;
  // empty when the window no longer exists.
  virtual std::string ClassName(WindowHandle window, int max_count) = 0;
  // The window's text as GetWindowText gives it: up to its first NUL, at most
  // max_count - 1 UTF-16 units, never half a surrogate pair, in UTF-8; empty
  // when unreadable.
  virtual std::string WindowText(WindowHandle window, int max_count) = 0;
  // The window's style bits (GWL_STYLE). A top-level window is visible when
  // kWsVisible is set, as IsWindowVisible reports for a window without a
  // parent. 0 when the window no longer exists.
  virtual std::uint32_t Style(WindowHandle window) = 0;
  // Its extended style bits (GWL_EXSTYLE); 0 when the window no longer exists.
  virtual std::uint32_t ExStyle(WindowHandle window) = 0;
  // The window that owns it, 0 if none.
  virtual WindowHandle Owner(WindowHandle window) = 0;
  // The process that made the window; 0 when the window no longer exists.
  virtual std::uint32_t ProcessId(WindowHandle window) = 0;
  // The full path of the process's image file, in UTF-8; nothing when it
  // cannot be read (access refused, process gone). Each call opens and
  // queries the process anew: callers keep what they have read.
  virtual std::optional<std::string> ProcessImageName(std::uint32_t process_id) = 0;
  virtual void EnableWindow(WindowHandle window, bool enable) = 0;
  virtual void PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                           std::intptr_t lparam) = 0;
  // Non-zero when the key is down or was pressed since the previous reading.
  virtual std::int16_t AsyncKeyState(std::int32_t virtual_key) = 0;
  virtual Point CursorPos() = 0;
  // The innermost window under the point, 0 if none.
  virtual WindowHandle WindowFromPoint(Point point) = 0;
  // Keeps the window above every window that is not top-most, without moving
  // or sizing it.
  virtual void MakeTopMost(WindowHandle window) = 0;
  // Returns whether the notification area took the request: a change or a
  // version fails when the icon is gone, an addition when it is there
  // already.
  virtual bool NotifyIcon(NotifyIconAction action, const TrayIconRecord& record) = 0;
};

}  // namespace velmora
