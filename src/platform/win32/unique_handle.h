// One move-only owner for every kind of Win32 handle, so that no handle is
// released by hand on some paths and forgotten on others.
#pragma once

#include <windows.h>

#include <utility>

namespace velmora::win32 {

template <typename Handle, auto Release, Handle kInvalid = Handle{}>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != kInvalid; }

  Handle release() { return std::exchange(handle_, kInvalid); }
  void reset(Handle handle = kInvalid) {
    if (Handle old = std::exchange(handle_, handle); old != kInvalid) Release(old);
  }

 private:
  Handle handle_ = kInvalid;
};

using UniqueWindow = UniqueHandle<HWND, &::DestroyWindow>;
using UniqueIcon = UniqueHandle<HICON, &::DestroyIcon>;
using UniqueMenu = UniqueHandle<HMENU, &::DestroyMenu>;
using UniqueFont = UniqueHandle<HFONT, &::DeleteObject>;
using UniqueBrush = UniqueHandle<HBRUSH, &::DeleteObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, &::DeleteObject>;
using UniqueMemoryDc = UniqueHandle<HDC, &::DeleteDC>;
using UniqueKernelHandle = UniqueHandle<HANDLE, &::CloseHandle>;
using UniqueModule = UniqueHandle<HMODULE, &::FreeLibrary>;

// A window's DC for the scope, given back at its end.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() { ::ReleaseDC(window_, dc_); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace velmora::win32
