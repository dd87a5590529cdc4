// Today's browsers: classes they share with programs that are not browsers,
// told apart by the frame's shape and the program that made it; the shapes
// are those of the census of the browsers' real windows.
#include "sweep/window_rule.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "browser_census.h"
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

constexpr const char* kChromium = "Chrome_WidgetWin_1";
constexpr const char* kGecko = "MozillaWindowClass";

WindowSpec ShapeOf(const census::Window& row) {
  return {.class_name = std::string(row.class_name),
          .title = std::string(row.title),
          .visible = (row.style & kWsVisible) != 0,
          .style = row.style & ~kWsVisible,
          .ex_style = row.ex_style,
          .owner = row.owned ? 0x2468 : 0,
          .program = std::string(row.program)};
}

class CensusTest : public ::testing::TestWithParam<census::Window> {};

// The sweep and the capture apply the same rule to the browsers' windows.
TEST_P(CensusTest, QualifiesExactlyTheWindowsASweepCloses) {
  const census::Window& row = GetParam();
  SimDesktop desktop;
  const WindowHandle window = desktop.Open(ShapeOf(row));
  for (DialogBoxes dialogs : {DialogBoxes::kCounted, DialogBoxes::kNotCounted}) {
    EXPECT_EQ(QualifyWindow(desktop, window, dialogs),
              row.closed ? std::optional<std::string>(row.title) : std::nullopt);
  }
}

INSTANTIATE_TEST_SUITE_P(Browsers, CensusTest, ::testing::ValuesIn(census::kWindows),
                         [](const auto& info) { return std::string(info.param.name); });

struct FamilyCase {
  const char* name;
  const char* class_name;
  std::optional<std::string> program;
  bool qualifies;
  // The style apart from WS_VISIBLE; a frame in fullscreen unless given.
  std::uint32_t style = census::kChromiumFullscreen & ~kWsVisible;
  bool owned = false;
  friend void PrintTo(const FamilyCase& c, std::ostream* out) { *out << c.name; }
};

class BrowserFamilyTest : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(BrowserFamilyTest, QualifiesOnlyTheFramesOfTheFamilysPrograms) {
  const FamilyCase& c = GetParam();
  SimDesktop desktop;
  const WindowHandle window = desktop.Open(
      {.class_name = c.class_name,
       .title = "Page",
       .style = c.style,
       .owner = c.owned ? 0x2468 : 0,
       .program = c.program});
  EXPECT_EQ(QualifyWindow(desktop, window, DialogBoxes::kNotCounted).has_value(), c.qualifies);
}

// A fullscreen frame with one of its stripped bits back is no longer the
// shape the engines leave, nor a captioned frame.
constexpr std::uint32_t kFullscreen = census::kChromiumFullscreen & ~kWsVisible;

