#include "bench/resource_counts.h"

#include <windows.h>
#include <psapi.h>

namespace velmora::bench {
namespace {

// The walks rely on Wine's handle tables, which accept a handle's index
// without the reuse counter in its high word: the walk is needed only where
// the system does not count, and there it finds every live object once.
constexpr UINT_PTR kGdiHandles = 0x10000;
// User handles are even, from 0x20 up; an odd value names its even neighbour.
constexpr UINT_PTR kFirstUserHandle = 0x20;
constexpr UINT_PTR kUserHandles = 0xFFF0;
// Kernel handles are multiples of four, handed out lowest first: room for
// four thousand.
constexpr UINT_PTR kKernelHandles = 0x4000;

std::int64_t WalkGdiObjects() {
  std::int64_t count = 0;
  for (UINT_PTR index = 1; index < kGdiHandles; ++index) {
    if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
  }
  return count;
}

bool IsIconOrCursor(UINT_PTR handle) {
  ICONINFO info{};
  if (!::GetIconInfo(reinterpret_cast<HICON>(handle), &info)) return false;
  // The bitmaps are copies made for the caller.
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  return true;
}

struct WindowCount {
  DWORD process;
  std::int64_t windows = 0;
};

BOOL CALLBACK CountDescendant(HWND, LPARAM count) {
  ++reinterpret_cast<WindowCount*>(count)->windows;
  return TRUE;
}

void CountWindowAndDescendants(HWND window, WindowCount& count) {
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != count.process) return;
  ++count.windows;
  ::EnumChildWindows(window, &CountDescendant, reinterpret_cast<LPARAM>(&count));
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM count) {
  CountWindowAndDescendants(window, *reinterpret_cast<WindowCount*>(count));
  return TRUE;
}

// Windows of this process, top-level and message-only, with their children;
// then menus and icons (cursors are icons), which only the walk finds: what
// the program makes of the kinds that GetGuiResources counts.
std::int64_t WalkUserObjects() {
  WindowCount count{::GetCurrentProcessId()};
  ::EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&count));
  for (HWND window = ::FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
       window = ::FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) {
    CountWindowAndDescendants(window, count);
  }
  std::int64_t objects = count.windows;
  for (UINT_PTR handle = kFirstUserHandle; handle < kUserHandles; handle += 2) {
    if (::IsMenu(reinterpret_cast<HMENU>(handle)) || IsIconOrCursor(handle)) ++objects;
  }
  return objects;
}

std::int64_t WalkKernelHandles() {
  std::int64_t count = 0;
  for (UINT_PTR handle = 4; handle < kKernelHandles; handle += 4) {
    DWORD flags = 0;
    if (::GetHandleInformation(reinterpret_cast<HANDLE>(handle), &flags)) ++count;
  }
  return count;
}

// Committed memory of the process's own, as Windows counts private bytes.
std::int64_t WalkPrivateBytes() {
  std::int64_t bytes = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* address = nullptr;
       ::VirtualQuery(address, &region, sizeof(region)) == sizeof(region);
       address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
      bytes += static_cast<std::int64_t>(region.RegionSize);
    }
  }
  return bytes;
}

// A process that runs always holds some of each: a count of 0 is a system
// that does not count.
Count Counted(std::int64_t by_system, const char* system_method, std::int64_t (*walk)(),
              const char* walk_method) {
  if (by_system > 0) return {by_system, system_method};
  return {walk(), walk_method};
}

}  // namespace

Resources CountResources() {
  const HANDLE process = ::GetCurrentProcess();
  DWORD handles = 0;
  if (!::GetProcessHandleCount(process, &handles)) handles = 0;
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof(memory);
  if (!::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                              sizeof(memory))) {
    memory.PrivateUsage = 0;
  }
  return {
      .gdi_objects = Counted(::GetGuiResources(process, GR_GDIOBJECTS), "GetGuiResources",
                             &WalkGdiObjects, "GetObjectType walk"),
      .user_objects = Counted(::GetGuiResources(process, GR_USEROBJECTS), "GetGuiResources",
                              &WalkUserObjects, "window enumeration, IsMenu/GetIconInfo walk"),
      .kernel_handles = Counted(handles, "GetProcessHandleCount", &WalkKernelHandles,
                                "GetHandleInformation walk"),
      .private_bytes = Counted(static_cast<std::int64_t>(memory.PrivateUsage), "PrivateUsage",
                               &WalkPrivateBytes, "VirtualQuery walk"),
  };
}

}  // namespace velmora::bench
