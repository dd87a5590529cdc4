#include "shell/tray_shell.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fakes.h"
#include "platform/sim/sim_desktop.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using sim::Call;
using sim::CallKind;
using sim::SimDesktop;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::FakeForms;
using testing::FakePump;
using testing::FakeSession;
using testing::kBusyIcon;
using testing::kNormalIcon;

constexpr WindowHandle kMainWindow = 0x5150;
// What a version-4 icon reports, in the low word of lParam; the icon's id is
// in the high word.
constexpr std::intptr_t kMouseMove = 512;
constexpr std::intptr_t kLeftDown = 513;
constexpr std::intptr_t kLeftUp = 514;
constexpr std::intptr_t kDoubleClick = 515;
constexpr std::intptr_t kRightDown = 516;
constexpr std::intptr_t kRightUp = 517;
constexpr std::intptr_t kSelect = 0x400;      // NIN_SELECT
constexpr std::intptr_t kKeySelect = 0x401;   // NIN_KEYSELECT
constexpr std::intptr_t kContextMenu = 0x7B;  // WM_CONTEXTMENU
constexpr std::intptr_t kFromIcon = 1 << 16;
// The icon's anchor, (1013, -5) on a screen above the primary one.
constexpr std::uintptr_t kAnchor = (0xFFFBu << 16) | 1013u;

class FakeShellWindows final : public ShellWindows {
 public:
  WindowHandle MainWindow() override { return kMainWindow; }
  MenuCommand PopupMenu(Point at) override {
    ++menus_shown;
    menu_at = at;
    if (auto open = std::exchange(while_open, nullptr)) open();
    return menu_choice;
  }
  void Open(FormId form) override { opened.push_back(form); }

  MenuCommand menu_choice = MenuCommand::kNone;
  // What arrives while the menu is open: its loop dispatches messages.
  std::function<void()> while_open;
  int menus_shown = 0;
  Point menu_at;
  std::vector<FormId> opened;
};

class TrayShellTest : public ::testing::Test {
 protected:
  TrayShellTest() {
    // As on the real forms, unloading the main form runs its QueryUnload.
    forms.on_unload[FormId::kForm1] = [this] { shell.QueryUnload(); };
  }

  std::vector<std::int64_t> IconActions() const {
    std::vector<std::int64_t> actions;
    for (const Call& call : desktop.CallsOf(CallKind::kNotifyIcon)) actions.push_back(call.argument);
    return actions;
  }
  void Loaded() {
    shell.Load();
    desktop.ClearCalls();
    forms.unloads.clear();
  }
  WindowHandle OpenBrowser() { return desktop.Open({.class_name = "IEFrame", .title = "Page"}); }
  void Tray(std::intptr_t message) { shell.TrayCallback(kAnchor, kFromIcon | message); }
  int Runs() const { return static_cast<int>(IconActions().size()) / 2; }

  Module1 state;
  SimDesktop desktop;
  FakeForms forms;
  FakePump pump;
  FakeShellWindows windows;
  FakeSession session;
  TrayShell shell{state, {desktop, forms, pump}, windows, session};
};

constexpr auto kAdd = static_cast<std::int64_t>(NotifyIconAction::kAdd);
constexpr auto kModify = static_cast<std::int64_t>(NotifyIconAction::kModify);
constexpr auto kDelete = static_cast<std::int64_t>(NotifyIconAction::kDelete);
constexpr auto kSetVersion = static_cast<std::int64_t>(NotifyIconAction::kSetVersion);

TEST_F(TrayShellTest, Load_FillsTheIconRecordAndAddsItAtVersion4) {
  // A slow Shell may report a failed addition yet show the icon: it must
  // still send the menu and the keyboard's events.
  for (const bool add_reports_failure : {false, true}) {
    SCOPED_TRACE(add_reports_failure);
    desktop.NotifyIcon(NotifyIconAction::kDelete, state.TrayIconData);
    desktop.ClearCalls();
    desktop.add_reports_failure = add_reports_failure;

    shell.Load();

    ASSERT_TRUE(desktop.TrayIcon().has_value());
    const TrayIconRecord& record = *desktop.TrayIcon();
    EXPECT_EQ(record.hWnd, kMainWindow);
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, 0x87u);  // message, icon, tip, and the tip shown
    EXPECT_EQ(record.uCallbackMessage, 0x8001u);
    EXPECT_EQ(record.hIcon, kNormalIcon);
    EXPECT_EQ(record.szTip, "Velmora");
    EXPECT_EQ(record.uVersion, 4u);
    EXPECT_THAT(IconActions(), ElementsAre(kAdd, kSetVersion));
  }
}

