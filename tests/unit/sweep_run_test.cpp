#include "sweep/sweep_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes.h"
#include "platform/sim/sim_desktop.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using sim::Call;
using sim::CallKind;
using sim::SimDesktop;
using ::testing::ElementsAre;
using testing::FakeForms;
using testing::FakePump;
using testing::kBusyIcon;
using testing::kNormalIcon;

std::vector<Call> ClosingSequence(WindowHandle window, int passes) {
  std::vector<Call> calls;
  for (int pass = 0; pass < passes; ++pass) {
    calls.push_back({CallKind::kEnableWindow, window, 1});
    calls.push_back({CallKind::kPostMessage, window, kWmCancelMode});
    calls.push_back({CallKind::kPostMessage, window, kWmClose});
  }
  return calls;
}

class SweepRunTest : public ::testing::Test {
 protected:
  SweepRunTest() { state.TrayIconData.hIcon = kNormalIcon; }

  void Run() { CloseInternet(state, {desktop, forms, pump}); }
  WindowHandle OpenBrowser(std::string title = "Page", bool closes = true) {
    return desktop.Open({.class_name = "IEFrame", .title = std::move(title),
                         .closes_on_wm_close = closes});
  }
  std::size_t Scans() const { return desktop.CallsOf(CallKind::kEnumWindows).size(); }
  std::vector<std::int64_t> IconActions() const {
    std::vector<std::int64_t> actions;
    for (const Call& call : desktop.CallsOf(CallKind::kNotifyIcon)) actions.push_back(call.argument);
    return actions;
  }

  Module1 state;
  SimDesktop desktop;
  FakeForms forms;
  FakePump pump;
};

TEST_F(SweepRunTest, EnablesThenPostsCancelModeThenClose) {
  const WindowHandle browser = OpenBrowser();
  const WindowHandle dialog = desktop.Open({.class_name = "#32770", .title = "Alerte",
                                            .visible = false, .enabled = false});
  const WindowHandle other = desktop.Open({.class_name = "Notepad", .title = "Notes"});
  state.PassCount = 1;

  Run();

  EXPECT_EQ(desktop.CallsTo(browser), ClosingSequence(browser, 1));
  EXPECT_EQ(desktop.CallsTo(dialog), ClosingSequence(dialog, 1));
  EXPECT_TRUE(desktop.CallsTo(other).empty());
  EXPECT_FALSE(desktop.Exists(browser));
  EXPECT_TRUE(desktop.Exists(other));
}

TEST_F(SweepRunTest, StartClosesTheOtherFormsBeforeShowingTheBusyIcon) {
  bool busy_when_unloading = false;
  forms.on_unload[FormId::kForm3] = [&] {
    busy_when_unloading = state.Busy;
    EXPECT_TRUE(desktop.CallsOf(CallKind::kNotifyIcon).empty());
  };
  state.PassCount = 2;

  Run();

  EXPECT_TRUE(busy_when_unloading);
  EXPECT_THAT(forms.unloads, ElementsAre(FormId::kForm2, FormId::kForm3));
  EXPECT_FALSE(state.Busy);
  EXPECT_EQ(state.TrayIconData.hIcon, kNormalIcon);
}

struct PassCountCase {
  const char* name;
  std::int16_t pass_count;
  std::size_t scans;
  double seconds;
  friend void PrintTo(const PassCountCase& c, std::ostream* out) { *out << c.name; }
};

class SweepPassCountTest : public SweepRunTest,
                           public ::testing::WithParamInterface<PassCountCase> {};

TEST_P(SweepPassCountTest, MakesOnePassASecondAndSwapsTheIconThereAndBack) {
  const auto stubborn = OpenBrowser("Stubborn", /*closes=*/false);
  state.PassCount = GetParam().pass_count;
  const auto start = pump.Now();

  Run();

  EXPECT_EQ(Scans(), GetParam().scans);
  EXPECT_EQ(desktop.CallsTo(stubborn), ClosingSequence(stubborn, static_cast<int>(GetParam().scans)));
  EXPECT_DOUBLE_EQ(pump.SecondsSince(start), GetParam().seconds);
  constexpr auto kModify = static_cast<std::int64_t>(NotifyIconAction::kModify);
  EXPECT_THAT(IconActions(), ElementsAre(kModify, kModify));
  EXPECT_EQ(state.TrayIconData.hIcon, kNormalIcon);
  EXPECT_FALSE(state.Busy);
  EXPECT_THAT(forms.unloads, ElementsAre(FormId::kForm2, FormId::kForm3));
  // One sleep per pass: the wait never spins.
  EXPECT_EQ(pump.waits, static_cast<int>(GetParam().scans));
}

