// Today's browsers: classes they share with programs that are not browsers,
// told apart by the frame's styles and the program that made it.
#include "sweep/window_rule.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "fakes.h"
#include "keeplist/capture.h"
#include "platform/sim/sim_desktop.h"
#include "sweep/scan.h"
#include "sweep/sweep_run.h"

namespace velmora {
namespace {

using sim::CallKind;
using sim::SimDesktop;
using sim::WindowSpec;
using ::testing::ElementsAre;

const std::string kChromium = "Chrome_WidgetWin_1";
const std::string kGecko = "MozillaWindowClass";

struct FamilyCase {
  const char* name;
  WindowSpec window;
  bool qualifies;
  friend void PrintTo(const FamilyCase& c, std::ostream* out) { *out << c.name; }
};

class BrowserFamilyTest : public ::testing::TestWithParam<FamilyCase> {};

// The sweep and the capture apply the same rule to these classes.
TEST_P(BrowserFamilyTest, QualifiesOnlyTheMainFramesOfTheFamilysPrograms) {
  SimDesktop desktop;
  const WindowHandle window = desktop.Open(GetParam().window);
  for (DialogBoxes dialogs : {DialogBoxes::kCounted, DialogBoxes::kNotCounted}) {
    EXPECT_EQ(QualifyWindow(desktop, window, dialogs),
              GetParam().qualifies ? std::optional<std::string>("Page") : std::nullopt);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Family, BrowserFamilyTest,
    ::testing::Values(
        FamilyCase{"Chrome", {.class_name = kChromium, .title = "Page", .program = "chrome.exe"}, true},
        FamilyCase{"Edge", {.class_name = kChromium, .title = "Page", .program = "msedge.exe"}, true},
        FamilyCase{"Brave", {.class_name = kChromium, .title = "Page", .program = "brave.exe"}, true},
        FamilyCase{"Opera", {.class_name = kChromium, .title = "Page", .program = "opera.exe"}, true},
        FamilyCase{"Vivaldi", {.class_name = kChromium, .title = "Page", .program = "vivaldi.exe"}, true},
        FamilyCase{"Chromium", {.class_name = kChromium, .title = "Page", .program = "chromium.exe"}, true},
        FamilyCase{"Firefox", {.class_name = kGecko, .title = "Page", .program = "firefox.exe"}, true},
        FamilyCase{"LibreWolf", {.class_name = kGecko, .title = "Page", .program = "librewolf.exe"}, true},
        FamilyCase{"Waterfox", {.class_name = kGecko, .title = "Page", .program = "waterfox.exe"}, true},
        FamilyCase{"Floorp", {.class_name = kGecko, .title = "Page", .program = "floorp.exe"}, true},
        FamilyCase{"Zen", {.class_name = kGecko, .title = "Page", .program = "zen.exe"}, true},
        FamilyCase{"FullPath", {.class_name = kChromium, .title = " Page ",
                                .program = R"(C:\Program Files\Google\Chrome\Application\chrome.exe)"}, true},
        FamilyCase{"UpperCase", {.class_name = kChromium, .title = "Page", .program = "CHROME.EXE"}, true},
        FamilyCase{"MixedCase", {.class_name = kChromium, .title = "Page", .program = "Brave.exe"}, true},
        // Names that merely look like a browser's.
        FamilyCase{"DoubleExtension", {.class_name = kChromium, .title = "Page", .program = "chrome.exe.exe"}, false},
        FamilyCase{"LongerName", {.class_name = kChromium, .title = "Page", .program = "notchrome.exe"}, false},
        FamilyCase{"NoExtension", {.class_name = kChromium, .title = "Page", .program = "chrome"}, false},
        FamilyCase{"EmptyName", {.class_name = kChromium, .title = "Page", .program = ""}, false},
        FamilyCase{"BrowserFolder", {.class_name = kChromium, .title = "Page", .program = R"(C:\chrome.exe\Code.exe)"}, false},
        FamilyCase{"Unreadable", {.class_name = kChromium, .title = "Page", .program = std::nullopt}, false},
        // Programs that borrow the engine and hold the user's work.
        FamilyCase{"Code", {.class_name = kChromium, .title = "Page", .program = "Code.exe"}, false},
        FamilyCase{"Slack", {.class_name = kChromium, .title = "Page", .program = "slack.exe"}, false},
        FamilyCase{"Discord", {.class_name = kChromium, .title = "Page", .program = "Discord.exe"}, false},
        FamilyCase{"Spotify", {.class_name = kChromium, .title = "Page", .program = "Spotify.exe"}, false},
        FamilyCase{"WebView2", {.class_name = kChromium, .title = "Page", .program = "msedgewebview2.exe"}, false},
        FamilyCase{"Teams", {.class_name = kChromium, .title = "Page", .program = "Teams.exe"}, false},
        FamilyCase{"Thunderbird", {.class_name = kGecko, .title = "Page", .program = "thunderbird.exe"}, false},
        // A browser's windows that are not its main frames.
        FamilyCase{"Hidden", {.class_name = kChromium, .title = "Page", .visible = false, .program = "chrome.exe"}, false},
        FamilyCase{"ToolWindow", {.class_name = kChromium, .title = "Page", .ex_style = kWsExToolWindow, .program = "chrome.exe"}, false},
        FamilyCase{"Owned", {.class_name = kGecko, .title = "Page", .owner = 0x2468, .program = "firefox.exe"}, false},
        FamilyCase{"NoCaption", {.class_name = kChromium, .title = "Page", .style = 0, .program = "chrome.exe"}, false},
        FamilyCase{"BorderOnly", {.class_name = kChromium, .title = "Page", .style = 0x00800000, .program = "chrome.exe"}, false},
        FamilyCase{"DialogFrameOnly", {.class_name = kGecko, .title = "Page", .style = 0x00400000, .program = "firefox.exe"}, false},
        FamilyCase{"EmptyTitle", {.class_name = kChromium, .title = "   ", .program = "chrome.exe"}, false},
        // Near misses of the class, and each class in the other family's program.
        FamilyCase{"OtherWidgetClass", {.class_name = "Chrome_WidgetWin_0", .title = "Page", .program = "chrome.exe"}, false},
        FamilyCase{"ClassInOtherCase", {.class_name = "chrome_widgetwin_1", .title = "Page", .program = "chrome.exe"}, false},
        FamilyCase{"GeckoClassInChrome", {.class_name = kGecko, .title = "Page", .program = "chrome.exe"}, false},
        FamilyCase{"ChromiumClassInFirefox", {.class_name = kChromium, .title = "Page", .program = "firefox.exe"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The calls each window cost, the process image read counted to the window
// that caused it.
std::map<WindowHandle, std::vector<CallKind>> CallsPerWindow(const SimDesktop& desktop) {
  std::map<WindowHandle, std::vector<CallKind>> calls;
  WindowHandle current = 0;
  for (const sim::Call& call : desktop.Calls()) {
    if (call.kind == CallKind::kEnumWindows) continue;
    if (call.window != 0) current = call.window;
    calls[current].push_back(call.kind);
  }
  return calls;
}

TEST(BrowserFamilyScanTest, ReadsEachProgramOncePerScanAndOnlyAfterTheCheapChecks) {
  SimDesktop desktop;
  // Opened back to front, so that the scan meets them in this order.
  const std::vector<WindowSpec> specs = {
      {.class_name = "Notepad", .title = "Notes", .program = "notepad.exe"},
      {.class_name = kChromium, .title = "Page", .visible = false, .program = "chrome.exe"},
      {.class_name = kChromium, .title = "Code", .program = "Code.exe"},
      {.class_name = kChromium, .title = "Code", .program = "Code.exe"},
      {.class_name = kChromium, .title = "Page", .program = "chrome.exe"},
      {.class_name = kChromium, .title = "Page", .ex_style = kWsExToolWindow, .program = "chrome.exe"},
      {.class_name = kChromium, .title = "Page", .program = "chrome.exe"},
  };
  std::vector<WindowHandle> windows(specs.size());
  for (std::size_t i = specs.size(); i-- > 0;) windows[i] = desktop.Open(specs[i]);

  ScanTables tables;
  FenEnCours(tables, desktop);

  EXPECT_THAT(Listed(tables.ScanTable),
              ElementsAre(::testing::Field(&WindowEntry::handle, windows[4]),
                          ::testing::Field(&WindowEntry::handle, windows[6])));
  using enum CallKind;
  const std::vector<std::vector<CallKind>> expected = {
      {kClassName},
      {kClassName, kProcessId, kStyle},
      {kClassName, kProcessId, kStyle, kExStyle, kOwner, kProcessImageName},
      // The program is known by now and is no browser: nothing more is read.
      {kClassName, kProcessId},
      {kClassName, kProcessId, kStyle, kExStyle, kOwner, kProcessImageName, kWindowText},
      {kClassName, kProcessId, kStyle, kExStyle},
      {kClassName, kProcessId, kStyle, kExStyle, kOwner, kWindowText},
  };
  const auto calls = CallsPerWindow(desktop);
  for (std::size_t i = 0; i < windows.size(); ++i) {
    EXPECT_EQ(calls.at(windows[i]), expected[i]) << "window " << i;
  }

  // Process ids are reused once a process ends: the next scan reads again.
  FenEnCours(tables, desktop);
  EXPECT_EQ(desktop.CallsOf(CallKind::kProcessImageName).size(), 4u);
}

// A sweep over a mixed desktop after the user has kept one Firefox window.
TEST(BrowserFamilySweepTest, ClosesExactlyTheBrowsersFramesAndSparesTheCapturedOne) {
  SimDesktop desktop;
  const WindowHandle kept = desktop.Open(
      {.class_name = kGecko, .title = "Gardée", .rect = {0, 0, 400, 300}, .program = "firefox.exe"});
  const std::vector<WindowHandle> closed = {
      desktop.Open({.class_name = kGecko, .title = "Page", .program = "firefox.exe"}),
      desktop.Open({.class_name = kChromium, .title = "Page", .program = "chrome.exe"}),
      desktop.Open({.class_name = kChromium, .title = "Page",
                    .program = R"(C:\Program Files (x86)\Microsoft\Edge\Application\msedge.exe)"}),
      desktop.Open({.class_name = "IEFrame", .title = "Accueil"}),
  };
  const std::vector<WindowHandle> spared = {
      desktop.Open({.class_name = kChromium, .title = "main.cpp - Code", .program = "Code.exe"}),
      desktop.Open({.class_name = kGecko, .title = "Courrier", .program = "thunderbird.exe"}),
      desktop.Open({.class_name = kChromium, .title = "Menu", .ex_style = kWsExToolWindow,
                    .program = "chrome.exe"}),
      desktop.Open({.class_name = kGecko, .title = "Page", .visible = false, .program = "firefox.exe"}),
  };
  Module1 state;
  testing::RecordingListBox list;
  desktop.MoveCursor({10, 10});
  EXPECT_EQ(CaptureIfQualified(state.keep, {state.scan, desktop, list},
                               desktop.WindowFromPoint(desktop.CursorPos())),
            CaptureResult::kCaptured);
  state.PassCount = 1;
  testing::FakeForms forms;
  testing::FakePump pump;

  CloseInternet(state, {desktop, forms, pump});

  for (WindowHandle window : closed) EXPECT_FALSE(desktop.Exists(window)) << window;
  EXPECT_TRUE(desktop.CallsTo(kept).empty());
  for (WindowHandle window : spared) EXPECT_TRUE(desktop.CallsTo(window).empty()) << window;
}

}  // namespace
}  // namespace velmora