TEST_F(TrayShellTest, Load_StartsFromTheDefaultsWithAnEmptyKeepList) {
  state.PassCount = -3;
  state.CaptureKey = 112;
  state.Busy = true;
  state.keep.KeepSlots[4] = {"Gardée", 0x77};
  state.keep.KeepIndex[0] = {"Gardée", 0x77};
  state.keep.KeepCursor = 5;

  shell.Load();

  EXPECT_EQ(state.PassCount, 10);
  EXPECT_EQ(state.CaptureKey, 120);
  EXPECT_FALSE(state.Busy);
  EXPECT_EQ(state.keep.KeepSlots[4].handle, 0);
  EXPECT_EQ(state.keep.KeepIndex[0].handle, 0);
  EXPECT_EQ(state.keep.KeepCursor, 0);
}

// One gesture as the notification area reports it, each message a
// millisecond after the last, so that those after the first arrive while a
// run it started is waiting.
struct Gesture {
  const char* what;
  std::vector<std::intptr_t> messages;
  int runs;
  int menus;
};
const Gesture kGestures[] = {
    {"double-click", {kLeftDown, kLeftUp, kSelect, kDoubleClick, kLeftUp, kSelect}, 1, 0},
    {"Enter, reported once", {kKeySelect}, 1, 0},
    {"Enter, reported twice", {kKeySelect, kKeySelect}, 1, 0},
    {"right click", {kRightDown, kRightUp, kContextMenu}, 0, 1},
    {"menu key", {kContextMenu}, 0, 1},
    {"single click", {kMouseMove, kLeftDown, kLeftUp, kSelect}, 0, 0},
};

TEST_F(TrayShellTest, TrayCallback_EachGestureRunsOnceOrOpensTheMenuOnce) {
  for (const int passes : {10, 0}) {
    for (const Gesture& g : kGestures) {
      SCOPED_TRACE(std::string(g.what) + ", passes " + std::to_string(passes));
      state = Module1{};
      Loaded();
      state.PassCount = static_cast<std::int16_t>(passes);
      pump.now += 1s;  // well after the previous gesture
      const int menus_before = windows.menus_shown;
      for (std::size_t i = 0; i < g.messages.size(); ++i) {
        pump.Schedule(std::chrono::milliseconds(i), [this, m = g.messages[i]] { Tray(m); });
      }
      while (!pump.events.empty()) {
        pump.WaitForEvents(pump.Now() + 1h);
        pump.DoEvents();
      }

      EXPECT_EQ(Runs(), g.runs);
      EXPECT_EQ(windows.menus_shown - menus_before, g.menus);
    }
  }
  // The menu opens at the icon, wherever the pointer is.
  EXPECT_EQ(windows.menu_at.x, 1013);
  EXPECT_EQ(windows.menu_at.y, -5);
}

TEST_F(TrayShellTest, TrayCallback_AKeySelectionWithinHalfASecondOfTheLastIsAnEcho) {
  struct Case {
    std::vector<int> at_ms;
    int runs;
  };
  for (const Case& c : {Case{{0, 499}, 1}, Case{{0, 500}, 2}, Case{{0, 600}, 2},
                        Case{{0, 300, 600}, 1}}) {
    SCOPED_TRACE(::testing::PrintToString(c.at_ms));
    Loaded();
    state.PassCount = 0;  // each run ends at once
    pump.now += 1s;
    const auto start = pump.now;
    for (const int at : c.at_ms) {
      pump.now = start + std::chrono::milliseconds(at);
      Tray(kKeySelect);
    }

    EXPECT_EQ(Runs(), c.runs);
  }
}

TEST_F(TrayShellTest, TrayCallback_WhileTheMenuIsOpenNothingElseHappens) {
  Loaded();
  state.PassCount = 0;
  const WindowHandle browser = OpenBrowser();
  windows.while_open = [this] {
    Tray(kDoubleClick);
    Tray(kKeySelect);
    shell.Request(StartRequest::kSweep);
    Tray(kContextMenu);
  };

  Tray(kContextMenu);

  EXPECT_EQ(windows.menus_shown, 1);
  EXPECT_THAT(IconActions(), IsEmpty());
  EXPECT_TRUE(desktop.Exists(browser));
}

