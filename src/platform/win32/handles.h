// The one place where Win32 handles and the core's 32-bit handles convert.
//
// User handles (windows, icons, menus) are shared by every process of a
// session, and 64-bit Windows keeps them meaningful in their low 32 bits so
// that 32-bit and 64-bit programs can exchange them: truncating keeps the
// handle, and sign-extending the 32-bit value gives the original back.
#pragma once

#include <windows.h>
// <windows.h> renames PostMessage to PostMessageA or PostMessageW; the seam's
// method of that name must keep its own name in every file that sees both.
#undef PostMessage

#include <cstdint>

#include "platform/window_system.h"

namespace velmora::win32 {

namespace detail {

template <typename UserHandle>
std::int32_t ToCore(UserHandle handle) {
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(handle));
}

template <typename UserHandle>
UserHandle FromCore(std::int32_t handle) {
  return reinterpret_cast<UserHandle>(static_cast<std::intptr_t>(handle));
}

}  // namespace detail

inline WindowHandle ToWindowHandle(HWND window) { return detail::ToCore(window); }
inline HWND ToHwnd(WindowHandle window) { return detail::FromCore<HWND>(window); }

inline IconHandle ToIconHandle(HICON icon) { return detail::ToCore(icon); }
inline HICON ToHicon(IconHandle icon) { return detail::FromCore<HICON>(icon); }

}  // namespace velmora::win32