INSTANTIATE_TEST_SUITE_P(
    PassCounts, SweepPassCountTest,
    ::testing::Values(PassCountCase{"Default", 10, 10, 10.0}, PassCountCase{"One", 1, 1, 1.0},
                      PassCountCase{"Zero", 0, 0, 0.0}, PassCountCase{"Negative", -5, 0, 0.0},
                      PassCountCase{"Lowest", -32768, 0, 0.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SweepRunTest, BusyIconIsShownDuringTheRun) {
  std::vector<IconHandle> shown;
  state.PassCount = 3;
  pump.Schedule(1500ms, [&] {
    shown.push_back(state.TrayIconData.hIcon);
    EXPECT_TRUE(state.Busy);
  });
  Run();
  EXPECT_THAT(shown, ElementsAre(kBusyIcon));
  EXPECT_EQ(desktop.TrayIcon(), std::nullopt);  // modify never adds an icon
}

TEST_F(SweepRunTest, KeptWindowsReceiveNothing) {
  const WindowHandle kept = OpenBrowser("Kept", false);
  const WindowHandle closed = OpenBrowser("Closed", false);
  state.keep.KeepSlots[4].handle = kept;
  state.keep.KeepIndex[0].handle = kept;
  state.PassCount = 3;

  Run();

  EXPECT_TRUE(desktop.CallsTo(kept).empty());
  EXPECT_EQ(desktop.CallsTo(closed), ClosingSequence(closed, 3));
}

TEST_F(SweepRunTest, HandleBehindAZeroInKeepIndexIsNotKept) {
  const WindowHandle window = OpenBrowser();
  state.keep.KeepIndex[1].handle = window;  // after the first zero: not on the list
  state.PassCount = 1;
  Run();
  EXPECT_EQ(desktop.CallsTo(window), ClosingSequence(window, 1));
}

struct FullTableCase {
  const char* name;
  int windows;
  std::int16_t passes;
  friend void PrintTo(const FullTableCase& c, std::ostream* out) { *out << c.name; }
};

class SweepFullTableTest : public SweepRunTest,
                           public ::testing::WithParamInterface<FullTableCase> {};

// A full table is closed whole in its pass; what did not fit follows at the next.
TEST_P(SweepFullTableTest, ClosesEveryWindowOnceInAsFewPassesAsTheTableAllows) {
  std::vector<WindowHandle> windows;
  for (int i = 0; i < GetParam().windows; ++i) windows.push_back(OpenBrowser());
  state.PassCount = GetParam().passes;

  Run();

  for (WindowHandle window : windows) EXPECT_EQ(desktop.CallsTo(window), ClosingSequence(window, 1));
  EXPECT_TRUE(desktop.TopLevelWindows().empty());
}

INSTANTIATE_TEST_SUITE_P(FullTables, SweepFullTableTest,
                         ::testing::Values(FullTableCase{"OneTableInOnePass", 101, 1},
                                           FullTableCase{"MoreThanATable", 150, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SweepRunTest, WindowOpeningDuringAWaitIsClosedAtTheNextPass) {
  WindowHandle popup = 0;
  WindowHandle late = 0;
  pump.Schedule(500ms, [&] { popup = OpenBrowser("Pop-up"); });
  pump.Schedule(2500ms, [&] { late = OpenBrowser("Late"); });
  state.PassCount = 3;

  Run();

  EXPECT_EQ(desktop.CallsTo(popup), ClosingSequence(popup, 1));
  EXPECT_FALSE(desktop.Exists(popup));
  // Opened during the last wait: left open.
  EXPECT_TRUE(desktop.CallsTo(late).empty());
  EXPECT_TRUE(desktop.Exists(late));
}

TEST_F(SweepRunTest, PassCountShownInAnOpenConfigurationDialogIsUsed) {
  forms.on_unload[FormId::kForm3] = [&] { state.PassCount = 2; };
  state.PassCount = 10;
  Run();
  EXPECT_EQ(Scans(), 2u);
}

TEST_F(SweepRunTest, QuittingAbandonsTheRemainingPasses) {
  state.PassCount = 10;
  pump.Schedule(1500ms, [&] { state.Quitting = true; });
  const auto start = pump.Now();

  Run();

  EXPECT_EQ(Scans(), 2u);
  EXPECT_LT(pump.SecondsSince(start), 2.0);
  EXPECT_FALSE(state.Busy);
  // Only the swap to the busy icon: the icon is gone with the main form.
  EXPECT_EQ(IconActions().size(), 1u);
}

TEST_F(SweepRunTest, LongestRunEnds) {
  state.PassCount = 32767;
  Run();
  EXPECT_EQ(Scans(), 32767u);
}

struct WaitCase {
  const char* name;
  double seconds;
  double waited;
  int dispatches;
  friend void PrintTo(const WaitCase& c, std::ostream* out) { *out << c.name; }
};

class WaitTimeTest : public ::testing::TestWithParam<WaitCase> {};

TEST_P(WaitTimeTest, WaitsItsSecondsAndDispatchesOnlyAfterTheFirstReading) {
  Module1 state;
  FakePump pump;
  int ran = 0;
  pump.Schedule(0ms, [&] { ++ran; });
  const auto start = pump.Now();

  wait_time(state, pump, GetParam().seconds);

  EXPECT_DOUBLE_EQ(pump.SecondsSince(start), GetParam().waited);
  EXPECT_EQ(pump.dispatches, GetParam().dispatches);
  EXPECT_EQ(ran, GetParam().dispatches > 0 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Waits, WaitTimeTest,
                         ::testing::Values(WaitCase{"Zero", 0, 0, 0}, WaitCase{"Negative", -3, 0, 0},
                                           WaitCase{"OneSecond", 1, 1, 2},
                                           WaitCase{"Fraction", 0.25, 0.25, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WaitTimeTest, RunsEveryEventThatArrivesDuringTheWait) {
  Module1 state;
  FakePump pump;
  std::vector<int> ran;
  for (int i = 1; i <= 4; ++i) pump.Schedule(i * 200ms, [&ran, i] { ran.push_back(i); });
  wait_time(state, pump, 1);
  EXPECT_THAT(ran, ElementsAre(1, 2, 3, 4));
}

}  // namespace
}  // namespace velmora
