#include "sweep/scan.h"

#include <algorithm>

namespace velmora {

bool ContainsHandle(std::span<const WindowEntry> entries, WindowHandle window) {
  return std::any_of(entries.begin(), entries.end(),
                     [window](const WindowEntry& entry) { return entry.handle == window; });
}

// Once the table is full, later windows are skipped unexamined while the
// enumeration runs on to its end: the sweep then closes the first 101 windows
// and catches the rest at later passes, as they make room.
std::int32_t AcceptWindow(ScanTables& tables, WindowSystem& desktop, ProgramNames& programs,
                          WindowHandle window, std::int32_t /*ignored*/) {
  if (tables.ScanCount >= kScanTableSize) return 1;
  if (auto title = QualifyWindow(desktop, window, DialogBoxes::kCounted, programs)) {
    WindowEntry& entry = tables.ScanTable[static_cast<std::size_t>(tables.ScanCount)];
    entry.handle = window;
    entry.title = std::move(*title);
    ++tables.ScanCount;
  }
  return 1;
}

std::int32_t AcceptWindow(ScanTables& tables, WindowSystem& desktop, WindowHandle window,
                          std::int32_t ignored) {
  ProgramNames programs;
  return AcceptWindow(tables, desktop, programs, window, ignored);
}

void ScanBrowserWindows(ScanTables& tables, WindowSystem& desktop) {
  ProgramNames programs;
  desktop.EnumWindows([&](WindowHandle window) {
    return AcceptWindow(tables, desktop, programs, window, 0) != 0;
  });
}

void FenEnCours(ScanTables& tables, WindowSystem& desktop) {
  for (WindowEntry& entry : tables.ScanTable) entry.Clear();
  tables.ScanCount = 0;
  ScanBrowserWindows(tables, desktop);
}

}  // namespace velmora
