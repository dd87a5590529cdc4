// Putting the window under the pointer on the keep list when the user presses
// the capture key: one tick of the keep-list window's polling timer.
#pragma once

#include <cstdint>

#include "keeplist/keep_store.h"

namespace velmora {

enum class CaptureResult {
  kNoKeyPress,
  kNotQualified,  // nothing capturable under the pointer, a dialog box included
  kAlreadyKept,   // its title refreshed and the list redisplayed
  kCaptured,
};

// Qualifies the window (dialog boxes never count) and keeps it if it is not
// kept already.
CaptureResult CaptureIfQualified(KeepStore& store, const KeepListContext& context,
                                 WindowHandle window);

// Reads the capture key; on a press, or a press since the previous tick,
// captures the innermost window under the pointer.
CaptureResult CaptureTick(KeepStore& store, const KeepListContext& context,
                          std::int32_t capture_key);

}  // namespace velmora
