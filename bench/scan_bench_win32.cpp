// The cost of a fresh scan on a crowded desktop, next to the least that any
// scan must pay: one EnumWindows walk reading every window's class name.
// The windows belong to copies of winhelper.exe in other processes, as a
// browser's would. 200 of them are visible, captioned "Chrome_WidgetWin_1"
// frames in five processes, two named as browsers and three as programs
// that borrow the class; 100 windows qualify (80 of those frames and 20 of
// the older classes) and the rest are decoys. A scan reads a title only once
// the class has qualified, and a process's name once per scan, so the two
// should stay close.
//
// Usage: scan_bench_win32 [MOST-WINDOWS]
// measures only the desktops of at most MOST-WINDOWS windows when given (the
// short check in the tests measures the smallest). Prints one line per
// desktop, for scripts/bench to put in its table:
//   scan <windows> <scan ms> <enum+class ms> <top-level windows> <listed>
//        <process look-ups per scan> <processes with Chromium-class frames>
// with the medians of the two times.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/win32_window_system.h"
#include "sweep/scan.h"
#include "tests/win32/forwarding_desktop.h"
#include "tools/winhelper/winhelper_client.h"

namespace velmora::bench {
namespace {

using Milliseconds = std::chrono::duration<double, std::milli>;
using winhelper::HelperProcess;

constexpr int kQualifying = 100;
constexpr int kFramesPerProgram = 40;
// The programs that own the Chromium-class frames: the first two are
// browsers, whose frames qualify; the others' frames must not.
constexpr const wchar_t* kChromiumClassPrograms[] = {L"chrome.exe", L"msedge.exe", L"Code.exe",
                                                     L"slack.exe", L"Discord.exe"};
constexpr int kBrowserPrograms = 2;
constexpr int kChromiumClassFrames =
    kFramesPerProgram * static_cast<int>(std::size(kChromiumClassPrograms));
constexpr int kOlderClassesQualifying = kQualifying - kFramesPerProgram * kBrowserPrograms;

const HelperProcess::Options kSlowStart{.ready_timeout = std::chrono::minutes(2),
                                        .lifetime = std::chrono::minutes(5)};

struct Desktop {
  int windows;
  int rounds;
};

// 20 qualifying windows of the four older classes, and decoys: mostly
// windows of unrelated classes, some with the Netscape class family's
// near-miss prefix.
std::vector<std::string> DescribeOlderClasses(int windows) {
  const int decoys = windows - kOlderClassesQualifying;
  const int near_misses = decoys / 10;
  return {
      "name=ie{i};class=IEFrame;title=Page {i} - Internet Explorer;hidden;count=8",
      "name=opera{i};class=BLDOPERA;title=Page {i} - Opera;hidden;count=6",
      "name=netscape{i};class=Afx:400000:b:1;title=Page {i} - Netscape;hidden;count=4",
      "name=dialog{i};class=#32770;title=Erreur {i};hidden;count=2",
      "name=decoy{i};class=Decoy;title=Document {i};hidden;count=" +
          std::to_string(decoys - near_misses),
      "name=near{i};class=Afx:400000:c:1;title=Page {i} - Netscape;hidden;count=" +
          std::to_string(near_misses),
  };
}

std::vector<std::unique_ptr<HelperProcess>> OpenDesktop(int windows) {
  std::vector<std::unique_ptr<HelperProcess>> helpers;
  helpers.push_back(std::make_unique<HelperProcess>(
      DescribeOlderClasses(windows - kChromiumClassFrames), kSlowStart));
  for (const wchar_t* program : kChromiumClassPrograms) {
    HelperProcess::Options options = kSlowStart;
    options.program = program;
    helpers.push_back(std::make_unique<HelperProcess>(
        std::vector<std::string>{"name=frame{i};class=Chrome_WidgetWin_1;title=Page {i};count=" +
                                 std::to_string(kFramesPerProgram)},
        options));
  }
  return helpers;
}

BOOL CALLBACK ReadClassName(HWND window, LPARAM count_address) {
  wchar_t class_name[kClassNameBufferSize];
  ::GetClassNameW(window, class_name, kClassNameBufferSize);
  ++*reinterpret_cast<int*>(count_address);
  return TRUE;
}

template <typename Work>
Milliseconds Time(Work work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::steady_clock::now() - start;
}

Milliseconds Median(std::vector<Milliseconds> samples) {
  const auto middle = samples.begin() + static_cast<std::ptrdiff_t>(samples.size() / 2);
  std::nth_element(samples.begin(), middle, samples.end());
  return *middle;
}

void Measure(const Desktop& desktop) {
  const auto helpers = OpenDesktop(desktop.windows);
  win32::Win32WindowSystem system;
  ScanTables tables;
  int top_level = 0;
  std::vector<Milliseconds> scans;
  std::vector<Milliseconds> bare_walks;
  // Alternating the two spreads any drift of the machine over both alike.
  for (int round = 0; round < desktop.rounds; ++round) {
    scans.push_back(Time([&] { FenEnCours(tables, system); }));
    top_level = 0;
    bare_walks.push_back(
        Time([&] { ::EnumWindows(&ReadClassName, reinterpret_cast<LPARAM>(&top_level)); }));
  }
  // Counted apart from the timed scans, which go straight to the window system.
  testing::LookUpCountingDesktop counting;
  FenEnCours(tables, counting);
  const Milliseconds scan = Median(scans);
  const Milliseconds bare = Median(bare_walks);
  std::printf("scan %d %.3f %.3f %d %d %d %d\n", desktop.windows, scan.count(), bare.count(),
              top_level, static_cast<int>(tables.ScanCount), counting.look_ups(),
              static_cast<int>(std::size(kChromiumClassPrograms)));
}

}  // namespace
}  // namespace velmora::bench

int main(int argc, char** argv) {
  const int most_windows = argc > 1 ? std::atoi(argv[1]) : std::numeric_limits<int>::max();
  for (const velmora::bench::Desktop desktop : {velmora::bench::Desktop{1000, 51},
                                                velmora::bench::Desktop{5000, 15}}) {
    if (desktop.windows <= most_windows) velmora::bench::Measure(desktop);
  }
  return 0;
}
