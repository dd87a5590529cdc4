#include "keeplist/capture.h"

namespace velmora {

CaptureResult CaptureIfQualified(KeepStore& store, const KeepListContext& context,
                                 WindowHandle window) {
  auto title = QualifyWindow(context.desktop, window, DialogBoxes::kNotCounted);
  if (!title) return CaptureResult::kNotQualified;
  if (UpdateKeptTitle(store, context, window)) return CaptureResult::kAlreadyKept;
  CaptureWindow(store, context, window, std::move(*title));
  return CaptureResult::kCaptured;
}

CaptureResult CaptureTick(KeepStore& store, const KeepListContext& context,
                          std::int32_t capture_key) {
  if (context.desktop.AsyncKeyState(capture_key) == 0) return CaptureResult::kNoKeyPress;
  // Over a browser's title bar and tab strip this is the frame itself: the
  // only child windows the browsers put there, their compositors' (Chromium's
  // "Intermediate D3D Window", Gecko's MozillaCompositorWindowClass), are
  // made disabled, and WindowFromPoint passes over disabled windows.
  const WindowHandle window = context.desktop.WindowFromPoint(context.desktop.CursorPos());
  return CaptureIfQualified(store, context, window);
}

}  // namespace velmora
