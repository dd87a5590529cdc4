#include "platform/win32/forms/dpi.h"

#include <cstdlib>
#include <utility>

#include "platform/win32/dynamic_calls.h"

namespace velmora::win32 {
namespace {

constexpr int kTwipsPerInch = 1440;
// The 8-pt message font the layouts were drawn in: 11 pixels at 96 dpi.
constexpr int kLayoutFontPixels = 11;
// Ratios up to this many hundredths are that font rounded at another DPI.
constexpr int kSameFontPercent = 105;

// The per-monitor DPI calls of user32, null where the system lacks them.
struct DpiCalls {
  decltype(&::GetDpiForWindow) get_dpi_for_window = nullptr;
  decltype(&::SetProcessDpiAwarenessContext) set_awareness_context = nullptr;
  decltype(&::AdjustWindowRectExForDpi) adjust_window_rect_for_dpi = nullptr;
  decltype(&::SystemParametersInfoForDpi) parameters_for_dpi = nullptr;
  decltype(&::GetSystemMetricsForDpi) metrics_for_dpi = nullptr;
};

const DpiCalls& Calls() {
  static const DpiCalls calls = [] {
    DpiCalls found;
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return found;
    FindFunction(user32, "GetDpiForWindow", found.get_dpi_for_window);
    FindFunction(user32, "SetProcessDpiAwarenessContext", found.set_awareness_context);
    FindFunction(user32, "AdjustWindowRectExForDpi", found.adjust_window_rect_for_dpi);
    FindFunction(user32, "SystemParametersInfoForDpi", found.parameters_for_dpi);
    FindFunction(user32, "GetSystemMetricsForDpi", found.metrics_for_dpi);
    return found;
  }();
  return calls;
}

UINT ScreenDpi() {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

int MetricForDpi(int metric, UINT dpi) {
  if (Calls().metrics_for_dpi != nullptr) return Calls().metrics_for_dpi(metric, dpi);
  return ::MulDiv(::GetSystemMetrics(metric), static_cast<int>(dpi),
                  static_cast<int>(ScreenDpi()));
}

}  // namespace

void DeclarePerMonitorDpiAwareness() {
  if (Calls().set_awareness_context != nullptr) {
    Calls().set_awareness_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  }
}

UINT WindowDpi(HWND window) {
  if (Calls().get_dpi_for_window != nullptr && window != nullptr) {
    if (const UINT dpi = Calls().get_dpi_for_window(window); dpi != 0) return dpi;
  }
  return ScreenDpi();
}

int PixelsAtDpi(int pixels, UINT dpi) {
  return ::MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

LayoutScale ScaleForFont(const LOGFONTW& message_font, UINT dpi) {
  const int nominal = std::abs(static_cast<int>(message_font.lfHeight));
  const int drawn_for = PixelsAtDpi(kLayoutFontPixels, dpi);
  if (nominal * 100 < drawn_for * kSameFontPercent) return {};
  return {nominal, drawn_for};
}

int TwipsToPixels(int twips, UINT dpi, LayoutScale scale) {
  return ::MulDiv(twips, static_cast<int>(dpi) * scale.numerator,
                  kTwipsPerInch * scale.denominator);
}

LayoutScale ScaleToFit(LayoutScale wanted, SIZE client, UINT dpi, SIZE room) {
  const auto fits = [&](LayoutScale scale) {
    return TwipsToPixels(client.cx, dpi, scale) <= room.cx &&
           TwipsToPixels(client.cy, dpi, scale) <= room.cy;
  };
  LayoutScale scale = wanted;
  for (const auto& [twips, pixels] :
       {std::pair{client.cx, room.cx}, std::pair{client.cy, room.cy}}) {
    const int natural = TwipsToPixels(twips, dpi);
    if (natural > 0 && TwipsToPixels(twips, dpi, scale) > pixels) scale = {pixels, natural};
  }
  // Each side's ratio rounds at the other side's length too.
  while (!fits(scale) && scale.numerator > scale.denominator) --scale.numerator;
  if (scale.numerator < scale.denominator) return {};
  return scale;
}

SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD ex_style, UINT dpi) {
  RECT rect{0, 0, client.cx, client.cy};
  if (Calls().adjust_window_rect_for_dpi != nullptr) {
    Calls().adjust_window_rect_for_dpi(&rect, style, FALSE, ex_style, dpi);
  } else {
    ::AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

LOGFONTW MessageFont(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (Calls().parameters_for_dpi != nullptr &&
      Calls().parameters_for_dpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0, dpi)) {
    return metrics.lfMessageFont;
  }
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
  // Without the per-DPI call the system gives the font at the screen's DPI.
  metrics.lfMessageFont.lfHeight = ::MulDiv(metrics.lfMessageFont.lfHeight,
                                            static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
  return metrics.lfMessageFont;
}

UINT TaskbarDpi(HWND fallback) {
  // The taskbar draws at its own window's DPI, whichever monitor it is on.
  const HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
  return WindowDpi(taskbar != nullptr ? taskbar : fallback);
}

int SmallIconSize(UINT dpi) { return MetricForDpi(SM_CXSMICON, dpi); }
int LargeIconSize(UINT dpi) { return MetricForDpi(SM_CXICON, dpi); }

}  // namespace velmora::win32
