// What the tests of the program's forms share: a forms runtime, fresh
// settings, the real desktop, and the text of a window.
#pragma once

#include "platform/win32/handles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "state/module1.h"
#include "platform/win32/forms/dpi.h"
#include "platform/win32/forms/form.h"
#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_window_system.h"

namespace velmora::win32 {

inline std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The pixels of a rectangle of the window's client area, row by row, once
// every pending paint is done.
inline std::vector<COLORREF> PixelsIn(HWND window, const RECT& rect) {
  ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  const WindowDc dc(window);
  std::vector<COLORREF> pixels;
  for (LONG y = rect.top; y < rect.bottom; ++y) {
    for (LONG x = rect.left; x < rect.right; ++x) pixels.push_back(::GetPixel(dc.get(), x, y));
  }
  return pixels;
}

// Where the control lies in its form's client area.
inline RECT PlaceOf(HWND control) {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// How much the form of `client_twips` should grow with the message font: 1
// unless the legibility runs, which set that font, say otherwise ("18/11"),
// and no more than its monitor's work area holds with the window's frame.
inline LayoutScale ExpectedLayoutScale(HWND form, SIZE client_twips) {
  LayoutScale scale;
  const char* given = std::getenv("VELMORA_LAYOUT_SCALE");
  if (given != nullptr &&
      std::sscanf(given, "%d/%d", &scale.numerator, &scale.denominator) != 2) {
    ADD_FAILURE() << "VELMORA_LAYOUT_SCALE is not a ratio: " << given;
  }
  RECT window{};
  RECT client{};
  ::GetWindowRect(form, &window);
  ::GetClientRect(form, &client);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(form, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const SIZE room{work.right - work.left - (window.right - window.left - client.right),
                  work.bottom - work.top - (window.bottom - window.top - client.bottom)};
  return ScaleToFit(scale, client_twips, WindowDpi(form), room);
}

class FormsTest : public ::testing::Test {
 protected:
  ~FormsTest() override {
    // The last unloaded form asks the message loop to end; no loop runs here.
    MSG message{};
    while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  FormsRuntime runtime_{::GetModuleHandleW(nullptr), 1};
  Module1 state_;
  Win32WindowSystem desktop_;
  Win32EventPump pump_;
};

}  // namespace velmora::win32
