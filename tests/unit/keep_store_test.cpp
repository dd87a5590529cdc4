#include "keeplist/keep_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "fakes.h"
#include "keeplist/capture.h"
#include "platform/sim/sim_desktop.h"

namespace velmora {
namespace {

using sim::SimDesktop;
using ::testing::ElementsAre;
using testing::RecordingListBox;

std::vector<WindowHandle> HandlesOf(const std::array<WindowEntry, kKeepTableSize>& table) {
  std::vector<WindowHandle> handles;
  for (const WindowEntry& entry : table) handles.push_back(entry.handle);
  return handles;
}

// An independent statement of the keep-list rules, written from the rules
// rather than from the code.
class KeepModel {
 public:
  void Clear() {
    slots_.fill(0);
    cursor_ = 0;
  }
  void Refresh(const std::vector<WindowHandle>& listed) {
    for (WindowHandle& slot : slots_) {
      if (std::find(listed.begin(), listed.end(), slot) == listed.end()) slot = 0;
    }
  }
  void Capture(WindowHandle window, const std::vector<WindowHandle>& listed) {
    if (cursor_ > 299) cursor_ = 0;
    slots_[static_cast<std::size_t>(cursor_++)] = window;
    Refresh(listed);
  }
  bool Kept(WindowHandle window) const {
    return window != 0 && std::find(slots_.begin(), slots_.end(), window) != slots_.end();
  }
  std::vector<WindowHandle> Index() const {
    std::vector<WindowHandle> index;
    std::copy_if(slots_.begin(), slots_.end(), std::back_inserter(index),
                 [](WindowHandle slot) { return slot != 0; });
    index.resize(kKeepTableSize, 0);
    return index;
  }
  std::vector<WindowHandle> Slots() const { return {slots_.begin(), slots_.end()}; }
  int Cursor() const { return cursor_; }

 private:
  std::array<WindowHandle, kKeepTableSize> slots_{};
  int cursor_ = 0;
};

class KeepStoreTest : public ::testing::Test {
 protected:
  KeepListContext Context() { return {tables, desktop, list}; }
  WindowHandle OpenBrowser(std::string title) {
    return desktop.Open({.class_name = "IEFrame", .title = std::move(title)});
  }
  CaptureResult Capture(WindowHandle window) { return CaptureIfQualified(store, Context(), window); }

