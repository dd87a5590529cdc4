// The soak: the program's own main form, tray icon, sweep and forms, linked
// in as Velmora.exe links them, through thousands of sweep runs, openings and
// closings of each form, re-adds of the icon and captures into the keep list,
// then what the process holds when idle, compared with before. Velmora.exe
// has no command line and no hooks: only here does a run's one-second wait
// run on a short clock, and only here is the capture key pressed from inside.
//
//   soak_win32.exe [--short]
//
// Prints "soak <what> <idle before> <idle after> <target> <met> <method>" for
// each count, then "soak seconds <wall time>"; exits with 1 when a count
// misses its target, so that the short form is a test.
#include "platform/win32/handles.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>

#include "bench/resource_counts.h"
#include "platform/win32/forms/dpi.h"
#include "platform/win32/forms/form.h"
#include "platform/win32/win32_event_pump.h"
#include "shell/tray_shell.h"
#include "shell/win32/resource_ids.h"
#include "shell/win32/session.h"
#include "shell/win32/velmora_forms.h"
#include "state/module1.h"
#include "tests/win32/forwarding_desktop.h"
#include "tools/winhelper/winhelper_client.h"

namespace velmora::win32 {
namespace {

using namespace std::chrono_literals;

struct Plan {
  int sweep_runs;
  int form_openings;  // of each form
  int taskbar_re_adds;
  int captures;
};
constexpr Plan kFullPlan{2000, 500, 500, 5000};
constexpr Plan kShortPlan{200, 50, 50, 500};
// Enough of everything to load what the process loads once and keeps: the
// common controls' classes, cached fonts and DCs, grown heaps.
constexpr Plan kWarmUp{20, 5, 5, 100};

constexpr int kWindows = 20;

// A run's one-second wait on a clock a hundred times faster than the real
// one; the wait still sleeps in the real message wait.
class ShortClockPump final : public EventPump {
 public:
  Clock::time_point Now() override { return start_ + (real_.Now() - start_) * kSpeed; }
  void WaitForEvents(Clock::time_point deadline) override {
    real_.WaitForEvents(start_ + (deadline - start_) / kSpeed);
  }
  void DoEvents() override { real_.DoEvents(); }

 private:
  static constexpr int kSpeed = 100;
  Win32EventPump real_;
  const Clock::time_point start_ = Clock::now();
};

// The real window system, with the capture key held down over a window of
// the soak's choosing while a capture is asked for.
class CapturingDesktop final : public testing::ForwardingDesktop {
 public:
  void HoldCaptureKeyOver(WindowHandle window) { pointed_ = window; }
  void ReleaseCaptureKey() { pointed_ = 0; }

  std::int16_t AsyncKeyState(std::int32_t key) override {
    return pointed_ != 0 ? 1 : ForwardingDesktop::AsyncKeyState(key);
  }
  WindowHandle WindowFromPoint(Point point) override {
    return pointed_ != 0 ? pointed_ : ForwardingDesktop::WindowFromPoint(point);
  }

 private:
  WindowHandle pointed_ = 0;
};

// The soak's own form of that caption, whatever else runs on the desktop.
HWND FormWindow(const wchar_t* caption) {
  for (HWND window = ::FindWindowExW(nullptr, nullptr, FormsRuntime::kWindowClass, caption);
       window; window = ::FindWindowExW(nullptr, window, FormsRuntime::kWindowClass, caption)) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId()) return window;
  }
  std::fprintf(stderr, "soak: no window \"%ls\"\n", caption);
  std::exit(2);
}

class Soak {
 public:
  explicit Soak(const winhelper::HelperProcess& helper) : helper_(helper) {
    forms_.LoadMainForm();
    main_window_ = ToHwnd(forms_.MainWindow());
    state_.PassCount = 1;
    KeepNotificationAreaUp();
  }

  void Run(const Plan& plan) {
    for (int run = 0; run < plan.sweep_runs; ++run) Sweep();
    for (const auto& [form, caption] : kOpenedForms) {
      for (int opening = 0; opening < plan.form_openings; ++opening) OpenAndClose(form, caption);
    }
    for (int re_add = 0; re_add < plan.taskbar_re_adds; ++re_add) ReAddIcon();
    CaptureAndRefresh(plan.captures);
  }