TEST_F(TrayShellTest, TrayCallback_DuringARunEveryGestureAndSweepRequestIsIgnored) {
  for (const Gesture& g : kGestures) {
    SCOPED_TRACE(g.what);
    state = Module1{};
    Loaded();
    const int menus_before = windows.menus_shown;
    // Busy is cleared meanwhile, so that only the tray guard can stop them.
    pump.Schedule(2500ms, [this, &g] {
      state.Busy = false;
      for (const std::intptr_t message : g.messages) Tray(message);
      shell.Request(StartRequest::kSweep);
    });
    const auto start = pump.Now();

    Tray(kDoubleClick);

    EXPECT_EQ(windows.menus_shown, menus_before);
    EXPECT_EQ(Runs(), 1);
    EXPECT_NEAR(pump.SecondsSince(start), 10.0, 0.01);
  }
  // Once the run is over the shell answers again.
  Tray(kContextMenu);
  EXPECT_EQ(windows.menus_shown, 1);
}

TEST_F(TrayShellTest, TrayCallback_WhileBusyNothingStartsARun) {
  Loaded();
  state.Busy = true;
  const WindowHandle browser = OpenBrowser();

  Tray(kDoubleClick);
  Tray(kKeySelect);
  shell.Request(StartRequest::kSweep);

  EXPECT_TRUE(desktop.Exists(browser));
  EXPECT_THAT(IconActions(), IsEmpty());
}

TEST_F(TrayShellTest, Request_SweepsAsADoubleClickOrQuitsAsQuitter) {
  Loaded();
  const WindowHandle browser = OpenBrowser();

  shell.Request(StartRequest::kSweep);

  EXPECT_FALSE(desktop.Exists(browser));
  EXPECT_EQ(Runs(), 1);
  shell.Request(StartRequest::kNone);
  EXPECT_EQ(Runs(), 1);
  EXPECT_THAT(forms.unloads, ElementsAre(FormId::kForm2, FormId::kForm3));

  shell.Request(StartRequest::kQuit);

  EXPECT_THAT(forms.unloads, ElementsAre(FormId::kForm2, FormId::kForm3, FormId::kForm1,
                                         FormId::kForm2, FormId::kForm3));
  EXPECT_FALSE(desktop.TrayIcon().has_value());
}

TEST_F(TrayShellTest, MenuClick_EachCommandDoesItsOwnThing) {
  struct Case {
    MenuCommand command;
    std::vector<FormId> unloaded;
    std::vector<FormId> opened;
  };
  const Case cases[] = {
      // The keep-list window and the configuration dialog are never open together.
      {MenuCommand::kFen, {FormId::kForm3}, {FormId::kForm2}},
      {MenuCommand::kConfig, {FormId::kForm2}, {FormId::kForm3}},
      {MenuCommand::kAbout, {}, {FormId::kForm4}},
      // Quitter unloads the main form, whose QueryUnload takes the other two.
      {MenuCommand::kExit, {FormId::kForm1, FormId::kForm2, FormId::kForm3}, {}},
      {MenuCommand::kNone, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.command));
    Loaded();
    windows.opened.clear();

    shell.MenuClick(c.command);

    EXPECT_EQ(forms.unloads, c.unloaded);
    EXPECT_EQ(windows.opened, c.opened);
  }
}

TEST_F(TrayShellTest, TrayCallback_ContextMenuRunsTheChosenCommand) {
  Loaded();
  windows.menu_choice = MenuCommand::kExit;

  Tray(kContextMenu);

  EXPECT_THAT(forms.unloads, ElementsAre(FormId::kForm1, FormId::kForm2, FormId::kForm3));
  EXPECT_FALSE(desktop.TrayIcon().has_value());
}

