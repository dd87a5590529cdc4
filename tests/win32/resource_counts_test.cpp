// The soak's counts see one object of each kind made, and see it go again,
// whichever way the system lets them count.
#include "bench/resource_counts.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace velmora::bench {
namespace {

using Made = std::shared_ptr<void>;

struct Case {
  const char* what;
  Count Resources::*kind;
  std::int64_t more;
  std::function<Made()> make;
};

constexpr std::int64_t kMegabyte = 1 << 20;
constexpr std::int64_t kHeapSlack = 64 * 1024;

const Case kCases[] = {
    {"font", &Resources::gdi_objects, 1,
     [] { return Made(::CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma"),
                      &::DeleteObject); }},
    {"brush", &Resources::gdi_objects, 1,
     [] { return Made(::CreateSolidBrush(RGB(1, 2, 3)), &::DeleteObject); }},
    {"window", &Resources::user_objects, 1,
     [] {
       // Message-only: Wine gives a top-level window icons of its own too.
       return Made(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     nullptr, nullptr),
                   [](void* window) { ::DestroyWindow(static_cast<HWND>(window)); });
     }},
    {"menu", &Resources::user_objects, 1,
     [] {
       return Made(::CreatePopupMenu(),
                   [](void* menu) { ::DestroyMenu(static_cast<HMENU>(menu)); });
     }},
    {"icon", &Resources::user_objects, 1,
     [] {
       return Made(::CopyIcon(::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION))),
                   [](void* icon) { ::DestroyIcon(static_cast<HICON>(icon)); });
     }},
    {"event", &Resources::kernel_handles, 1,
     [] { return Made(::CreateEventW(nullptr, TRUE, FALSE, nullptr), &::CloseHandle); }},
    {"committed megabyte", &Resources::private_bytes, kMegabyte,
     [] {
       return Made(::VirtualAlloc(nullptr, kMegabyte, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE),
                   [](void* memory) { ::VirtualFree(memory, 0, MEM_RELEASE); });
     }},
};

// Each count walks thousands of handles under Wine: three counts in all.
TEST(ResourceCountsTest, EachKind_SeesWhatIsMadeAndSeesItGo) {
  // The first of each kind can load what stays for the process (the
  // thread's input-method window, for one).
  for (const Case& test : kCases) test.make();
  const Resources before = CountResources();
  std::vector<Made> made;
  for (const Case& test : kCases) made.push_back(test.make());
  const Resources with = CountResources();
  made.clear();
  const Resources after = CountResources();

  for (const auto kind : {&Resources::gdi_objects, &Resources::user_objects,
                          &Resources::kernel_handles, &Resources::private_bytes}) {
    std::int64_t more = 0;
    for (const Case& test : kCases) more += test.kind == kind ? test.more : 0;
    // At least: an icon holds bitmaps too. The heap may keep a page or two
    // that the bookkeeping took.
    const std::int64_t slack = kind == &Resources::private_bytes ? kHeapSlack : 0;
    const char* method = (before.*kind).method;
    EXPECT_GE((with.*kind).value, (before.*kind).value + more) << method;
    EXPECT_NEAR((after.*kind).value, (before.*kind).value, slack) << method;
  }
}

}  // namespace
}  // namespace velmora::bench
