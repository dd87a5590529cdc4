#include "shell/tray_shell.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
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
using testing::kBusyIcon;
using testing::kNormalIcon;

constexpr WindowHandle kMainWindow = 0x5150;
constexpr std::intptr_t kMouseMove = 512;
constexpr std::intptr_t kLeftDown = 513;
constexpr std::intptr_t kLeftUp = 514;
constexpr std::intptr_t kRightDown = 516;

class FakeShellWindows final : public ShellWindows {
 public:
  WindowHandle MainWindow() override { return kMainWindow; }
  MenuCommand PopupMenu() override {
    ++menus_shown;
    return menu_choice;
  }
  void Open(FormId form) override { opened.push_back(form); }

  MenuCommand menu_choice = MenuCommand::kNone;
  int menus_shown = 0;
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

  Module1 state;
  SimDesktop desktop;
  FakeForms forms;
  FakePump pump;
  FakeShellWindows windows;
  TrayShell shell{state, {desktop, forms, pump}, windows};
};

constexpr auto kAdd = static_cast<std::int64_t>(NotifyIconAction::kAdd);
constexpr auto kModify = static_cast<std::int64_t>(NotifyIconAction::kModify);
constexpr auto kDelete = static_cast<std::int64_t>(NotifyIconAction::kDelete);

TEST_F(TrayShellTest, Load_FillsTheIconRecordAndAddsIt) {
  shell.Load();

  ASSERT_TRUE(desktop.TrayIcon().has_value());
  const TrayIconRecord& record = *desktop.TrayIcon();
  EXPECT_EQ(record.cbSize, 88u);
  EXPECT_EQ(record.hWnd, kMainWindow);
  EXPECT_EQ(record.uID, 1u);
  EXPECT_EQ(record.uFlags, 7u);
  EXPECT_EQ(record.uCallbackMessage, 512u);
  EXPECT_EQ(record.hIcon, kNormalIcon);
  std::string expected_tip = "Velmora";
  expected_tip += '\0';
  expected_tip.append(64 - expected_tip.size(), ' ');
  EXPECT_EQ(std::string(record.szTip.begin(), record.szTip.end()), expected_tip);
  EXPECT_THAT(IconActions(), ElementsAre(kAdd));
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

TEST_F(TrayShellTest, MouseMove_OnlyDoubleClickRunsAndOnlyRightButtonUpOpensTheMenu) {
  struct Case {
    std::intptr_t lparam;
    bool runs;
    bool opens_menu;
  };
  const Case cases[] = {
      {kMouseMove, false, false},
      {kLeftDown, false, false},
      {kLeftUp, false, false},
      {kRightDown, false, false},
      {515, true, false},
      {517, false, true},
      // The high word carries nothing the shell reads.
      {(3 << 16) | 515, true, false},
      {(0x7FFF << 16) | 517, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lparam);
    Loaded();
    const int menus_before = windows.menus_shown;
    const WindowHandle browser = OpenBrowser();

    shell.MouseMove(c.lparam);

    EXPECT_EQ(desktop.Exists(browser), !c.runs);
    EXPECT_EQ(windows.menus_shown - menus_before, c.opens_menu ? 1 : 0);
    EXPECT_EQ(IconActions().size(), c.runs ? 2u : 0u);
    if (desktop.Exists(browser)) desktop.Destroy(browser);
  }
}

TEST_F(TrayShellTest, MouseMove_DoubleClickWhileBusyStartsNoRun) {
  Loaded();
  state.Busy = true;
  const WindowHandle browser = OpenBrowser();

  shell.MouseMove(515);

  EXPECT_TRUE(desktop.Exists(browser));
  EXPECT_THAT(IconActions(), IsEmpty());
}

TEST_F(TrayShellTest, MouseMove_DuringARunEveryTrayMessageIsIgnored) {
  Loaded();
  const WindowHandle stubborn =
      desktop.Open({.class_name = "IEFrame", .title = "Page", .closes_on_wm_close = false});
  // A double-click and a right click while the run waits between passes;
  // Busy is cleared meanwhile so that only the tray guard can stop them.
  pump.Schedule(2500ms, [this] {
    state.Busy = false;
    shell.MouseMove(515);
    shell.MouseMove(516);
    shell.MouseMove(517);
  });
  const auto start = pump.Now();

  shell.MouseMove(515);

  EXPECT_EQ(windows.menus_shown, 0);
  EXPECT_THAT(IconActions(), ElementsAre(kModify, kModify));
  EXPECT_EQ(desktop.CallsTo(stubborn).size(), 10u * 3u);
  EXPECT_NEAR(pump.SecondsSince(start), 10.0, 0.01);
  // Once the run is over the shell answers again.
  shell.MouseMove(517);
  EXPECT_EQ(windows.menus_shown, 1);
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

TEST_F(TrayShellTest, MouseMove_RightClickRunsTheChosenCommand) {
  Loaded();
  windows.menu_choice = MenuCommand::kExit;

  shell.MouseMove(517);

  EXPECT_THAT(forms.unloads, ElementsAre(FormId::kForm1, FormId::kForm2, FormId::kForm3));
  EXPECT_FALSE(desktop.TrayIcon().has_value());
}

TEST_F(TrayShellTest, QueryUnload_ClosesTheOtherWindowsThenDeletesTheIcon) {
  Loaded();
  // Whatever happened to the record, the delete names our icon.
  state.TrayIconData.cbSize = 0;
  state.TrayIconData.hWnd = 0;
  state.TrayIconData.uID = 9;

  shell.QueryUnload();

  EXPECT_THAT(forms.unloads, ElementsAre(FormId::kForm2, FormId::kForm3));
  const std::vector<Call> icon_calls = desktop.CallsOf(CallKind::kNotifyIcon);
  ASSERT_EQ(icon_calls.size(), 1u);
  EXPECT_EQ(icon_calls[0].argument, kDelete);
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
  for (const Case& c : {Case{false, true, kNormalIcon, {kModify, kAdd}},
                        Case{true, true, kBusyIcon, {kModify, kAdd}},
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
      shell.MouseMove(515);
    } else {
      rebuild_tray();
    }

    EXPECT_EQ(actions, c.actions);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->hIcon, c.expected);
    EXPECT_EQ(shown->hWnd, kMainWindow);
    EXPECT_EQ(shown->uCallbackMessage, 512u);
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

    shell.MouseMove(515);

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