TEST_F(TrayShellTest, QueryUnload_LetsTheSessionGoThenClosesTheOtherWindowsAndDeletesTheIcon) {
  Loaded();
  // Whatever happened to the record, the delete names our icon.
  state.TrayIconData.hWnd = 0;
  state.TrayIconData.uID = 9;
  // A new start may be the resident Velmora before the Shell, which may be
  // slow, has deleted the icon, and even if an about box keeps this process.
  std::size_t calls_at_resignation = 1;
  std::size_t unloads_at_resignation = 1;
  session.on_resign = [&] {
    calls_at_resignation = desktop.Calls().size();
    unloads_at_resignation = forms.unloads.size();
  };

  shell.QueryUnload();

  EXPECT_EQ(session.resignations, 1);
  EXPECT_EQ(calls_at_resignation, 0u);
  EXPECT_EQ(unloads_at_resignation, 0u);
  EXPECT_THAT(forms.unloads, ElementsAre(FormId::kForm2, FormId::kForm3));
  EXPECT_THAT(desktop.CallsOf(CallKind::kNotifyIcon),
              ElementsAre(Call{.kind = CallKind::kNotifyIcon, .window = kMainWindow,
                               .argument = kDelete}));
  EXPECT_FALSE(desktop.TrayIcon().has_value());
}

// Explorer restarted has forgotten the icon; a rescaled notification area
// still holds it.
TEST_F(TrayShellTest, TaskbarCreated_ShowsTheIconShownNowAgain) {
  struct Case {
    bool during_run;
    bool forgotten;
    IconHandle expected;
    std::vector<std::int64_t> actions;
  };
  for (const Case& c : {Case{false, true, kNormalIcon, {kModify, kAdd, kSetVersion}},
                        Case{true, true, kBusyIcon, {kModify, kAdd, kSetVersion}},
                        Case{false, false, kNormalIcon, {kModify}},
                        Case{true, false, kBusyIcon, {kModify}}}) {
    SCOPED_TRACE(::testing::Message() << c.during_run << c.forgotten);
    Loaded();
    std::optional<TrayIconRecord> shown;
    std::vector<std::int64_t> actions;
    auto rebuild_tray = [&] {
      if (c.forgotten) desktop.NotifyIcon(NotifyIconAction::kDelete, state.TrayIconData);
      desktop.ClearCalls();
      shell.TaskbarCreated();
      actions = IconActions();
      shown = desktop.TrayIcon();
    };
    if (c.during_run) {
      pump.Schedule(1500ms, rebuild_tray);
      Tray(kDoubleClick);
    } else {
      rebuild_tray();
    }

    EXPECT_EQ(actions, c.actions);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->hIcon, c.expected);
    EXPECT_EQ(shown->hWnd, kMainWindow);
    EXPECT_EQ(shown->uCallbackMessage, 0x8001u);
    EXPECT_EQ(shown->uVersion, 4u);
    ASSERT_TRUE(desktop.TrayIcon().has_value());
    EXPECT_EQ(desktop.TrayIcon()->hIcon, kNormalIcon);
  }
}

TEST_F(TrayShellTest, MainFormUnloadedDuringARun_EndsTheRunAndLeavesNoIcon) {
  struct Case {
    const char* what;
    std::function<void(TrayShell&, Forms&)> unload;
    std::vector<FormId> unloads;
  } const cases[] = {
      // The about box goes too: nothing may keep the process alive.
      {"the session ends", [](TrayShell& shell, Forms&) { shell.EndSession(); },
       {FormId::kForm4, FormId::kForm1, FormId::kForm2, FormId::kForm3}},
      // As after "Quitter", an open about box keeps the process until it is
      // closed.
      {"another program closes the main form",
       [](TrayShell&, Forms& forms) { forms.Unload(FormId::kForm1); },
       {FormId::kForm1, FormId::kForm2, FormId::kForm3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    state = Module1{};
    Loaded();
    const WindowHandle stubborn =
        desktop.Open({.class_name = "IEFrame", .title = "Page", .closes_on_wm_close = false});
    pump.Schedule(2500ms, [&] { c.unload(shell, forms); });
    const auto start = pump.Now();

    Tray(kDoubleClick);

    EXPECT_TRUE(state.Quitting);
    EXPECT_FALSE(state.Busy);
    EXPECT_LT(pump.SecondsSince(start), 3.01);
    EXPECT_EQ(desktop.CallsTo(stubborn).size(), 3u * 3u);
    std::vector<FormId> expected{FormId::kForm2, FormId::kForm3};  // the run's start
    expected.insert(expected.end(), c.unloads.begin(), c.unloads.end());
    EXPECT_EQ(forms.unloads, expected);
    EXPECT_THAT(IconActions(), ElementsAre(kModify, kDelete));
    EXPECT_FALSE(desktop.TrayIcon().has_value());
  }
}

}  // namespace
}  // namespace velmora
