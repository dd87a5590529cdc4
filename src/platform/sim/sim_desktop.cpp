#include "platform/sim/sim_desktop.h"

#include <algorithm>
#include <cassert>

#include "platform/text.h"

namespace velmora::sim {
namespace {

const char* KindName(CallKind kind) {
  switch (kind) {
    case CallKind::kEnumWindows: return "EnumWindows";
    case CallKind::kClassName: return "ClassName";
    case CallKind::kWindowText: return "WindowText";
    case CallKind::kStyle: return "Style";
    case CallKind::kExStyle: return "ExStyle";
    case CallKind::kOwner: return "Owner";
    case CallKind::kProcessId: return "ProcessId";
    case CallKind::kProcessImageName: return "ProcessImageName";
    case CallKind::kEnableWindow: return "EnableWindow";
    case CallKind::kPostMessage: return "PostMessage";
    case CallKind::kAsyncKeyState: return "AsyncKeyState";
    case CallKind::kCursorPos: return "CursorPos";
    case CallKind::kWindowFromPoint: return "WindowFromPoint";
    case CallKind::kMakeTopMost: return "MakeTopMost";
    case CallKind::kNotifyIcon: return "NotifyIcon";
  }
  return "?";
}

bool ActsOnWindow(CallKind kind) {
  return kind == CallKind::kEnableWindow || kind == CallKind::kPostMessage ||
         kind == CallKind::kMakeTopMost;
}

void EraseHandle(std::vector<WindowHandle>& handles, WindowHandle window) {
  std::erase(handles, window);
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Call& call) {
  out << KindName(call.kind) << "(0x" << std::hex << call.window << std::dec << ", "
      << call.argument;
  if (call.wparam != 0 || call.lparam != 0) out << ", " << call.wparam << ", " << call.lparam;
  return out << ")";
}

WindowHandle SimDesktop::Open(WindowSpec state) { return Insert(NewHandle(), 0, std::move(state)); }

WindowHandle SimDesktop::OpenChild(WindowHandle parent, WindowSpec state) {
  assert(Exists(parent));
  return Insert(NewHandle(), parent, std::move(state));
}

// Like the window system, never hands out a handle again soon after its
// window was destroyed, so a stale handle cannot name a new window.
WindowHandle SimDesktop::NewHandle() {
  do next_handle_ += 2;
  while (windows_.contains(next_handle_));
  return next_handle_;
}

WindowHandle SimDesktop::OpenWithHandle(WindowHandle handle, WindowSpec state) {
  assert(handle != 0 && !Exists(handle));
  return Insert(handle, 0, std::move(state));
}

WindowHandle SimDesktop::Insert(WindowHandle handle, WindowHandle parent, WindowSpec state) {
  windows_[handle] = SimWindow{std::move(state), parent, {}};
  auto& siblings = parent == 0 ? z_order_ : windows_.at(parent).children;
  siblings.insert(siblings.begin(), handle);
  return handle;
}

void SimDesktop::Destroy(WindowHandle window) {
  auto found = windows_.find(window);
  if (found == windows_.end()) return;
  const std::vector<WindowHandle> children = found->second.children;
  for (WindowHandle child : children) Destroy(child);
  const WindowHandle parent = found->second.parent;
  EraseHandle(parent == 0 ? z_order_ : windows_.at(parent).children, window);
  windows_.erase(window);
}

WindowSpec& SimDesktop::Window(WindowHandle window) { return windows_.at(window).state; }

void SimDesktop::PressKey(std::int32_t virtual_key) {
  keys_down_.insert(virtual_key);
  keys_pressed_.insert(virtual_key);
}

void SimDesktop::ReleaseKey(std::int32_t virtual_key) { keys_down_.erase(virtual_key); }

std::vector<Call> SimDesktop::CallsOf(CallKind kind) const {
  std::vector<Call> found;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(found),
               [kind](const Call& call) { return call.kind == kind; });
  return found;
}

std::vector<Call> SimDesktop::CallsTo(WindowHandle window) const {
  std::vector<Call> found;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(found), [window](const Call& call) {
    return call.window == window && ActsOnWindow(call.kind);
  });
  return found;
}

void SimDesktop::Record(CallKind kind, WindowHandle window, std::int64_t argument) {
  calls_.push_back({kind, window, argument});
}

void SimDesktop::EnumWindows(const EnumCallback& callback) {
  Record(CallKind::kEnumWindows);
  // Like the real enumeration, walk a snapshot: windows that the callback
  // destroys are still offered and then read as gone.
  const std::vector<WindowHandle> snapshot = z_order_;
  for (WindowHandle window : snapshot) {
    if (!callback(window)) break;
  }
}

const WindowSpec* SimDesktop::Find(WindowHandle window) const {
  auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second.state;
}

std::string SimDesktop::ClassName(WindowHandle window, int max_count) {
  Record(CallKind::kClassName, window);
  const WindowSpec* state = Find(window);
  return state ? CutWindowText(Utf8ToUtf16(state->class_name), max_count) : std::string();
}

