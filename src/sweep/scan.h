// The browser window scan: which top-level windows a sweep may close.
#pragma once

#include <cstdint>

#include "platform/window_system.h"
#include "state/module1.h"
#include "sweep/window_rule.h"

namespace velmora {

// The enumeration callback: lists the window if it qualifies and there is
// room. Always returns 1 so that the enumeration goes on. `programs` holds
// the programs met so far by the scan that offers the window.
std::int32_t AcceptWindow(ScanTables& tables, WindowSystem& desktop, ProgramNames& programs,
                          WindowHandle window, std::int32_t ignored);
// Offers every top-level window to AcceptWindow, reading each program at most
// once. Neither empties the table nor resets ScanCount: the caller does both
// first.
void ScanBrowserWindows(ScanTables& tables, WindowSystem& desktop);
// A fresh scan: the table emptied, ScanCount reset, every window offered.
void FenEnCours(ScanTables& tables, WindowSystem& desktop);

}  // namespace velmora
