#include "platform/win32/win32_event_pump.h"

#include <windows.h>

#include <algorithm>

namespace velmora::win32 {
namespace {

// The longest wait the message wait takes; INFINITE itself is one more.
constexpr auto kLongestWait = std::chrono::milliseconds(INFINITE - 1);

DWORD WaitMilliseconds(EventPump::Clock::duration remaining) {
  // Rounded up, so that a wait never ends just before its deadline.
  const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(remaining);
  return static_cast<DWORD>(std::min(milliseconds, kLongestWait).count());
}

}  // namespace

EventPump::Clock::time_point Win32EventPump::Now() { return Clock::now(); }

void Win32EventPump::WaitForEvents(Clock::time_point deadline) {
  const auto remaining = deadline - Now();
  if (remaining <= Clock::duration::zero()) return;
  const DWORD wake_mask = quit_pending_ ? QS_SENDMESSAGE : QS_ALLINPUT;
  const DWORD flags = quit_pending_ ? 0 : MWMO_INPUTAVAILABLE;
  ::MsgWaitForMultipleObjectsEx(0, nullptr, WaitMilliseconds(remaining), wake_mask, flags);
}

void Win32EventPump::DoEvents() {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      quit_pending_ = true;
      return;
    }
    if (HandleDialogKeys(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

int RunMessageLoop() {
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (HandleDialogKeys(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

bool HandleDialogKeys(MSG& message) {
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
  const HWND form = ::GetAncestor(message.hwnd, GA_ROOT);
  return form != nullptr && ::IsDialogMessageW(form, &message);
}

}  // namespace velmora::win32
