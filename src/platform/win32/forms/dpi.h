// Dots per inch and twips. The forms are laid out in twips (1440 to the inch)
// and drawn at each window's real DPI, so that they keep their size and stay
// sharp from 100 % to 200 % scaling. The per-monitor calls are looked up at
// run time: older systems and Wine versions without them still run the
// program, at the screen's DPI.
#pragma once

#include <windows.h>

namespace velmora::win32 {

inline constexpr UINT kDefaultDpi = USER_DEFAULT_SCREEN_DPI;  // 96: 15 twips to a pixel

// Asks for per-monitor DPI awareness where the system offers it. The
// manifest asks too; this covers a program started without its manifest.
void DeclarePerMonitorDpiAwareness();

// The DPI the window is drawn at: its monitor's where the system tells it,
// otherwise the screen's.
UINT WindowDpi(HWND window);

// A length of `pixels` at 96 dpi, at `dpi`, rounded to the nearest pixel.
int PixelsAtDpi(int pixels, UINT dpi);

// How much larger than the font the twips were drawn for the message font
// is: a layout grows by this ratio, as a dialog box grows with its font.
struct LayoutScale {
  int numerator = 1;
  int denominator = 1;
};

// The message font's nominal height against the 8-pt font of the layouts,
// both at `dpi`. Nominal, not measured: a face that stands in for another
// changes nothing. A ratio below 1.05 is the same 8-pt font rounded at
// another DPI, and counts as 1; a smaller font never shrinks a layout.
LayoutScale ScaleForFont(const LOGFONTW& message_font, UINT dpi);

// Twips to pixels at `dpi`, grown by `scale`, rounded to the nearest pixel.
int TwipsToPixels(int twips, UINT dpi, LayoutScale scale = {});

// The largest scale up to `wanted` at which a client area of `client`
// twips fits `room` pixels at `dpi`: a form that grew past its monitor
// would hide its caption off the screen. Never below 1, the size the form
// was drawn at.
LayoutScale ScaleToFit(LayoutScale wanted, SIZE client, UINT dpi, SIZE room);

// The outer size of a window whose client area is the given size at `dpi`.
SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD ex_style, UINT dpi);

// The system's message font (the one dialog boxes and message boxes use), at
// `dpi`.
LOGFONTW MessageFont(UINT dpi);

// The DPI the notification area draws its icons at: the taskbar's own, or
// the given window's where no taskbar is found.
UINT TaskbarDpi(HWND fallback);

// The size of a small icon (window captions, the notification area) at `dpi`.
int SmallIconSize(UINT dpi);
int LargeIconSize(UINT dpi);

}  // namespace velmora::win32