std::string SimDesktop::WindowText(WindowHandle window, int max_count) {
  Record(CallKind::kWindowText, window);
  const WindowSpec* state = Find(window);
  return state ? CutWindowText(Utf8ToUtf16(state->title), max_count) : std::string();
}

std::uint32_t SimDesktop::Style(WindowHandle window) {
  Record(CallKind::kStyle, window);
  const WindowSpec* state = Find(window);
  if (state == nullptr) return 0;
  return (state->style & ~kWsVisible) | (state->visible ? kWsVisible : 0);
}

std::uint32_t SimDesktop::ExStyle(WindowHandle window) {
  Record(CallKind::kExStyle, window);
  const WindowSpec* state = Find(window);
  return state ? state->ex_style : 0;
}

WindowHandle SimDesktop::Owner(WindowHandle window) {
  Record(CallKind::kOwner, window);
  const WindowSpec* state = Find(window);
  return state ? state->owner : 0;
}

// Process ids are multiples of 4, as on Windows, and never 0.
std::uint32_t SimDesktop::ProcessId(WindowHandle window) {
  Record(CallKind::kProcessId, window);
  const WindowSpec* state = Find(window);
  if (state == nullptr) return 0;
  auto found = std::find(programs_.begin(), programs_.end(), state->program);
  if (found == programs_.end()) found = programs_.insert(programs_.end(), state->program);
  return static_cast<std::uint32_t>(found - programs_.begin() + 1) * 4;
}

std::optional<std::string> SimDesktop::ProcessImageName(std::uint32_t process_id) {
  Record(CallKind::kProcessImageName, 0, process_id);
  const std::size_t index = process_id / 4;
  if (process_id % 4 != 0 || index == 0 || index > programs_.size()) return std::nullopt;
  return programs_[index - 1];
}

void SimDesktop::EnableWindow(WindowHandle window, bool enable) {
  Record(CallKind::kEnableWindow, window, enable ? 1 : 0);
  if (auto found = windows_.find(window); found != windows_.end()) {
    found->second.state.enabled = enable;
  }
}

void SimDesktop::PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                             std::intptr_t lparam) {
  calls_.push_back({CallKind::kPostMessage, window, message, wparam, lparam});
  auto found = windows_.find(window);
  if (found != windows_.end() && message == kWmClose && found->second.state.closes_on_wm_close) {
    Destroy(window);
  }
}

std::int16_t SimDesktop::AsyncKeyState(std::int32_t virtual_key) {
  Record(CallKind::kAsyncKeyState, 0, virtual_key);
  std::uint16_t state = 0;
  if (keys_down_.contains(virtual_key)) state |= 0x8000;
  if (keys_pressed_.erase(virtual_key) != 0) state |= 0x0001;
  return static_cast<std::int16_t>(state);
}

Point SimDesktop::CursorPos() {
  Record(CallKind::kCursorPos);
  return cursor_;
}

WindowHandle SimDesktop::InnermostAt(WindowHandle window, Point point) const {
  for (WindowHandle child : windows_.at(window).children) {
    const WindowSpec& state = windows_.at(child).state;
    if (state.visible && state.rect.Contains(point)) return InnermostAt(child, point);
  }
  return window;
}

WindowHandle SimDesktop::WindowFromPoint(Point point) {
  Record(CallKind::kWindowFromPoint);
  for (WindowHandle window : z_order_) {
    const WindowSpec& state = windows_.at(window).state;
    if (state.visible && state.rect.Contains(point)) return InnermostAt(window, point);
  }
  return 0;
}

void SimDesktop::MakeTopMost(WindowHandle window) {
  Record(CallKind::kMakeTopMost, window);
  if (!Exists(window) || windows_.at(window).parent != 0) return;
  EraseHandle(z_order_, window);
  z_order_.insert(z_order_.begin(), window);
}

bool SimDesktop::NotifyIcon(NotifyIconAction action, const TrayIconRecord& record) {
  Record(CallKind::kNotifyIcon, record.hWnd, static_cast<std::int64_t>(action));
  const bool shown = tray_icon_.has_value();
  switch (action) {
    case NotifyIconAction::kAdd:
      if (shown) return false;
      // The Shell starts every icon it adds at version 0.
      tray_icon_ = record;
      tray_icon_->uVersion = 0;
      return !add_reports_failure;
    case NotifyIconAction::kModify:
      // A change keeps the version the icon has.
      if (shown) {
        const std::uint32_t version = tray_icon_->uVersion;
        tray_icon_ = record;
        tray_icon_->uVersion = version;
      }
      return shown;
    case NotifyIconAction::kSetVersion:
      if (shown) tray_icon_->uVersion = record.uVersion;
      return shown;
    case NotifyIconAction::kDelete:
      tray_icon_.reset();
      return true;
  }
  return false;
}

}  // namespace velmora::sim
