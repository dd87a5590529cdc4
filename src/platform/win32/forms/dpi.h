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

// Twips to pixels, rounded to the nearest pixel.
int TwipsToPixels(int twips, UINT dpi);

// The outer size of a window whose client area is the given size at `dpi`.
SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD ex_style, UINT dpi);

// The system's message font (the one dialog boxes and message boxes use), at
// `dpi`.
LOGFONTW MessageFont(UINT dpi);

// The size of a small icon (window captions, the notification area) at `dpi`.
int SmallIconSize(UINT dpi);
int LargeIconSize(UINT dpi);

}  // namespace velmora::win32