  KeepStore store;
  ScanTables tables;
  SimDesktop desktop;
  RecordingListBox list;
};

// What a fresh scan lists, worked out from the desktop alone: qualifying
// top-level windows, front first, at most a full table.
std::vector<WindowHandle> ListedByScan(SimDesktop& desktop) {
  std::vector<WindowHandle> listed;
  for (WindowHandle window : desktop.TopLevelWindows()) {
    const auto& state = desktop.Window(window);
    const bool browser_or_dialog = state.class_name == "IEFrame" || state.class_name == "#32770";
    const bool titled = state.title.find_first_not_of(' ') != std::string::npos;
    if (browser_or_dialog && titled && listed.size() < kScanTableSize) listed.push_back(window);
  }
  return listed;
}

TEST_F(KeepStoreTest, RandomOperationsKeepTheStoreEqualToTheModel) {
  std::mt19937 random(20011803);
  auto pick = [&](auto count) { return std::uniform_int_distribution<int>(0, count - 1)(random); };
  const std::vector<std::string> classes = {"IEFrame", "IEFrame", "IEFrame", "#32770", "Notepad"};
  const std::vector<std::string> titles = {"", "   ", "Page", "Accueil", "Новости", " Mail "};
  std::vector<WindowHandle> ever_opened;
  KeepModel model;
  int captures = 0;

  for (int step = 0; step < 15000; ++step) {
    const std::vector<WindowHandle> alive = desktop.TopLevelWindows();
    const int operation = pick(10);
    // Few enough windows that the scan lists most of them and captures last.
    if ((operation <= 1 && alive.size() < 60) || alive.empty()) {
      const WindowHandle window =
          desktop.Open({.class_name = classes[static_cast<std::size_t>(pick(classes.size()))],
                        .title = titles[static_cast<std::size_t>(pick(titles.size()))]});
      ever_opened.push_back(window);
      if (pick(4) == 0) desktop.OpenChild(window, {.class_name = "IEFrame", .title = "Child"});
    } else if (operation <= 2) {
      desktop.Destroy(alive[static_cast<std::size_t>(pick(alive.size()))]);
    } else if (operation == 3) {
      desktop.Window(alive[static_cast<std::size_t>(pick(alive.size()))]).title =
          titles[static_cast<std::size_t>(pick(titles.size()))];
    } else if (operation <= 7) {
      // Mostly a live window; sometimes a vanished one or a child window.
      const bool live = pick(4) != 0;
      const auto& candidates = live ? alive : ever_opened;
      const WindowHandle window = candidates[static_cast<std::size_t>(pick(candidates.size()))] +
                                  (!live && pick(2) == 0 ? 2 : 0);
      const bool capturable =
          desktop.Exists(window) && QualifyWindow(desktop, window, DialogBoxes::kNotCounted);
      const bool was_kept = model.Kept(window);
      const CaptureResult result = Capture(window);
      if (!capturable) {
        EXPECT_EQ(result, CaptureResult::kNotQualified);
      } else if (was_kept) {
        EXPECT_EQ(result, CaptureResult::kAlreadyKept);
      } else {
        EXPECT_EQ(result, CaptureResult::kCaptured);
        model.Capture(window, ListedByScan(desktop));
        ++captures;
      }
    } else if (step % 5000 == 4999) {  // rare, so that the cursor goes round the ring
      ClearKeepLists(store);
      model.Clear();
    } else {
      RefreshKeepList(store, Context());
      model.Refresh(ListedByScan(desktop));
    }

    ASSERT_EQ(HandlesOf(store.KeepSlots), model.Slots()) << "step " << step;
    ASSERT_EQ(HandlesOf(store.KeepIndex), model.Index()) << "step " << step;
    ASSERT_EQ(store.KeepCursor, model.Cursor());
    ASSERT_GE(store.KeepCursor, 0);
    ASSERT_LE(store.KeepCursor, kKeepSlotsUsed);
    ASSERT_EQ(store.KeepSlots[kKeepSlotsUsed].handle, 0);
    std::set<WindowHandle> distinct;
    for (const WindowEntry& slot : store.KeepSlots) {
      if (slot.handle == 0) continue;
      ASSERT_TRUE(distinct.insert(slot.handle).second) << "step " << step;
    }
  }
  // Enough captures for the cursor to go round the ring.
  EXPECT_GT(captures, 2 * kKeepSlotsUsed);
}

TEST_F(KeepStoreTest, ThreeHundredAndFirstCaptureReplacesSlotZero) {
  const WindowHandle first = OpenBrowser("First");
  ASSERT_EQ(Capture(first), CaptureResult::kCaptured);
  // 299 more captures of windows that close again, so the table never fills.
  for (int i = 1; i < kKeepSlotsUsed; ++i) {
    const WindowHandle passing = OpenBrowser("Passing");
    ASSERT_EQ(Capture(passing), CaptureResult::kCaptured);
    desktop.Destroy(passing);
  }
  ASSERT_EQ(store.KeepCursor, kKeepSlotsUsed);
  ASSERT_TRUE(IsKept(store, first));

  const WindowHandle last = OpenBrowser("Last");
  ASSERT_EQ(Capture(last), CaptureResult::kCaptured);

  EXPECT_EQ(store.KeepSlots[0].handle, last);
  EXPECT_EQ(store.KeepSlots[0].title, "Last");
  EXPECT_EQ(store.KeepCursor, 1);
  EXPECT_FALSE(IsKept(store, first));
  EXPECT_EQ(store.KeepIndex[kKeepSlotsUsed].handle, 0);
  EXPECT_THAT(list.items, ElementsAre("Last"));
}

TEST_F(KeepStoreTest, ListShowsCurrentTitlesInSlotOrder) {
  const WindowHandle a = OpenBrowser("A");
  const WindowHandle b = OpenBrowser("B");
  ASSERT_EQ(Capture(b), CaptureResult::kCaptured);
  ASSERT_EQ(Capture(a), CaptureResult::kCaptured);
  desktop.Window(b).title = "  B renamed ";

  RefreshKeepList(store, Context());

  EXPECT_THAT(list.items, ElementsAre("B renamed", "A"));
}

TEST_F(KeepStoreTest, CapturingAKeptWindowOnlyRefreshesItsTitle) {
  const WindowHandle window = OpenBrowser("Before");
  ASSERT_EQ(Capture(window), CaptureResult::kCaptured);
  desktop.Window(window).title = "After";
  const int refreshes = list.refreshes;

  EXPECT_EQ(Capture(window), CaptureResult::kAlreadyKept);

  EXPECT_EQ(store.KeepCursor, 1);
  EXPECT_EQ(store.KeepIndex[0].title, "After");
  EXPECT_EQ(store.KeepSlots[0].title, "Before");
  EXPECT_THAT(list.items, ElementsAre("After"));
  EXPECT_EQ(list.refreshes, refreshes + 1);
}

TEST_F(KeepStoreTest, PrunedSlotStaysEmptyUntilTheCursorComesBack) {
  std::vector<WindowHandle> windows;
  for (int i = 0; i < 8; ++i) {
    windows.push_back(OpenBrowser("W" + std::to_string(i)));
    ASSERT_EQ(Capture(windows.back()), CaptureResult::kCaptured);
  }
  desktop.Destroy(windows[5]);
  RefreshKeepList(store, Context());
  const WindowHandle next = OpenBrowser("Next");
  ASSERT_EQ(Capture(next), CaptureResult::kCaptured);

  EXPECT_EQ(store.KeepSlots[5].handle, 0);
  EXPECT_EQ(store.KeepSlots[8].handle, next);
  EXPECT_THAT(list.items, ElementsAre("W0", "W1", "W2", "W3", "W4", "W6", "W7", "Next"));
}

TEST_F(KeepStoreTest, ClosedKeptWindowStaysUntilTheNextRefresh) {
  const WindowHandle window = OpenBrowser("Gone soon");
  ASSERT_EQ(Capture(window), CaptureResult::kCaptured);
  desktop.Destroy(window);

  EXPECT_TRUE(IsKept(store, window));
  ShowKeepList(store, Context());
  EXPECT_THAT(list.items, ElementsAre(""));  // no title left to read

  RefreshKeepList(store, Context());
  EXPECT_FALSE(IsKept(store, window));
  EXPECT_TRUE(list.items.empty());
}

TEST_F(KeepStoreTest, ClearEmptiesEverythingAndRestartsAtSlotZero) {
  for (int i = 0; i < 3; ++i) ASSERT_EQ(Capture(OpenBrowser("W")), CaptureResult::kCaptured);
  ClearKeepLists(store);
  EXPECT_EQ(store.KeepCursor, 0);
  EXPECT_EQ(HandlesOf(store.KeepIndex), std::vector<WindowHandle>(kKeepTableSize, 0));

  const WindowHandle window = OpenBrowser("New");
  ASSERT_EQ(Capture(window), CaptureResult::kCaptured);
  EXPECT_EQ(store.KeepSlots[0].handle, window);
}

}  // namespace
}  // namespace velmora
