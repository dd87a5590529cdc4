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

constexpr const char* kChromium = "Chrome_WidgetWin_1";
constexpr const char* kGecko = "MozillaWindowClass";

struct FamilyCase {
  const char* name;
  const char* class_name;
  std::optional<std::string> program;
  bool qualifies;
  // What sets the window apart from a browser's plain main frame, if anything.
  void (*change)(WindowSpec&) = nullptr;
  friend void PrintTo(const FamilyCase& c, std::ostream* out) { *out << c.name; }
};

class BrowserFamilyTest : public ::testing::TestWithParam<FamilyCase> {};

// The sweep and the capture apply the same rule to these classes.
TEST_P(BrowserFamilyTest, QualifiesOnlyTheMainFramesOfTheFamilysPrograms) {
  const FamilyCase& c = GetParam();
  WindowSpec window_spec{.class_name = c.class_name, .title = "Page", .program = c.program};
  if (c.change != nullptr) c.change(window_spec);
  SimDesktop desktop;
  const WindowHandle window = desktop.Open(window_spec);
  for (DialogBoxes dialogs : {DialogBoxes::kCounted, DialogBoxes::kNotCounted}) {
    EXPECT_EQ(QualifyWindow(desktop, window, dialogs),
              c.qualifies ? std::optional<std::string>("Page") : std::nullopt);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Family, BrowserFamilyTest,
    ::testing::Values(
        FamilyCase{"Chrome", kChromium, "chrome.exe", true},
        FamilyCase{"Edge", kChromium, "msedge.exe", true},
        FamilyCase{"Brave", kChromium, "brave.exe", true},
        FamilyCase{"Opera", kChromium, "opera.exe", true},
        FamilyCase{"Vivaldi", kChromium, "vivaldi.exe", true},
        FamilyCase{"Chromium", kChromium, "chromium.exe", true},
        FamilyCase{"Firefox", kGecko, "firefox.exe", true},
        FamilyCase{"LibreWolf", kGecko, "librewolf.exe", true},
        FamilyCase{"Waterfox", kGecko, "waterfox.exe", true},
        FamilyCase{"Floorp", kGecko, "floorp.exe", true},
        FamilyCase{"Zen", kGecko, "zen.exe", true},
        FamilyCase{"FullPath", kChromium,
                   R"(C:\Program Files\Google\Chrome\Application\chrome.exe)", true,
                   [](WindowSpec& w) { w.title = " Page "; }},
        FamilyCase{"UpperCase", kChromium, "CHROME.EXE", true},
        FamilyCase{"MixedCase", kChromium, "Brave.exe", true},
        // Names that merely look like a browser's.
        FamilyCase{"DoubleExtension", kChromium, "chrome.exe.exe", false},
        FamilyCase{"LongerName", kChromium, "notchrome.exe", false},
        FamilyCase{"NoExtension", kChromium, "chrome", false},
        FamilyCase{"EmptyName", kChromium, "", false},
        FamilyCase{"BrowserFolder", kChromium, R"(C:\chrome.exe\Code.exe)", false},
        FamilyCase{"Unreadable", kChromium, std::nullopt, false},
        // Programs that borrow the engine and hold the user's work.
        FamilyCase{"Code", kChromium, "Code.exe", false},
        FamilyCase{"Slack", kChromium, "slack.exe", false},
        FamilyCase{"Discord", kChromium, "Discord.exe", false},
        FamilyCase{"Spotify", kChromium, "Spotify.exe", false},
        FamilyCase{"WebView2", kChromium, "msedgewebview2.exe", false},
        FamilyCase{"Teams", kChromium, "Teams.exe", false},
        FamilyCase{"Thunderbird", kGecko, "thunderbird.exe", false},
        // A browser's windows that are not its main frames.
        FamilyCase{"Hidden", kChromium, "chrome.exe", false,
                   [](WindowSpec& w) { w.visible = false; }},
        FamilyCase{"ToolWindow", kChromium, "chrome.exe", false,
                   [](WindowSpec& w) { w.ex_style = kWsExToolWindow; }},
        FamilyCase{"Owned", kGecko, "firefox.exe", false, [](WindowSpec& w) { w.owner = 0x2468; }},
        FamilyCase{"NoCaption", kChromium, "chrome.exe", false, [](WindowSpec& w) { w.style = 0; }},
        FamilyCase{"BorderOnly", kChromium, "chrome.exe", false,
                   [](WindowSpec& w) { w.style = 0x00800000; }},
        FamilyCase{"DialogFrameOnly", kGecko, "firefox.exe", false,
                   [](WindowSpec& w) { w.style = 0x00400000; }},
        FamilyCase{"EmptyTitle", kChromium, "chrome.exe", false,
                   [](WindowSpec& w) { w.title = "   "; }},
        // Near misses of the class, and each class in the other family's program.
        FamilyCase{"OtherWidgetClass", "Chrome_WidgetWin_0", "chrome.exe", false},
        FamilyCase{"ClassInOtherCase", "chrome_widgetwin_1", "chrome.exe", false},
        FamilyCase{"GeckoClassInChrome", kGecko, "chrome.exe", false},
        FamilyCase{"ChromiumClassInFirefox", kChromium, "firefox.exe", false}),
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
      {.class_name = kChromium,
       .title = "Page",
       .ex_style = kWsExToolWindow,
       .program = "chrome.exe"},
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
  const WindowHandle kept = desktop.Open({.class_name = kGecko,
                                          .title = "Gardée",
                                          .rect = {0, 0, 400, 300},
                                          .program = "firefox.exe"});
  const std::vector<WindowHandle> closed = {
      desktop.Open({.class_name = kGecko, .title = "Page", .program = "firefox.exe"}),
      desktop.Open({.class_name = kChromium, .title = "Page", .program = "chrome.exe"}),
      desktop.Open({.class_name = kChromium,
                    .title = "Page",
                    .program = R"(C:\Program Files (x86)\Microsoft\Edge\Application\msedge.exe)"}),
      desktop.Open({.class_name = "IEFrame", .title = "Accueil"}),
  };
  const std::vector<WindowHandle> spared = {
      desktop.Open({.class_name = kChromium, .title = "main.cpp - Code", .program = "Code.exe"}),
      desktop.Open({.class_name = kGecko, .title = "Courrier", .program = "thunderbird.exe"}),
      desktop.Open({.class_name = kChromium,
                    .title = "Menu",
                    .ex_style = kWsExToolWindow,
                    .program = "chrome.exe"}),
      desktop.Open(
          {.class_name = kGecko, .title = "Page", .visible = false, .program = "firefox.exe"}),
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
