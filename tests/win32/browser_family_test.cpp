// Today's browsers against real windows: copies of the test helper named as
// browsers and as programs that share their window classes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "keeplist/capture.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_window_system.h"
#include "sweep/scan.h"
#include "sweep/sweep_run.h"
#include "tests/win32/forwarding_desktop.h"
#include "tests/win32/null_forms.h"
#include "tools/winhelper/browser_shapes.h"
#include "tools/winhelper/winhelper_client.h"

namespace velmora::win32 {
namespace {

using namespace std::chrono_literals;
using winhelper::HelperProcess;
using winhelper::MessagesFor;

const std::string kChromium = ";class=Chrome_WidgetWin_1;title=";
const std::string kGecko = ";class=MozillaWindowClass;title=";

std::unique_ptr<HelperProcess> StartAs(const wchar_t* program,
                                       const std::vector<std::string>& windows) {
  return std::make_unique<HelperProcess>(windows, HelperProcess::Options{.program = program});
}

bool ClosedAny(const HelperProcess::Log& log) {
  for (const auto& line : log) {
    if (line.event == "WM_CLOSE") return true;
  }
  return false;
}

// One browser of each family and the two programs that borrow their classes.
class BrowserFamilyWin32Test : public ::testing::Test {
 protected:
  enum Program { kChrome, kEdge, kFirefox, kCode, kThunderbird };

  static void SetUpTestSuite() {
    helpers_.push_back(StartAs(
        L"chrome.exe",
        {"name=page" + kChromium + "Page - Chrome", "name=hidden" + kChromium + "Page;hidden",
         "name=tool" + kChromium + "Page;tool", "name=owned" + kChromium + "Page;owned",
         "name=popup" + kChromium + "Page;no-caption",
         "name=fullscreen" + kChromium + "Video;fullscreen",
         "name=pip" + kChromium + "Picture-in-Picture;frameless;topmost"}));
    helpers_.push_back(StartAs(L"msedge.exe", {"name=page" + kChromium + "Page - Edge"}));
    helpers_.push_back(StartAs(L"firefox.exe", {"name=page" + kGecko + "Page - Firefox",
                                                "name=fullscreen" + kGecko + "Video;fullscreen"}));
    helpers_.push_back(
        StartAs(L"Code.exe", {"name=editor" + kChromium + "main.cpp - Code;count=2"}));
    helpers_.push_back(StartAs(L"thunderbird.exe", {"name=mail" + kGecko + "Courrier"}));
  }
  static void TearDownTestSuite() { helpers_.clear(); }
  // A helper that failed to start has been reported by SetUpTestSuite.
  void SetUp() override { ASSERT_EQ(helpers_.size(), 5u); }

  static WindowHandle Window(Program program, const char* name) {
    return helpers_[program]->Window(name);
  }

