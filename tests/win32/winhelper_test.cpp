// The test helper itself: later tests trust what it opens and what it logs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "platform/win32/win32_window_system.h"
#include "sweep/scan.h"
#include "tools/winhelper/winhelper_client.h"

namespace velmora::winhelper {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

std::vector<WindowHandle> OpenedAs(const HelperProcess::Log& log, std::string_view name) {
  std::vector<WindowHandle> windows;
  for (const LogLine& line : log) {
    if (line.event == "open" && line.name == name) windows.push_back(CoreHandle(line));
  }
  return windows;
}

TEST(WinHelperTest, CountOpensNumberedWindowsWithUnescapedTitlesAndChildren) {
  HelperProcess helper({"name=doc{i};class=Decoy;title=Doc {i} \\; \\u{263A};count=3;child=IEFrame",
                        "class=Decoy;title=Plain;count=2"});
  win32::Win32WindowSystem system;
  for (const char* name : {"doc0", "doc1", "doc2"}) {
    SCOPED_TRACE(name);
    const WindowHandle window = helper.Window(name);
    ASSERT_NE(window, 0);
    const std::string number(1, name[3]);
    EXPECT_EQ(system.WindowText(window, kTitleMaxCount), "Doc " + number + " ; \u263A");
    const HWND child = ::GetWindow(win32::ToHwnd(window), GW_CHILD);
    EXPECT_EQ(system.ClassName(win32::ToWindowHandle(child), kClassNameBufferSize), "IEFrame");
  }
  EXPECT_NE(helper.Window("w2.0"), 0);
  EXPECT_NE(helper.Window("w2.1"), 0);
}

TEST(WinHelperTest, ReopeningAndRedisablingWindowsBehaveAsDescribed) {
  HelperProcess helper({"name=popup;class=IEFrame;title=Pop;reopen=100",
                        "name=stuck;class=IEFrame;title=Stuck;disabled;ignore-close;redisable"});
  win32::Win32WindowSystem system;
  const WindowHandle popup = helper.Window("popup");
  const WindowHandle stuck = helper.Window("stuck");
  system.PostMessage(popup, kWmClose, 0, 0);
  for (int pass = 1; pass <= 2; ++pass) {
    system.EnableWindow(stuck, true);
    system.PostMessage(stuck, kWmClose, 0, 0);
    // The window disables itself again as it handles the close.
    ASSERT_TRUE(helper.WaitForLog(
        [&](const HelperProcess::Log& log) {
          return MessagesFor(log, stuck).size() == static_cast<std::size_t>(2 * pass) &&
                 !::IsWindowEnabled(win32::ToHwnd(stuck));
        },
        5s));
  }
  EXPECT_THAT(MessagesFor(helper.ReadLog(), stuck),
              ElementsAre("WM_ENABLE 1", "WM_CLOSE", "WM_ENABLE 1", "WM_CLOSE"));

  ASSERT_TRUE(helper.WaitForLog(
      [](const HelperProcess::Log& log) { return OpenedAs(log, "popup").size() == 2; }, 5s));
  const auto popups = OpenedAs(helper.ReadLog(), "popup");
  EXPECT_EQ(popups.front(), popup);
  EXPECT_NE(popups.back(), popup);
  EXPECT_TRUE(::IsWindow(win32::ToHwnd(popups.back())));
}

// Windows that vanish between the reads of a scan must never be listed with
// a broken title, and the scan must never fail on them.
TEST(WinHelperTest, ScansWhileWindowsChurnListOnlyWholeTitles) {
  HelperProcess helper({"name=flicker;class=IEFrame;title=Flicker;count=20;churn",
                        "name=steady;class=BLDOPERA;title=Steady"});
  win32::Win32WindowSystem system;
  ScanTables tables;
  for (int scan = 0; scan < 50; ++scan) {
    FenEnCours(tables, system);
    for (const WindowEntry& entry : tables.ScanTable) {
      if (entry.handle == 0) break;
      DWORD owner = 0;
      ::GetWindowThreadProcessId(win32::ToHwnd(entry.handle), &owner);
      if (owner != helper.process_id()) continue;
      EXPECT_THAT(entry.title, ::testing::AnyOf("Flicker", "Steady"));
    }
  }
  helper.Stop();
  const HelperProcess::Log log = helper.ReadLog();
  const auto churned = std::find_if(log.begin(), log.end(),
                                    [](const LogLine& line) { return line.event == "churned"; });
  ASSERT_NE(churned, log.end());
  EXPECT_GT(churned->value, 1);
}

}  // namespace
}  // namespace velmora::winhelper
