#include "platform/win32/win32_window_system.h"

#include <shellapi.h>

#include <algorithm>
#include <exception>
#include <iterator>
#include <string>

#include "platform/text.h"
#include "platform/win32/unique_handle.h"

namespace velmora::win32 {
namespace {

// How long a window that is to change its enabled state may take to answer.
constexpr UINT kAnswerTimeoutMs = 200;
// The longest path Windows hands out, in UTF-16 units with the NUL.
constexpr DWORD kLongestPath = 32768;

struct EnumState {
  const WindowSystem::EnumCallback& callback;
  std::exception_ptr failure;
};

// An exception must not unwind through the window system's own frames, so it
// ends the walk here and is raised again once EnumWindows has returned.
BOOL CALLBACK EnumTrampoline(HWND window, LPARAM state_address) {
  auto& state = *reinterpret_cast<EnumState*>(state_address);
  try {
    return state.callback(ToWindowHandle(window)) ? TRUE : FALSE;
  } catch (...) {
    state.failure = std::current_exception();
    return FALSE;
  }
}

// Reads one unit more than the caller's limit, so that CutWindowText can see
// whether the limit falls inside a surrogate pair and drop the pair whole.
template <typename ReadCall>
std::string ReadText(ReadCall read, HWND window, int max_count) {
  if (max_count <= 0) return {};
  std::wstring buffer(static_cast<std::size_t>(max_count) + 1, L'\0');
  const int length = std::max(read(window, buffer.data(), max_count + 1), 0);
  const std::u16string units(buffer.begin(), buffer.begin() + length);
  return CutWindowText(units, max_count);
}

// Changing a window's enabled state sends it WM_ENABLE and waits for the
// answer; a program that has stopped pumping messages would hold us forever.
bool AnswersPromptly(HWND window) {
  DWORD_PTR ignored = 0;
  return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG,
                               kAnswerTimeoutMs, &ignored) != 0;
}

DWORD ToNotifyMessage(NotifyIconAction action) {
  switch (action) {
    case NotifyIconAction::kAdd:
      return NIM_ADD;
    case NotifyIconAction::kModify:
      return NIM_MODIFY;
    case NotifyIconAction::kDelete:
      return NIM_DELETE;
    case NotifyIconAction::kSetVersion:
      return NIM_SETVERSION;
  }
  return NIM_MODIFY;
}

}  // namespace

void Win32WindowSystem::EnumWindows(const EnumCallback& callback) {
  EnumState state{callback, nullptr};
  ::EnumWindows(&EnumTrampoline, reinterpret_cast<LPARAM>(&state));
  if (state.failure) std::rethrow_exception(state.failure);
}

std::string Win32WindowSystem::ClassName(WindowHandle window, int max_count) {
  return ReadText(&::GetClassNameW, ToHwnd(window), max_count);
}

std::string Win32WindowSystem::WindowText(WindowHandle window, int max_count) {
  return ReadText(&::GetWindowTextW, ToHwnd(window), max_count);
}

std::uint32_t Win32WindowSystem::Style(WindowHandle window) {
  return static_cast<std::uint32_t>(::GetWindowLongW(ToHwnd(window), GWL_STYLE));
}

std::uint32_t Win32WindowSystem::ExStyle(WindowHandle window) {
  return static_cast<std::uint32_t>(::GetWindowLongW(ToHwnd(window), GWL_EXSTYLE));
}

WindowHandle Win32WindowSystem::Owner(WindowHandle window) {
  return ToWindowHandle(::GetWindow(ToHwnd(window), GW_OWNER));
}

std::uint32_t Win32WindowSystem::ProcessId(WindowHandle window) {
  DWORD process_id = 0;
  ::GetWindowThreadProcessId(ToHwnd(window), &process_id);
  return process_id;
}

// The least access that reads an image name, which Windows grants even for
// most processes of other users and of higher integrity; the handle is
// closed as soon as the name is read.
std::optional<std::string> Win32WindowSystem::ProcessImageName(std::uint32_t process_id) {
  const UniqueKernelHandle process(
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
  if (!process) return std::nullopt;
  std::wstring path(kLongestPath, L'\0');
  DWORD length = kLongestPath;
  if (!::QueryFullProcessImageNameW(process.get(), 0, path.data(), &length)) return std::nullopt;
  return Utf16ToUtf8(std::u16string(path.begin(), path.begin() + length));
}

// A window that does not answer keeps its state; the sweep's next pass tries
// again, and the close messages are posted either way. A window already in
// the wanted state is left alone: Wine asks the window's thread to set the
// style even then, which would wait forever on a hung program.
void Win32WindowSystem::EnableWindow(WindowHandle window, bool enable) {
  const HWND hwnd = ToHwnd(window);
  const bool enabled = ::IsWindowEnabled(hwnd) != FALSE;
  if (enabled == enable || !AnswersPromptly(hwnd)) return;
  ::EnableWindow(hwnd, enable ? TRUE : FALSE);
}

void Win32WindowSystem::PostMessage(WindowHandle window, std::uint32_t message,
                                    std::uintptr_t wparam, std::intptr_t lparam) {
  ::PostMessageW(ToHwnd(window), message, wparam, lparam);
}

std::int16_t Win32WindowSystem::AsyncKeyState(std::int32_t virtual_key) {
  return ::GetAsyncKeyState(virtual_key);
}

Point Win32WindowSystem::CursorPos() {
  POINT point{};
  ::GetCursorPos(&point);
  return {point.x, point.y};
}

WindowHandle Win32WindowSystem::WindowFromPoint(Point point) {
  return ToWindowHandle(::WindowFromPoint(POINT{point.x, point.y}));
}

void Win32WindowSystem::MakeTopMost(WindowHandle window) {
  ::SetWindowPos(ToHwnd(window), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool Win32WindowSystem::NotifyIcon(NotifyIconAction action, const TrayIconRecord& record) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = ToHwnd(record.hWnd);
  data.uID = record.uID;
  data.uFlags = record.uFlags;
  data.uCallbackMessage = record.uCallbackMessage;
  data.hIcon = ToHicon(record.hIcon);
  // The tip is cut, never a surrogate pair halved, to the field less its NUL.
  constexpr int kTipUnits = static_cast<int>(std::size(NOTIFYICONDATAW{}.szTip));
  const std::u16string tip = Utf8ToUtf16(CutWindowText(Utf8ToUtf16(record.szTip), kTipUnits));
  std::copy(tip.begin(), tip.end(), data.szTip);
  // Read by NIM_SETVERSION alone; the other actions ignore it without NIF_INFO.
  data.uVersion = record.uVersion;
  return ::Shell_NotifyIconW(ToNotifyMessage(action), &data) != FALSE;
}

}  // namespace velmora::win32