  static inline std::vector<std::unique_ptr<HelperProcess>> helpers_;
};

TEST_F(BrowserFamilyWin32Test, Seam_ReadsTheFramesStylesOwnerAndProgram) {
  struct Case {
    const char* name;
    bool visible;
    bool caption;
    bool tool;
    bool owned;
    bool qualifies;
  };
  const Case cases[] = {
      {"page", true, true, false, false, true},       {"hidden", false, true, false, false, false},
      {"tool", true, true, true, false, false},       {"owned", true, true, false, true, false},
      {"popup", true, false, false, false, false},    {"fullscreen", true, false, false, false, true},
      {"pip", true, false, false, false, false},
  };
  Win32WindowSystem system;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const WindowHandle window = Window(kChrome, c.name);
    ASSERT_NE(window, 0);
    const std::uint32_t style = system.Style(window);
    EXPECT_EQ((style & kWsVisible) != 0, c.visible);
    EXPECT_EQ((style & kWsCaption) == kWsCaption, c.caption);
    EXPECT_EQ((system.ExStyle(window) & kWsExToolWindow) != 0, c.tool);
    EXPECT_EQ(system.Owner(window) != 0, c.owned);
    EXPECT_EQ(system.ProcessId(window), helpers_[kChrome]->process_id());
    EXPECT_EQ(QualifyWindow(system, window, DialogBoxes::kNotCounted).has_value(), c.qualifies);
  }
  // The path as the process was started, its file name in the case on disk.
  const auto image = system.ProcessImageName(system.ProcessId(Window(kCode, "editor.0")));
  ASSERT_TRUE(image.has_value());
  EXPECT_THAT(*image, ::testing::EndsWith("\\Code.exe"));
  EXPECT_EQ(system.ProcessImageName(0), std::nullopt);
}

TEST_F(BrowserFamilyWin32Test, FreshScan_ListsTheBrowsersAndReadsEachProcessOnce) {
  testing::LookUpCountingDesktop desktop;
  ScanTables tables;
  FenEnCours(tables, desktop);

  std::set<WindowHandle> listed;
  for (const WindowEntry& entry : Listed(tables.ScanTable)) listed.insert(entry.handle);
  for (WindowHandle browser :
       {Window(kChrome, "page"), Window(kChrome, "fullscreen"), Window(kEdge, "page"),
        Window(kFirefox, "page"), Window(kFirefox, "fullscreen")}) {
    EXPECT_TRUE(listed.contains(browser)) << browser;
  }
  for (WindowHandle kin : {Window(kCode, "editor.0"), Window(kCode, "editor.1"),
                           Window(kThunderbird, "mail"), Window(kChrome, "pip")}) {
    EXPECT_FALSE(listed.contains(kin)) << kin;
  }
  // chrome.exe, msedge.exe, firefox.exe, Code.exe and thunderbird.exe.
  EXPECT_EQ(desktop.look_ups(), 5);
}

// The user keeps one Chrome window by pointing at its title bar, and that
// window goes fullscreen before the list is refreshed; a two-pass run then
// closes every other browser window, fullscreen ones included, and leaves
// their kin and Chrome's picture-in-picture window alone.
TEST(BrowserFamilySweepWin32Test, TwoPassRun_ClosesTheBrowsersAndSparesTheirKinAndTheKept) {
  const auto chrome =
      StartAs(L"chrome.exe", {"name=kept" + kChromium + "Gardée;rect=600,450,320,200",
                              "name=page" + kChromium + "Page - Chrome",
                              "name=fullscreen" + kChromium + "Video;fullscreen",
                              "name=pip" + kChromium + "Picture-in-Picture;frameless;topmost"});
  const auto edge = StartAs(L"msedge.exe", {"name=page" + kChromium + "Page - Edge"});
  const auto firefox = StartAs(L"firefox.exe", {"name=page" + kGecko + "Page - Firefox",
                                                "name=fullscreen" + kGecko + "Video;fullscreen"});
  const auto code = StartAs(L"Code.exe", {"name=editor" + kChromium + "main.cpp - Code;count=2"});
  const auto thunderbird = StartAs(L"thunderbird.exe", {"name=mail" + kGecko + "Courrier"});

  Win32WindowSystem desktop;
  Module1 state;
  testing::NullListBox list;
  RECT frame{};
  ::GetWindowRect(ToHwnd(chrome->Window("kept")), &frame);
  ::SetCursorPos(frame.left + 60, frame.top + ::GetSystemMetrics(SM_CYCAPTION) / 2 + 2);
  ASSERT_EQ(desktop.WindowFromPoint(desktop.CursorPos()), chrome->Window("kept"));
  const KeepListContext keep_list{state.scan, desktop, list};
  ASSERT_EQ(CaptureIfQualified(state.keep, keep_list, desktop.WindowFromPoint(desktop.CursorPos())),
            CaptureResult::kCaptured);
  winhelper::RemoveStyle(ToHwnd(chrome->Window("kept")), winhelper::kFullscreenRemoves);
  ASSERT_EQ(desktop.Style(chrome->Window("kept")) & kWsCaption, 0u);
  RefreshKeepList(state.keep, keep_list);
  ASSERT_TRUE(IsKept(state.keep, chrome->Window("kept")));

  state.PassCount = 2;
  testing::NullForms forms;
  Win32EventPump pump;
  CloseInternet(state, {desktop, forms, pump});

  const auto closed = [](const HelperProcess& helper, const char* name) {
    return helper.WaitForLog(
        [&](const HelperProcess::Log& log) {
          return !MessagesFor(log, helper.Window(name)).empty() &&
                 MessagesFor(log, helper.Window(name)).back() == "WM_CLOSE";
        },
        5s);
  };
  EXPECT_TRUE(closed(*chrome, "page"));
  EXPECT_TRUE(closed(*chrome, "fullscreen"));
  EXPECT_TRUE(closed(*edge, "page"));
  EXPECT_TRUE(closed(*firefox, "page"));
  EXPECT_TRUE(closed(*firefox, "fullscreen"));
  EXPECT_TRUE(MessagesFor(chrome->ReadLog(), chrome->Window("kept")).empty());
  EXPECT_TRUE(MessagesFor(chrome->ReadLog(), chrome->Window("pip")).empty());
  EXPECT_FALSE(ClosedAny(code->ReadLog()));
  EXPECT_FALSE(ClosedAny(thunderbird->ReadLog()));
}

}  // namespace
}  // namespace velmora::win32
