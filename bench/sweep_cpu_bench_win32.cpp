// How much processor time a sweep run over 100 qualifying windows of another
// process takes, next to the least that any run must pay: the same passes,
// one second apart, making only the calls a pass needs (the walk, a class
// read per window, a title read, the enabled check and the two posts per
// qualifying window) straight through user32. Each bare pass is made in one
// of the run's waits, so the two alternate pass by pass. A spinning wait,
// which reads the clock and pumps messages without ever sleeping, is the
// second reference.
//
// Usage: sweep_cpu_bench_win32 LINUX-PID PASSES REPETITIONS
// LINUX-PID is this process's own process id on Linux (the id of the shell
// that executes Wine): Wine reports processor time in 10 ms ticks, too coarse
// for a run that uses a few tens of milliseconds, so the nanosecond totals are
// read from Linux's per-thread scheduler statistics instead. Each repetition
// measures the run with its bare passes, then one second of spinning, and
// prints one line for scripts/bench (the bare passes share the run's wall time):
//   sweep-cpu <run CPU s> <run wall s> <bare CPU s> <bare wall s> <spin CPU s> <spin wall s>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_window_system.h"
#include "sweep/scan.h"
#include "sweep/sweep_run.h"
#include "tests/win32/null_forms.h"
#include "tools/winhelper/winhelper_client.h"

namespace velmora::win32 {
namespace {

using Seconds = std::chrono::duration<double>;

// The processor time of every thread of the Linux process, from the first
// field of /proc/<pid>/task/<thread>/schedstat, in nanoseconds. Wine's Z:
// drive is the Linux root; the files are opened by wineserver, so /proc/self
// would name the server, hence the explicit process id.
class LinuxProcessClock {
 public:
  explicit LinuxProcessClock(std::wstring linux_pid)
      : tasks_(L"Z:\\proc\\" + std::move(linux_pid) + L"\\task\\") {}

  Seconds Now() const {
    long long nanoseconds = 0;
    WIN32_FIND_DATAW task{};
    const HANDLE first = ::FindFirstFileW((tasks_ + L"*").c_str(), &task);
    if (first == INVALID_HANDLE_VALUE) throw std::runtime_error("no such Linux process");
    const std::unique_ptr<void, decltype(&::FindClose)> search(first, &::FindClose);
    do {
      if (task.cFileName[0] != L'.') nanoseconds += ThreadNanoseconds(tasks_ + task.cFileName);
    } while (::FindNextFileW(search.get(), &task));
    return Seconds(static_cast<double>(nanoseconds) / 1e9);
  }

