// How often Velmora's user-interface thread is woken while nobody uses it,
// counted from inside: Velmora's own forms and message loop run here as in
// Velmora.exe, and hooks on the thread count every message it retrieves and
// every message another thread sends it. The timer messages of its own forms
// are the wake-ups the program asks for (the keep-list window's capture
// timer); the rest, other windows' timers among them, are wake-ups it does
// not ask for. Wine's own work in the process (its server requests, the X
// events it handles inside the message wait) brings no message and is not
// counted, which an outside count of thread switches cannot tell apart.
// Velmora.exe itself is left as it is: no option, file or setting of its own
// serves the count. The pointer is put in a corner of the screen first, away
// from every form: a tooltip polls for as long as the pointer rests on its
// tool.
//
// Usage: idle_bench_win32 SECONDS [keep-list]
// Waits a few seconds for the forms to settle, counts for SECONDS, then ends
// the message loop and prints one line for scripts/bench:
//   wake-ups <timer messages> <other messages> <seconds>
#include "platform/win32/handles.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <thread>

#include "platform/win32/forms/dpi.h"
#include "platform/win32/forms/form.h"
#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_window_system.h"
#include "shell/win32/resource_ids.h"
#include "shell/win32/session.h"
#include "shell/win32/velmora_forms.h"
#include "state/module1.h"

namespace velmora::win32 {
namespace {

constexpr auto kSettle = std::chrono::seconds(3);

struct WakeUps {
  std::atomic<int> timer{0};
  std::atomic<int> other{0};
};

// Hook procedures receive no context of their own, so the one count they
// share lives here.
WakeUps& Counted() {
  static WakeUps wake_ups;
  return wake_ups;
}

bool IsFormTimer(const MSG& message) {
  wchar_t class_name[32];
  return message.message == WM_TIMER &&
         ::GetClassNameW(message.hwnd, class_name, ARRAYSIZE(class_name)) > 0 &&
         std::wstring_view(class_name) == FormsRuntime::kWindowClass;
}

// Called for every message GetMessage or PeekMessage returns; a peek that
// leaves the message in the queue is not a retrieval.
LRESULT CALLBACK CountRetrieved(int code, WPARAM removed, LPARAM message_address) {
  if (code == HC_ACTION && removed == PM_REMOVE) {
    ++(IsFormTimer(*reinterpret_cast<const MSG*>(message_address)) ? Counted().timer
                                                                    : Counted().other);
  }
  return ::CallNextHookEx(nullptr, code, removed, message_address);
}

// A message sent by another thread wakes this one without passing the queue.
LRESULT CALLBACK CountSent(int code, WPARAM from_this_thread, LPARAM message_address) {
  if (code == HC_ACTION && from_this_thread == 0) ++Counted().other;
  return ::CallNextHookEx(nullptr, code, from_this_thread, message_address);
}

using UniqueHook = UniqueHandle<HHOOK, &::UnhookWindowsHookEx>;

int Run(HINSTANCE instance, std::chrono::seconds counted, bool keep_list_open) {
  DeclarePerMonitorDpiAwareness();
  Module1 state;
  Win32WindowSystem desktop;
  Win32EventPump pump;
  FormsRuntime runtime(instance, kEyeIcon);
  Win32Session session;
  VelmoraForms forms(runtime, state, desktop, pump, session);
  forms.LoadMainForm();
  if (runtime.loaded_count() == 0) return 1;
  if (keep_list_open) forms.Open(FormId::kForm2);
  ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);

  const DWORD thread = ::GetCurrentThreadId();
  const UniqueHook retrieved(::SetWindowsHookExW(WH_GETMESSAGE, &CountRetrieved, nullptr, thread));
  const UniqueHook sent(::SetWindowsHookExW(WH_CALLWNDPROC, &CountSent, nullptr, thread));
  if (!retrieved || !sent) return 1;
  std::thread clock([&] {
    std::this_thread::sleep_for(kSettle);
    Counted().timer = 0;
    Counted().other = 0;
    std::this_thread::sleep_for(counted);
    std::printf("wake-ups %d %d %lld\n", Counted().timer.load(), Counted().other.load(),
                static_cast<long long>(counted.count()));
    std::fflush(stdout);
    ::PostThreadMessageW(thread, WM_QUIT, 0, 0);
  });
  RunMessageLoop();
  clock.join();
  return 0;
}

}  // namespace
}  // namespace velmora::win32

int wmain(int argc, wchar_t** argv) {
  if (argc < 2 || argc > 3 || (argc == 3 && std::wstring_view(argv[2]) != L"keep-list")) {
    std::fputs("usage: idle_bench_win32 SECONDS [keep-list]\n", stderr);
    return 2;
  }
  return velmora::win32::Run(::GetModuleHandleW(nullptr), std::chrono::seconds(_wtoi(argv[1])),
                             argc == 3);
}
