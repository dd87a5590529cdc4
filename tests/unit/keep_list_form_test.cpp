#include "keeplist/keep_list_form.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes.h"
#include "platform/sim/sim_desktop.h"

namespace velmora {
namespace {

using sim::Call;
using sim::CallKind;
using sim::SimDesktop;
using ::testing::ElementsAre;
using testing::RecordingListBox;

class FakeKeepListView final : public KeepListView {
 public:
  void SetCaption(const std::string& text) override { caption = text; }
  void SetPrompt(const std::string& text) override { prompt = text; }
  void SetTimerInterval(int milliseconds) override { interval = milliseconds; }
  WindowHandle Handle() override { return handle; }
  ListBoxView& List() override { return list; }

  std::string caption;
  std::string prompt;
  int interval = 0;
  WindowHandle handle = 0x4242;
  RecordingListBox list;
};

struct KeyNameCase {
  std::int32_t capture_key;
  const char* caption;
  const char* prompt;
};

class KeepListTextsTest : public ::testing::TestWithParam<KeyNameCase> {};

TEST_P(KeepListTextsTest, NameTheCaptureKey) {
  EXPECT_EQ(KeepListCaption(GetParam().capture_key), GetParam().caption);
  EXPECT_EQ(CaptureKeyPrompt(GetParam().capture_key), GetParam().prompt);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeepListTextsTest,
    ::testing::Values(
        KeyNameCase{112, "A conserver... (F1)", "conserver et appuyez sur la touche F1"},
        KeyNameCase{120, "A conserver... (F9)", "conserver et appuyez sur la touche F9"},
        KeyNameCase{123, "A conserver... (F12)", "conserver et appuyez sur la touche F12"}));

class KeepListFormTest : public ::testing::Test {
 protected:
  Module1 state;
  SimDesktop desktop;
  FakeKeepListView view;
  KeepListForm form{state, desktop, view};
};

TEST_F(KeepListFormTest, LoadStartsPollingStaysOnTopAndPrunesTheList) {
  const WindowHandle open = desktop.Open({.class_name = "IEFrame", .title = "Ouverte"});
  state.keep.KeepSlots[3].handle = open;
  state.keep.KeepSlots[7].handle = 0x999;  // closed since it was captured
  state.CaptureKey = 116;

  form.Load();

  EXPECT_EQ(view.interval, kCapturePollMilliseconds);
  EXPECT_EQ(view.caption, "A conserver... (F5)");
  EXPECT_EQ(view.prompt, "conserver et appuyez sur la touche F5");
  EXPECT_THAT(desktop.CallsOf(CallKind::kMakeTopMost),
              ElementsAre(Call{CallKind::kMakeTopMost, view.handle}));
  EXPECT_EQ(state.keep.KeepSlots[7].handle, 0);
  EXPECT_THAT(view.list.items, ElementsAre("Ouverte"));
}

TEST_F(KeepListFormTest, ClearEmptiesTheListWithoutAScan) {
  const WindowHandle open = desktop.Open({.class_name = "IEFrame", .title = "Ouverte"});
  state.keep.KeepSlots[0].handle = open;
  form.Load();
  desktop.ClearCalls();
  state.keep.KeepCursor = 4;
  const int refreshes = view.list.refreshes;

  form.ClearClick();

  EXPECT_TRUE(view.list.items.empty());
  EXPECT_EQ(view.list.refreshes, refreshes + 1);
  EXPECT_EQ(state.keep.KeepCursor, 0);
  EXPECT_FALSE(IsKept(state.keep, open));
  EXPECT_TRUE(desktop.CallsOf(CallKind::kEnumWindows).empty());
}

TEST_F(KeepListFormTest, ClosingStopsThePolling) {
  form.Load();
  form.QueryUnload();
  EXPECT_EQ(view.interval, 0);
}

TEST_F(KeepListFormTest, TickUsesTheCaptureKeyOfTheMoment) {
  const WindowHandle browser =
      desktop.Open({.class_name = "IEFrame", .title = "Page", .rect = {0, 0, 100, 100}});
  form.Load();
  desktop.MoveCursor({5, 5});
  state.CaptureKey = 112;
  desktop.PressKey(112);
  EXPECT_EQ(form.Tick(), CaptureResult::kCaptured);
  EXPECT_TRUE(IsKept(state.keep, browser));
}

}  // namespace
}  // namespace velmora