 private:
  static long long ThreadNanoseconds(const std::wstring& task) {
    const HANDLE opened = ::CreateFileW((task + L"\\schedstat").c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return 0;  // the thread has just ended
    const UniqueKernelHandle file(opened);
    char text[96]{};
    DWORD read = 0;
    ::ReadFile(file.get(), text, sizeof(text) - 1, &read, nullptr);
    return std::atoll(text);
  }

  std::wstring tasks_;
};

struct Share {
  Seconds cpu;
  Seconds wall;
};

Share Measure(const LinuxProcessClock& clock, const std::function<void()>& work) {
  const Seconds cpu_before = clock.Now();
  const auto wall_before = std::chrono::steady_clock::now();
  work();
  return {clock.Now() - cpu_before, std::chrono::steady_clock::now() - wall_before};
}

BOOL CALLBACK BareSweepWindow(HWND window, LPARAM) {
  wchar_t class_name[kClassNameBufferSize];
  ::GetClassNameW(window, class_name, kClassNameBufferSize);
  if (std::wcscmp(class_name, L"IEFrame") != 0) return TRUE;
  wchar_t title[kTitleMaxCount];
  ::GetWindowTextW(window, title, kTitleMaxCount);
  // Enabling an enabled window still asks its thread under Wine; the least a
  // pass can do is to look first.
  if (!::IsWindowEnabled(window)) ::EnableWindow(window, TRUE);
  ::PostMessageW(window, WM_CANCELMODE, 0, 0);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

// The run's event pump, which makes a bare pass in each of the run's
// one-second waits and keeps its processor time apart: right after the run's
// pass and right before its next one, in turn. Under a busy machine the same
// work costs up to four times the processor time from one moment to the
// next; a bare pass next to each pass of the run meets the same moment, and
// taking turns keeps either side from always finding the helper busy with
// the other's messages.
class InterleavedBarePasses final : public EventPump {
 public:
  explicit InterleavedBarePasses(const LinuxProcessClock& clock) : clock_(clock) {}

  Clock::time_point Now() override { return pump_.Now(); }
  void WaitForEvents(Clock::time_point deadline) override {
    static constexpr auto kBeforeNextPass = std::chrono::milliseconds(20);
    if (deadline != wait_deadline_) {
      wait_deadline_ = deadline;
      after_pass_ = !after_pass_;
      bare_pass_due_ = after_pass_ ? Now() : deadline - kBeforeNextPass;
      bare_pass_pending_ = true;
    }
    if (bare_pass_pending_ && Now() >= bare_pass_due_) {
      bare_pass_pending_ = false;
      const Seconds before = clock_.Now();
      ::EnumWindows(&BareSweepWindow, 0);
      bare_cpu_ += clock_.Now() - before;
    }
    pump_.WaitForEvents(bare_pass_pending_ ? bare_pass_due_ : deadline);
  }
  void DoEvents() override { pump_.DoEvents(); }

  Seconds bare_cpu() const { return bare_cpu_; }

 private:
  const LinuxProcessClock& clock_;
  Win32EventPump pump_;
  Clock::time_point wait_deadline_{};
  Clock::time_point bare_pass_due_{};
  bool bare_pass_pending_ = false;
  bool after_pass_ = false;
  Seconds bare_cpu_{};
};

// What a naive wait does: read the clock and dispatch messages, never sleep.
void SpinningWait(std::chrono::seconds duration) {
  const auto deadline = std::chrono::steady_clock::now() + duration;
  MSG message{};
  while (std::chrono::steady_clock::now() < deadline) {
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
  }
}

int Run(const LinuxProcessClock& clock, int passes, int repetitions) {
  winhelper::HelperProcess helper(
      {"name=w{i};class=IEFrame;title=Page {i};ignore-close;count=100"},
      {.ready_timeout = std::chrono::seconds(30),
       .lifetime = std::chrono::seconds(30 + 15 * passes * repetitions)});
  Win32WindowSystem desktop;
  testing::NullForms forms;
  // The first walk of a desktop pays for what Wine sets up once; neither
  // side should carry it.
  ScanTables warm_up;
  FenEnCours(warm_up, desktop);
  ::EnumWindows(&BareSweepWindow, 0);
  for (int repetition = 0; repetition < repetitions; ++repetition) {
    Module1 state;
    state.PassCount = static_cast<std::int16_t>(passes);
    InterleavedBarePasses pump(clock);
    const Share both = Measure(clock, [&] { CloseInternet(state, {desktop, forms, pump}); });
    const Share spin = Measure(clock, [] { SpinningWait(std::chrono::seconds(1)); });
    std::printf("sweep-cpu %.6f %.3f %.6f %.3f %.4f %.3f\n",
                (both.cpu - pump.bare_cpu()).count(), both.wall.count(), pump.bare_cpu().count(),
                both.wall.count(), spin.cpu.count(), spin.wall.count());
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace
}  // namespace velmora::win32

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fputs("usage: sweep_cpu_bench_win32 LINUX-PID PASSES REPETITIONS\n", stderr);
    return 2;
  }
  const velmora::win32::LinuxProcessClock clock(argv[1]);
  return velmora::win32::Run(clock, std::max(_wtoi(argv[2]), 1), std::max(_wtoi(argv[3]), 1));
}
