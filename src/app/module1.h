// The process-wide tables and settings. The application owns one Module1 and
// passes it by reference, so a test starts from a fresh one.
#pragma once

#include <cstdint>

#include "keeplist/keep_store.h"
#include "platform/window_system.h"
#include "sweep/scan.h"

namespace velmora {

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
