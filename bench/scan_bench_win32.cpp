// The cost of a fresh scan on a crowded desktop, next to the least that any
// scan must pay: one EnumWindows walk reading every window's class name.
// The windows belong to winhelper.exe in another process, as a browser's
// would; 100 of them qualify and the rest are decoys. A scan reads a title
// only once the class has qualified, so the two should stay close.
//
// Usage: scan_bench_win32 [MOST-WINDOWS]
// measures only the desktops of at most MOST-WINDOWS windows when given (the
// short check in the tests measures the smallest). Prints one line per
// desktop, for scripts/bench to put in its table:
//   scan <windows> <scan ms> <enum+class ms> <top-level windows> <listed>
// with the medians of the two.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "platform/win32/win32_window_system.h"
#include "sweep/scan.h"
#include "tools/winhelper/winhelper_client.h"

namespace velmora::bench {
namespace {

using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr int kQualifying = 100;

struct Desktop {
  int windows;
  int rounds;
};

// 100 qualifying windows of the four classes, and decoys: mostly windows of
// unrelated classes, some with the Netscape class family's near-miss prefix.
std::vector<std::string> DescribeDesktop(int windows) {
  const int decoys = windows - kQualifying;
  const int near_misses = decoys / 10;
  return {
      "name=ie{i};class=IEFrame;title=Page {i} - Internet Explorer;hidden;count=40",
      "name=opera{i};class=BLDOPERA;title=Page {i} - Opera;hidden;count=30",
      "name=netscape{i};class=Afx:400000:b:1;title=Page {i} - Netscape;hidden;count=20",
      "name=dialog{i};class=#32770;title=Erreur {i};hidden;count=10",
      "name=decoy{i};class=Decoy;title=Document {i};hidden;count=" +
          std::to_string(decoys - near_misses),
      "name=near{i};class=Afx:400000:c:1;title=Page {i} - Netscape;hidden;count=" +
          std::to_string(near_misses),
  };
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
  const winhelper::HelperProcess helper(
      DescribeDesktop(desktop.windows),
      {.ready_timeout = std::chrono::minutes(2), .lifetime = std::chrono::minutes(5)});
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
  const Milliseconds scan = Median(scans);
  const Milliseconds bare = Median(bare_walks);
  std::printf("scan %d %.3f %.3f %d %d\n", desktop.windows, scan.count(), bare.count(), top_level,
              static_cast<int>(tables.ScanCount));
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
