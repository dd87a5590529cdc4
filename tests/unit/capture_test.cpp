#include "keeplist/capture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes.h"
#include "platform/sim/sim_desktop.h"

namespace velmora {
namespace {

using sim::SimDesktop;
using ::testing::ElementsAre;
using testing::RecordingListBox;

constexpr std::int32_t kF9 = 120;

// A browser frame at the top of the screen whose page is a child window, a
// dialog box below it, and a kept browser frame below that.
class CaptureTickTest : public ::testing::Test {
 protected:
  CaptureTickTest() {
    browser = desktop.Open({.class_name = "IEFrame", .title = "Accueil", .rect = {0, 0, 400, 300}});
    page = desktop.OpenChild(browser, {.class_name = "Internet Explorer_Server",
                                       .rect = {0, 30, 400, 300}});
    dialog = desktop.Open({.class_name = "#32770", .title = "Alerte", .rect = {0, 400, 200, 500}});
    kept = desktop.Open({.class_name = "BLDOPERA", .title = "Gardée", .rect = {0, 600, 200, 700}});
    EXPECT_EQ(CaptureIfQualified(store, Context(), kept), CaptureResult::kCaptured);
  }
  KeepListContext Context() { return {tables, desktop, list}; }
  CaptureResult Tick() { return CaptureTick(store, Context(), kF9); }

  KeepStore store;
  ScanTables tables;
  SimDesktop desktop;
  RecordingListBox list;
  WindowHandle browser, page, dialog, kept;
};

struct TickCase {
  const char* name;
  Point pointer;
  bool press;
  CaptureResult result;
  std::vector<std::string> list_after;
  friend void PrintTo(const TickCase& c, std::ostream* out) { *out << c.name; }
};

class CaptureTickCases : public CaptureTickTest, public ::testing::WithParamInterface<TickCase> {};

TEST_P(CaptureTickCases, CapturesOnlyAnUnkeptBrowserFrameUnderThePointer) {
  desktop.MoveCursor(GetParam().pointer);
  if (GetParam().press) {
    desktop.PressKey(kF9);
    desktop.ReleaseKey(kF9);  // a short press between two ticks still counts
  }
  EXPECT_EQ(Tick(), GetParam().result);
  EXPECT_EQ(list.items, GetParam().list_after);
}

INSTANTIATE_TEST_SUITE_P(
    Ticks, CaptureTickCases,
    ::testing::Values(
        TickCase{"NoPress", {10, 10}, false, CaptureResult::kNoKeyPress, {"Gardée"}},
        TickCase{"TitleBar", {10, 10}, true, CaptureResult::kCaptured, {"Gardée", "Accueil"}},
        TickCase{"PageChild", {10, 100}, true, CaptureResult::kNotQualified, {"Gardée"}},
        TickCase{"Dialog", {10, 410}, true, CaptureResult::kNotQualified, {"Gardée"}},
        TickCase{"KeptWindow", {10, 610}, true, CaptureResult::kAlreadyKept, {"Gardée"}},
        TickCase{"Desktop", {900, 900}, true, CaptureResult::kNotQualified, {"Gardée"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CaptureTickTest, HeldKeyCapturesOnceThenOnlyRedisplays) {
  desktop.MoveCursor({10, 10});
  desktop.PressKey(kF9);
  EXPECT_EQ(Tick(), CaptureResult::kCaptured);
  EXPECT_EQ(Tick(), CaptureResult::kAlreadyKept);
  EXPECT_EQ(Tick(), CaptureResult::kAlreadyKept);
  EXPECT_EQ(store.KeepCursor, 2);
  EXPECT_THAT(list.items, ElementsAre("Gardée", "Accueil"));  // slot order
}

TEST_F(CaptureTickTest, OnlyTheCaptureKeyCounts) {
  desktop.MoveCursor({10, 10});
  desktop.PressKey(kF9 + 1);
  EXPECT_EQ(Tick(), CaptureResult::kNoKeyPress);
}

TEST_F(CaptureTickTest, NetscapeFrameNeedsItsTitleSuffix) {
  const WindowHandle frame = desktop.Open(
      {.class_name = "Afx:400000:b:0", .title = "Page - Mozilla", .rect = {500, 0, 900, 300}});
  desktop.MoveCursor({510, 10});
  desktop.PressKey(kF9);
  EXPECT_EQ(Tick(), CaptureResult::kNotQualified);
  desktop.Window(frame).title = "Page - Netscape";
  EXPECT_EQ(Tick(), CaptureResult::kCaptured);
}

}  // namespace
}  // namespace velmora
