// The cost of a fresh scan over the simulated desktop, with 100 qualifying
// windows among 1,000 and 5,000, next to a bare walk that reads every
// window's class name. Measures the core's own work, with no window system.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "sweep/scan.h"

namespace velmora::bench {
namespace {

using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr int kQualifying = 100;
constexpr int kRounds = 51;

sim::WindowSpec HiddenWindow(std::string class_name, std::string title) {
  sim::WindowSpec window;
  window.class_name = std::move(class_name);
  window.title = std::move(title);
  window.visible = false;
  return window;
}

// The qualifying windows of the four classes, then decoys: mostly unrelated
// classes, one in ten with the Netscape family's near-miss prefix.
void OpenDesktop(sim::SimDesktop& desktop, int windows) {
  const char* const kClasses[] = {"IEFrame", "BLDOPERA", "Afx:400000:b:1", "#32770"};
  for (int i = 0; i < kQualifying; ++i) {
    desktop.Open(HiddenWindow(kClasses[i % 4], "Page " + std::to_string(i) + " - Netscape"));
  }
  for (int i = kQualifying; i < windows; ++i) {
    desktop.Open(HiddenWindow(i % 10 == 0 ? "Afx:400000:c:1" : "Decoy",
                              "Document " + std::to_string(i)));
  }
}

template <typename Work>
Milliseconds Median(Work work) {
  std::vector<Milliseconds> samples;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    work();
    samples.push_back(std::chrono::steady_clock::now() - start);
  }
  std::nth_element(samples.begin(), samples.begin() + kRounds / 2, samples.end());
  return samples[kRounds / 2];
}

void Measure(int windows) {
  sim::SimDesktop desktop;
  OpenDesktop(desktop, windows);
  ScanTables tables;
  const Milliseconds scan = Median([&] {
    FenEnCours(tables, desktop);
    desktop.ClearCalls();
  });
  const Milliseconds bare = Median([&] {
    desktop.EnumWindows([&](WindowHandle window) {
      desktop.ClassName(window, kClassNameBufferSize);
      return true;
    });
    desktop.ClearCalls();
  });
  std::printf("%8d %8d %12.3f %18.3f %7.2f\n", windows, static_cast<int>(tables.ScanCount),
              scan.count(), bare.count(), scan.count() / bare.count());
}

}  // namespace
}  // namespace velmora::bench

int main() {
  std::printf("%8s %8s %12s %18s %7s\n", "windows", "listed", "scan ms", "enum+class ms",
              "ratio");
  for (const int windows : {1000, 5000}) velmora::bench::Measure(windows);
  std::printf("medians of %d rounds on the simulated desktop\n", velmora::bench::kRounds);
  return 0;
}
