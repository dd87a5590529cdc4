// The process-wide tables and settings, and the records they hold. The
// application owns one Module1 and passes it by reference, so a test starts
// from a fresh one. Only data lives here: the scan, the keep list and the
// shell, which work on these tables, all sit above it.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/window_system.h"

namespace velmora {

// One listed window. An empty entry has handle 0 and an empty title.
struct WindowEntry {
  std::string title;
  WindowHandle handle = 0;

  void Clear() {
    title.clear();
    handle = 0;
  }
};

// The listed part of a packed table: from entry 0 up to the first zero handle
// or the end of the table, whichever comes first.
template <std::size_t N>
std::span<const WindowEntry> Listed(const std::array<WindowEntry, N>& table) {
  std::size_t count = 0;
  while (count < N && table[count].handle != 0) ++count;
  return {table.data(), count};
}

inline constexpr int kScanTableSize = 101;

// The windows of the latest fresh scan, in enumeration order, packed from
// entry 0; readers stop at the first zero handle or after the last entry.
struct ScanTables {
  std::array<WindowEntry, kScanTableSize> ScanTable{};
  std::int16_t ScanCount = 0;
};

inline constexpr int kKeepTableSize = 301;
// Captures use slots 0 to 299 only, so KeepIndex always ends at a zero handle
// inside the table (its entry 300 stays empty).
inline constexpr int kKeepSlotsUsed = 300;

// The keep list: captures go into KeepSlots in ring order; KeepIndex is the
// packed list of their handles that the sweep and the keep-list window read.
struct KeepStore {
  std::array<WindowEntry, kKeepTableSize> KeepSlots{};
  std::int16_t KeepCursor = 0;
  std::array<WindowEntry, kKeepTableSize> KeepIndex{};
};

inline bool ContainsHandle(std::span<const WindowEntry> entries, WindowHandle window) {
  return std::any_of(entries.begin(), entries.end(),
                     [window](const WindowEntry& entry) { return entry.handle == window; });
}

// The sweep's question: is the window's handle on the packed list? It lives
// beside the tables, so that the sweep reads the keep list without reaching
// up into the procedures that fill it.
inline bool IsKept(const KeepStore& store, WindowHandle window) {
  return ContainsHandle(Listed(store.KeepIndex), window);
}

inline constexpr std::int16_t kDefaultPassCount = 10;
inline constexpr std::int32_t kDefaultCaptureKey = 120;  // F9

// The capture key as the user sees it: 1 for F1 to 12 for F12.
inline int CaptureKeyNumber(std::int32_t capture_key) { return capture_key - (kVkF1 - 1); }

struct Module1 {
  ScanTables scan;
  KeepStore keep;
  // Number of sweep passes, shown to the user as seconds. Negative values can
  // be typed and give runs without passes.
  std::int16_t PassCount = kDefaultPassCount;
  // Virtual-key code of the capture key, F1 to F12.
  std::int32_t CaptureKey = kDefaultCaptureKey;
  bool Busy = false;
  TrayIconRecord TrayIconData;
  // Set once the main form is unloaded, whatever the cause ("Quitter", a
  // close from another program, the end of the session): a run in progress
  // abandons its remaining passes, since nothing could show or stop it.
  bool Quitting = false;
};

}  // namespace velmora