  // Lets every message posted so far arrive.
  void Settle() {
    const auto deadline = EventPump::Clock::now() + 100ms;
    while (EventPump::Clock::now() < deadline) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      pump_.DoEvents();
    }
  }

  int sweep_runs() const { return sweep_runs_; }

 private:
  static constexpr std::pair<FormId, const wchar_t*> kOpenedForms[] = {
      {FormId::kForm2, L"A conserver... (F9)"},
      {FormId::kForm3, L"Configuration"},
      {FormId::kForm4, L"Velmora (V 1.0) - Torvane (18/03/2001)"}};

  // Without a desktop, Wine's notification area is a window of its own that
  // hides when its last icon goes and shows again with the next, each time
  // waiting 2 s for a window manager: a second icon keeps it up throughout.
  void KeepNotificationAreaUp() {
    NOTIFYICONDATAW keeper{};
    keeper.cbSize = sizeof(keeper);
    keeper.hWnd = main_window_;
    keeper.uID = kTrayIconId + 1;
    keeper.uFlags = NIF_ICON;
    keeper.hIcon = ::LoadIconW(nullptr, SystemResource(IDI_APPLICATION));
    ::Shell_NotifyIconW(NIM_ADD, &keeper);
  }

  // A double-click on the icon, as the notification area reports it.
  void Sweep() {
    ::SendMessageW(main_window_, kTrayCallbackMessage, 0, kTrayDoubleClick);
    pump_.DoEvents();
    ++sweep_runs_;
  }

  // Opened as the menu opens it, closed with the close box.
  void OpenAndClose(FormId form, const wchar_t* caption) {
    forms_.Open(form);
    pump_.DoEvents();
    ::SendMessageW(FormWindow(caption), WM_SYSCOMMAND, SC_CLOSE, 0);
    pump_.DoEvents();
  }

  // The rebuilt notification area has lost the icon, and says so.
  void ReAddIcon() {
    desktop_.NotifyIcon(NotifyIconAction::kDelete, state_.TrayIconData);
    ::SendMessageW(main_window_, taskbar_created_, 0, 0);
    pump_.DoEvents();
  }

  // Each capture takes the next helper window; the list is cleared once every
  // window has been taken, so that every capture adds an entry.
  void CaptureAndRefresh(int captures) {
    forms_.Open(FormId::kForm2);
    const HWND keep_list = FormWindow(kOpenedForms[0].second);
    const HWND refresh = ::FindWindowExW(keep_list, nullptr, L"Button", L"Rafraîchir la liste");
    const HWND clear = ::FindWindowExW(keep_list, nullptr, L"Button", L"Effacer la liste");
    const WPARAM timer = WaitForCaptureTimer(keep_list);
    for (int capture = 0; capture < captures; ++capture) {
      const std::string name = "w" + std::to_string(capture % kWindows);
      desktop_.HoldCaptureKeyOver(helper_.Window(name));
      ::SendMessageW(keep_list, WM_TIMER, timer, 0);
      desktop_.ReleaseCaptureKey();
      Click(keep_list, refresh);
      if (capture % kWindows == kWindows - 1) Click(keep_list, clear);
      pump_.DoEvents();
    }
    ::SendMessageW(keep_list, WM_SYSCOMMAND, SC_CLOSE, 0);
    pump_.DoEvents();
  }

  // What a button tells its form when clicked.
  static void Click(HWND form, HWND button) {
    ::SendMessageW(form, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
  }

  // The keep-list window's capture timer, as its first tick names it, so
  // that later ticks need not wait for their half-second.
  WPARAM WaitForCaptureTimer(HWND keep_list) {
    MSG tick{};
    const auto deadline = EventPump::Clock::now() + 5s;
    while (!::PeekMessageW(&tick, keep_list, WM_TIMER, WM_TIMER, PM_REMOVE)) {
      if (EventPump::Clock::now() > deadline) {
        std::fprintf(stderr, "soak: the keep-list window's timer never ticked\n");
        std::exit(2);
      }
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_TIMER);
    }
    ::DispatchMessageW(&tick);
    return tick.wParam;
  }

  const winhelper::HelperProcess& helper_;
  Module1 state_;
  CapturingDesktop desktop_;
  ShortClockPump pump_;
  FormsRuntime runtime_{::GetModuleHandleW(nullptr), kEyeIcon};
  Win32Session session_;
  VelmoraForms forms_{runtime_, state_, desktop_, pump_, session_};
  HWND main_window_ = nullptr;
  const UINT taskbar_created_ = ::RegisterWindowMessageW(L"TaskbarCreated");
  int sweep_runs_ = 0;
};

