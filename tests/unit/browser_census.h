// The windows that Chromium and Gecko really make on Windows, read from their
// public source: one row per window shape, with the file it comes from beside
// it. The rule's tests read this table; when a browser changes the shape of a
// window, the change goes here.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/window_system.h"

namespace velmora::census {

// The style bits that the rule does not read, as <winuser.h> defines them;
// the seam defines the others.
inline constexpr std::uint32_t kMinimize = 0x20000000;
inline constexpr std::uint32_t kDisabled = 0x08000000;
inline constexpr std::uint32_t kClipSiblings = 0x04000000;
inline constexpr std::uint32_t kClipChildren = 0x02000000;
inline constexpr std::uint32_t kMaximize = 0x01000000;
inline constexpr std::uint32_t kSysMenu = 0x00080000;
inline constexpr std::uint32_t kMaximizeBox = 0x00010000;
inline constexpr std::uint32_t kModalFrame = 0x00000080;  // DS_MODALFRAME
inline constexpr std::uint32_t kExTopMost = 0x00000008;
inline constexpr std::uint32_t kExTransparent = 0x00000020;
inline constexpr std::uint32_t kExWindowEdge = 0x00000100;
inline constexpr std::uint32_t kExNoActivate = 0x08000000;
inline constexpr std::uint32_t kOverlappedWindow =
    kWsCaption | kSysMenu | kWsThickFrame | kWsMinimizeBox | kMaximizeBox;

// Chromium's top-level windows: every Widget starts from these bits
// (ui/views/widget/widget_hwnd_utils.cc). Its class is "Chrome_WidgetWin_"
// and a number counted per distinct class style and icon
// (ui/gfx/win/window_impl.cc); the frames get 1, and the pop-ups are given
// the same class here, the worst case for the rule.
inline constexpr std::uint32_t kChromiumBase = kWsVisible | kClipChildren | kClipSiblings;
inline constexpr std::uint32_t kChromiumFrame = kChromiumBase | kOverlappedWindow;
// FullscreenHandler::ProcessFullscreen: style & ~(WS_CAPTION | WS_THICKFRAME),
// and the edge bits taken off the extended style.
inline constexpr std::uint32_t kChromiumFullscreen = kChromiumFrame & ~(kWsCaption | kWsThickFrame);
// nsWindow::WindowStyle for a top-level window; HideWindowChrome takes off
// the same bits as Chromium in fullscreen.
inline constexpr std::uint32_t kGeckoFrame = kWsVisible | kClipChildren | kOverlappedWindow;
inline constexpr std::uint32_t kGeckoFullscreen = kGeckoFrame & ~(kWsCaption | kWsThickFrame);

struct Window {
  std::string_view name;
  std::string_view class_name;
  std::string_view title;
  std::uint32_t style;
  std::uint32_t ex_style;
  // Owned by the browser's frame (GW_OWNER), as pop-ups made with a parent are.
  bool owned;
  std::string_view program;
  // Whether a sweep closes it.
  bool closed;
};

inline constexpr std::string_view kChromium = "Chrome_WidgetWin_1";
inline constexpr std::string_view kGecko = "MozillaWindowClass";

inline constexpr Window kWindows[] = {
    // --- Chromium frames: closed in every state. ---
    // widget_hwnd_utils.cc, TYPE_WINDOW; Windows adds WS_EX_WINDOWEDGE to a
    // captioned frame.
    {"ChromiumNormal", kChromium, "Nouvel onglet - Google Chrome", kChromiumFrame, kExWindowEdge,
     false, "chrome.exe", true},
    // widget_hwnd_utils.cc: WS_MAXIMIZE for show_state kMaximized.
    {"ChromiumMaximized", kChromium, "Nouvel onglet - Google Chrome", kChromiumFrame | kMaximize,
     kExWindowEdge, false, "chrome.exe", true},
    // widget_hwnd_utils.cc: WS_MINIMIZE for show_state kMinimized; still visible.
    {"ChromiumMinimized", kChromium, "Nouvel onglet - Google Chrome", kChromiumFrame | kMinimize,
     kExWindowEdge, false, "chrome.exe", true},
    // ui/views/win/fullscreen_handler.cc: F11, a fullscreen video or game.
    {"ChromiumFullscreen", kChromium, "Vidéo - YouTube - Google Chrome", kChromiumFullscreen, 0,
     false, "chrome.exe", true},
    // ui/views/win/fullscreen_handler.cc: --kiosk opens the frame in
    // fullscreen and keeps it there.
    {"ChromiumKiosk", kChromium, "Borne", kChromiumFullscreen, 0, false, "chrome.exe", true},
    // widget_hwnd_utils.cc: --app and installed web apps (PWAs) run in the
    // same TYPE_WINDOW frame of chrome.exe or msedge.exe.
    {"ChromiumApp", kChromium, "Outlook", kChromiumFrame, kExWindowEdge, false, "msedge.exe",
     true},
    // widget_hwnd_utils.cc: undocked DevTools are a browser frame of their own.
    {"ChromiumDevTools", kChromium, "DevTools - example.org/", kChromiumFrame, kExWindowEdge,
     false, "chrome.exe", true},

    // --- Chromium's frameless windows: left alone. ---
    // chrome/browser/ui/views/overlay/video_overlay_window_views.cc:
    // TYPE_WINDOW, remove_standard_frame (no minimize or maximize box),
    // kFloatingWindow (WS_EX_TOPMOST); ui/views/win/hwnd_message_handler.cc
    // OnCreate then takes WS_CAPTION off a window without a frame. Closing the
    // frame ends it anyway.
    {"ChromiumPictureInPicture", kChromium, "Picture-in-Picture", kChromiumBase | kSysMenu |
     kWsThickFrame, kExTopMost, false, "chrome.exe", false},
    // chrome/browser/ui/views/screen_capture_notification_ui_views.cc: the
    // same frameless TYPE_WINDOW, kept on top; translucent, so
    // widget_hwnd_utils.cc drops WS_THICKFRAME too.
    {"ChromiumScreenShareBar", kChromium, "chrome.exe partage votre écran.",
     kChromiumBase | kSysMenu, kExTopMost, false, "chrome.exe", false},
    // widget_hwnd_utils.cc, TYPE_MENU: WS_POPUP, WS_EX_TOOLWINDOW, owned.
    {"ChromiumMenu", kChromium, "Menu", kChromiumBase | kWsPopup, kWsExToolWindow | kExTopMost, true,
     "chrome.exe", false},
    // widget_hwnd_utils.cc, TYPE_BUBBLE: WS_POPUP, WS_EX_TOOLWINDOW, owned.
    {"ChromiumBubble", kChromium, "Enregistrer le mot de passe ?", kChromiumBase | kWsPopup,
     kWsExToolWindow, true, "chrome.exe", false},
    // widget_hwnd_utils.cc, TYPE_TOOLTIP: WS_POPUP; accept_events false gives
    // WS_EX_TRANSPARENT, kFloatingUIElement WS_EX_TOPMOST.
    {"ChromiumTooltip", kChromium, "Nouvel onglet", kChromiumBase | kWsPopup,
     kExTopMost | kExTransparent | kExNoActivate, true, "chrome.exe", false},
    // chrome/browser/ui/views/status_bubble_views.cc: TYPE_POPUP, not
    // activatable, owned by the frame.
    {"ChromiumStatusBubble", kChromium, "https://example.org/", kChromiumBase | kWsPopup,
     kWsExToolWindow | kExNoActivate, true, "chrome.exe", false},
    // ui/gl/child_window_win.cc: the hidden, disabled pop-up that parents the
    // GPU's "Intermediate D3D Window" until the frame adopts it.
    {"ChromiumGpuParent", kChromium, "GPU", (kChromiumBase & ~kWsVisible) | kWsPopup | kDisabled,
     kWsExToolWindow, false, "chrome.exe", false},

    // --- Gecko frames: closed. ---
    // widget/windows/nsWindow.cpp: WindowStyle and WindowExStyle for a
    // top-level window.
    {"GeckoMain", kGecko, "Nouvel onglet — Mozilla Firefox", kGeckoFrame, kExWindowEdge, false,
     "firefox.exe", true},
    // widget/windows/nsWindow.cpp: HideWindowChrome, from MakeFullScreen.
    {"GeckoFullscreen", kGecko, "Vidéo — Mozilla Firefox", kGeckoFullscreen, 0, false,
     "firefox.exe", true},

    // --- Gecko's other windows: left alone. ---
    // widget/windows/nsWindow.cpp: ChooseWindowClass and WindowStyle for a
    // pop-up (menus, panels, tooltips).
    {"GeckoPopup", "MozillaDropShadowWindowClass", "Menu", kWsVisible | kClipChildren | kWsPopup,
     kWsExToolWindow | kExTopMost, true, "firefox.exe", false},
    // widget/windows/nsWindow.cpp: ChooseWindowClass and WindowStyle for a
    // dialog.
    {"GeckoDialog", "MozillaDialogClass", "Gestionnaire de mots de passe",
     kWsVisible | kClipChildren | kWsCaption | kSysMenu | kModalFrame, kExWindowEdge, true,
     "firefox.exe", false},
    // widget/windows/nsWindow.cpp: the hidden window is a top-level window of
    // the main class that is never shown.
    {"GeckoHidden", kGecko, "Hidden Window", kGeckoFrame & ~kWsVisible, kExWindowEdge, false,
     "firefox.exe", false},
};

}  // namespace velmora::census
