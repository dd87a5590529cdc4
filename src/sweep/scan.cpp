#include "sweep/scan.h"

namespace velmora {

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