// Every WM_CLOSE that the helper's windows logged: one per window and run.
long ClosesLogged(const winhelper::HelperProcess& helper) {
  long closes = 0;
  for (const auto& line : helper.ReadLog()) closes += line.event == "WM_CLOSE" ? 1 : 0;
  return closes;
}

// How far an idle count may end from where it began.
struct Target {
  std::int64_t fewer;
  std::int64_t more;
  const char* text;
};
constexpr Target kSame{0, 0, "="};
constexpr Target kKernelHandles{2, 2, "+-2"};
// Memory given back is no leak.
constexpr Target kPrivateBytes{INT64_MAX / 2, 64 * 1024, "<=+65536"};

bool Report(std::string_view what, const bench::Count& before, const bench::Count& after,
            const Target& target) {
  const bool met =
      after.value >= before.value - target.fewer && after.value <= before.value + target.more;
  std::printf("soak %.*s %lld %lld %s %s %s\n", static_cast<int>(what.size()), what.data(),
              static_cast<long long>(before.value), static_cast<long long>(after.value),
              target.text, met ? "yes" : "no", after.method);
  return met;
}

int Run(const Plan& plan) {
  DeclarePerMonitorDpiAwareness();
  const auto start = std::chrono::steady_clock::now();
  winhelper::HelperProcess helper(
      {"name=w{i};class=IEFrame;title=Page {i};hidden;ignore-close;count=20"},
      {.ready_timeout = 30s, .lifetime = 2h});
  // A Chromium frame: every scan then looks its process up, so that the
  // process handles it opens are counted too.
  winhelper::HelperProcess browser({"name=frame;class=Chrome_WidgetWin_1;title=Page;ignore-close"},
                                   {.ready_timeout = 30s, .lifetime = 2h, .program = L"chrome.exe"});
  Soak soak(helper);
  soak.Run(kWarmUp);
  soak.Settle();
  const bench::Resources before = bench::CountResources();
  soak.Run(plan);
  soak.Settle();
  const bench::Resources after = bench::CountResources();
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;

  std::printf("soak plan %d %d %d %d\n", plan.sweep_runs, plan.form_openings,
              plan.taskbar_re_adds, plan.captures);
  bool met = Report("gdi-objects", before.gdi_objects, after.gdi_objects, kSame);
  met &= Report("user-objects", before.user_objects, after.user_objects, kSame);
  met &= Report("kernel-handles", before.kernel_handles, after.kernel_handles, kKernelHandles);
  met &= Report("private-bytes", before.private_bytes, after.private_bytes, kPrivateBytes);
  const long closes = ClosesLogged(helper) + ClosesLogged(browser);
  const long expected_closes = static_cast<long>(soak.sweep_runs()) * (kWindows + 1);
  std::printf("soak closes %ld of %ld\n", closes, expected_closes);
  std::printf("soak seconds %.1f\n", seconds.count());
  met &= closes == expected_closes;
  return met ? 0 : 1;
}

}  // namespace
}  // namespace velmora::win32

int main(int argc, char** argv) {
  const bool short_form = argc == 2 && std::string_view(argv[1]) == "--short";
  return velmora::win32::Run(short_form ? velmora::win32::kShortPlan
                                        : velmora::win32::kFullPlan);
}