INSTANTIATE_TEST_SUITE_P(
    Family, BrowserFamilyTest,
    ::testing::Values(
        FamilyCase{"Chrome", kChromium, "chrome.exe", true},
        FamilyCase{"Edge", kChromium, "msedge.exe", true},
        FamilyCase{"Opera", kChromium, "opera.exe", true},
        FamilyCase{"Vivaldi", kChromium, "vivaldi.exe", true},
        FamilyCase{"Chromium", kChromium, "chromium.exe", true},
        FamilyCase{"Thorium", kChromium, "thorium.exe", true},
        FamilyCase{"Whale", kChromium, "whale.exe", true},
        FamilyCase{"Firefox", kGecko, "firefox.exe", true},
        FamilyCase{"LibreWolf", kGecko, "librewolf.exe", true},
        FamilyCase{"Waterfox", kGecko, "waterfox.exe", true},
        FamilyCase{"Floorp", kGecko, "floorp.exe", true},
        FamilyCase{"Mercury", kGecko, "mercury.exe", true},
        FamilyCase{"MullvadBrowser", kGecko, "mullvadbrowser.exe", true},
        FamilyCase{"PaleMoon", kGecko, "palemoon.exe", true},
        FamilyCase{"FullPath", kChromium,
                   R"(C:\Program Files\Google\Chrome\Application\chrome.exe)", true},
        // Both ends of the alphabet, lowered.
        FamilyCase{"UpperCaseA", kChromium, "BRAVE.EXE", true},
        FamilyCase{"UpperCaseZ", kGecko, "ZEN.EXE", true},
        FamilyCase{"MixedCase", kChromium, "Brave.exe", true},
        // Names that merely look like a browser's.
        FamilyCase{"DoubleExtension", kChromium, "chrome.exe.exe", false},
        FamilyCase{"LongerName", kChromium, "notchrome.exe", false},
        FamilyCase{"NoExtension", kChromium, "chrome", false},
        FamilyCase{"EmptyName", kChromium, "", false},
        FamilyCase{"BrowserFolder", kChromium, R"(C:\chrome.exe\Code.exe)", false},
        FamilyCase{"Unreadable", kChromium, std::nullopt, false},
        // Generic names and suites that more than one kind of program uses.
        FamilyCase{"GenericBrowser", kChromium, "browser.exe", false},
        FamilyCase{"SeaMonkey", kGecko, "seamonkey.exe", false},
        // Programs that borrow the engine and hold the user's work.
        FamilyCase{"Code", kChromium, "Code.exe", false},
        FamilyCase{"Slack", kChromium, "slack.exe", false},
        FamilyCase{"Discord", kChromium, "Discord.exe", false},
        FamilyCase{"Spotify", kChromium, "Spotify.exe", false},
        FamilyCase{"WebView2", kChromium, "msedgewebview2.exe", false},
        FamilyCase{"Teams", kChromium, "Teams.exe", false},
        FamilyCase{"Thunderbird", kGecko, "thunderbird.exe", false},
        // Near misses of the fullscreen shape.
        FamilyCase{"FullscreenWithBorder", kChromium, "chrome.exe", false,
                   kFullscreen | (kWsCaption & ~0x00400000)},
        FamilyCase{"FullscreenWithDialogFrame", kGecko, "firefox.exe", false,
                   kFullscreen | (kWsCaption & ~0x00800000)},
        FamilyCase{"FullscreenWithSizingBorder", kChromium, "chrome.exe", false,
                   kFullscreen | kWsThickFrame},
        FamilyCase{"FullscreenPopup", kChromium, "chrome.exe", false,
                   kFullscreen | kWsPopup},
        FamilyCase{"FullscreenWithoutMinimizeBox", kGecko, "firefox.exe", false,
                   kFullscreen & ~kWsMinimizeBox},
        // Owned but shaped like a frame, neither pop-up nor tool window: only
        // the owner tells it apart.
        FamilyCase{"OwnedCaptionedFrame", kChromium, "chrome.exe", false,
                   census::kChromiumFrame & ~kWsVisible, true},
        // Near misses of the class, and each class in the other family's program.
        FamilyCase{"OtherWidgetClass", "Chrome_WidgetWin_0", "chrome.exe", false},
        FamilyCase{"ClassInOtherCase", "chrome_widgetwin_1", "chrome.exe", false},
        FamilyCase{"GeckoClassInChrome", kGecko, "chrome.exe", false},
        FamilyCase{"ChromiumClassInFirefox", kChromium, "firefox.exe", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BrowserFamilyScanTest, ReadsEachProgramOncePerScanAndNoTitleOfARejectedWindow) {
  SimDesktop desktop;
  const std::vector<WindowSpec> shapes = {
      {.class_name = "Notepad", .title = "Notes", .program = "notepad.exe"},
      {.class_name = kChromium, .title = "Page", .visible = false, .program = "chrome.exe"},
      {.class_name = kChromium, .title = "Code", .program = "Code.exe"},
      {.class_name = kChromium, .title = "Code", .program = "Code.exe"},
      {.class_name = kChromium, .title = "Page", .program = "chrome.exe"},
      {.class_name = kChromium,
       .title = "Page",
       .ex_style = kWsExToolWindow,
       .program = "chrome.exe"},
      {.class_name = kGecko, .title = "Page", .program = "firefox.exe"},
      {.class_name = kChromium, .title = "Page", .program = "chrome.exe"},
  };
  std::vector<WindowHandle> windows;
  for (const WindowSpec& shape : shapes) windows.push_back(desktop.Open(shape));

  ScanTables tables;
  FenEnCours(tables, desktop);

  std::set<WindowHandle> listed;
  for (const WindowEntry& entry : Listed(tables.ScanTable)) listed.insert(entry.handle);
  EXPECT_EQ(listed, (std::set<WindowHandle>{windows[4], windows[6], windows[7]}));
  std::set<WindowHandle> titles_read;
  for (const sim::Call& call : desktop.CallsOf(CallKind::kWindowText)) {
    titles_read.insert(call.window);
  }
  EXPECT_EQ(titles_read, listed);
  // chrome.exe, Code.exe and firefox.exe, each once.
  std::multiset<std::int64_t> images_read;
  for (const sim::Call& call : desktop.CallsOf(CallKind::kProcessImageName)) {
    images_read.insert(call.argument);
  }
  EXPECT_EQ(images_read.size(), 3u);
  EXPECT_EQ(std::set<std::int64_t>(images_read.begin(), images_read.end()).size(), 3u);

  // Process ids are reused once a process ends: the next scan reads again.
  FenEnCours(tables, desktop);
  EXPECT_EQ(desktop.CallsOf(CallKind::kProcessImageName).size(), 6u);
}

// A sweep over every window of the census after the user has kept one
// Chrome frame, which has gone fullscreen since and been through a refresh.
TEST(CensusSweepTest, ClosesExactlyTheRowsMarkedClosedAndSparesTheKeptFrame) {
  SimDesktop desktop;
  std::vector<WindowHandle> windows;
  for (const census::Window& row : census::kWindows) windows.push_back(desktop.Open(ShapeOf(row)));
  const WindowHandle kept = desktop.Open(ShapeOf(census::kWindows[0]));
  Module1 state;
  testing::RecordingListBox list;
  const KeepListContext keep_list{state.scan, desktop, list};
  ASSERT_EQ(CaptureIfQualified(state.keep, keep_list, kept), CaptureResult::kCaptured);
  desktop.Window(kept).style = census::kChromiumFullscreen & ~kWsVisible;
  RefreshKeepList(state.keep, keep_list);
  ASSERT_TRUE(IsKept(state.keep, kept));
  state.PassCount = 1;
  testing::FakeForms forms;
  testing::FakePump pump;

  CloseInternet(state, {desktop, forms, pump});

  for (std::size_t i = 0; i < windows.size(); ++i) {
    EXPECT_EQ(desktop.Exists(windows[i]), !census::kWindows[i].closed)
        << census::kWindows[i].name;
  }
  EXPECT_TRUE(desktop.CallsTo(kept).empty());
}

}  // namespace
}  // namespace velmora
