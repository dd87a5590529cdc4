// The browser window scan: which top-level windows a sweep may close.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/window_system.h"
#include "state/module1.h"

namespace velmora {

bool ContainsHandle(std::span<const WindowEntry> entries, WindowHandle window);

inline constexpr int kClassNameBufferSize = 128;
// Room for 118 characters of title and a terminating NUL.
inline constexpr int kTitleMaxCount = 119;

// Whether the dialog-box class counts: the sweep closes titled dialogs, but a
// dialog can never be put on the keep list.
enum class DialogBoxes { kCounted, kNotCounted };

// The class half of the window rule; exact, case-sensitive comparisons.
bool ClassQualifies(std::string_view class_name, DialogBoxes dialogs);
// The title half, applied once the class has qualified.
bool TitleQualifies(std::string_view class_name, std::string_view clean_title);

// The window's text, cut to 118 characters, NULs removed, spaces trimmed at
// both ends (tabs and other white space stay).
std::string GetCleanTitle(WindowSystem& desktop, WindowHandle window);

// The window rule. Returns the clean title when the window qualifies. The
// title is read only after the class has qualified, which keeps a scan of a
// crowded desktop at one class-name read per window.
std::optional<std::string> QualifyWindow(WindowSystem& desktop, WindowHandle window,
                                         DialogBoxes dialogs);

// The enumeration callback: lists the window if it qualifies and there is
// room. Always returns 1 so that the enumeration goes on.
std::int32_t AcceptWindow(ScanTables& tables, WindowSystem& desktop, WindowHandle window,
                          std::int32_t ignored);
// Offers every top-level window to AcceptWindow. Neither empties the table
// nor resets ScanCount: the caller does both first.
void ScanBrowserWindows(ScanTables& tables, WindowSystem& desktop);
// A fresh scan: the table emptied, ScanCount reset, every window offered.
void FenEnCours(ScanTables& tables, WindowSystem& desktop);

}  // namespace velmora
