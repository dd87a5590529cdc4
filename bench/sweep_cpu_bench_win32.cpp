// How much processor time a 10-pass sweep run over 100 qualifying windows of
// another process takes, as a share of its wall time, next to the same figure
// for a wait that polls the clock and pumps messages without sleeping. Run
// under Wine by scripts/bench, for which it prints one line:
//   sweep-cpu <run CPU s> <run wall s> <spinning CPU s> <spinning wall s>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_window_system.h"
#include "sweep/sweep_run.h"
#include "tests/win32/null_forms.h"
#include "tools/winhelper/winhelper_client.h"

namespace velmora::win32 {
namespace {

double ProcessCpuSeconds() {
  FILETIME created{}, exited{}, kernel{}, user{};
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& time) {
    return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime) /
           1e7;
  };
  return seconds(kernel) + seconds(user);
}

struct Share {
  double cpu_seconds;
  double wall_seconds;
};

Share Measure(const std::function<void()>& work) {
  const double cpu_before = ProcessCpuSeconds();
  const auto wall_before = std::chrono::steady_clock::now();
  work();
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wall_before;
  return {ProcessCpuSeconds() - cpu_before, wall.count()};
}

// What a naive wait does: read the clock and dispatch messages, never sleep.
void SpinningWait(std::chrono::seconds duration) {
  const auto deadline = std::chrono::steady_clock::now() + duration;
  MSG message{};
  while (std::chrono::steady_clock::now() < deadline) {
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
  }
}

int Run() {
  static constexpr int kPasses = 10;
  winhelper::HelperProcess helper(
      {"name=w{i};class=IEFrame;title=Page {i};ignore-close;count=100"},
      {.ready_timeout = std::chrono::seconds(30), .lifetime = std::chrono::seconds(120)});
  Module1 state;
  state.PassCount = kPasses;
  Win32WindowSystem desktop;
  testing::NullForms forms;
  Win32EventPump pump;

  const Share run = Measure([&] { CloseInternet(state, {desktop, forms, pump}); });
  const Share spin = Measure([] { SpinningWait(std::chrono::seconds(kPasses)); });

  std::printf("sweep-cpu %.4f %.3f %.4f %.3f\n", run.cpu_seconds, run.wall_seconds,
              spin.cpu_seconds, spin.wall_seconds);
  return 0;
}

}  // namespace
}  // namespace velmora::win32

int main() { return velmora::win32::Run(); }
