#include "sweep/scan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/sim/sim_desktop.h"

namespace velmora {
namespace {

using sim::CallKind;
using sim::SimDesktop;
using sim::WindowSpec;

struct RuleCase {
  const char* name;
  std::string class_name;
  std::string title;
  bool accepted_with_dialogs;
  bool accepted_without_dialogs;
  std::string clean_title;  // when accepted

  friend void PrintTo(const RuleCase& c, std::ostream* out) { *out << c.name; }
};

class WindowRuleTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(WindowRuleTest, QualifiesExactlyTheBrowserFramesAndTitledDialogs) {
  const RuleCase& c = GetParam();
  SimDesktop desktop;
  const WindowHandle window = desktop.Open({.class_name = c.class_name, .title = c.title});

  const auto with_dialogs = QualifyWindow(desktop, window, DialogBoxes::kCounted);
  const auto without_dialogs = QualifyWindow(desktop, window, DialogBoxes::kNotCounted);

  EXPECT_EQ(with_dialogs.has_value(), c.accepted_with_dialogs);
  EXPECT_EQ(without_dialogs.has_value(), c.accepted_without_dialogs);
  if (with_dialogs) {
    EXPECT_EQ(*with_dialogs, c.clean_title);
  }
}

const std::string k118(118, 'x');

INSTANTIATE_TEST_SUITE_P(
    Rule, WindowRuleTest,
    ::testing::Values(
        RuleCase{"IEFrame", "IEFrame", "Accueil", true, true, "Accueil"},
        RuleCase{"Opera", "BLDOPERA", "Page", true, true, "Page"},
        RuleCase{"Dialog", "#32770", "Erreur", true, false, "Erreur"},
        RuleCase{"IEFrameOtherCase", "ieframe", "Accueil", false, false, ""},
        RuleCase{"OperaOtherCase", "BldOpera", "Page", false, false, ""},
        RuleCase{"IEFrameLonger", "IEFrame2", "Accueil", false, false, ""},
        RuleCase{"DialogPrefixOnly", "#3277", "Erreur", false, false, ""},
        RuleCase{"NetscapeExact", "Afx:400000:b:10011:6:0", "Netscape", true, true, "Netscape"},
        RuleCase{"NetscapeSuffix", "Afx:400000:b", "Page - Netscape", true, true,
                 "Page - Netscape"},
        RuleCase{"NetscapeTrailingSpaces", "Afx:400000:b:1", "Page - Netscape   ", true, true,
                 "Page - Netscape"},
        RuleCase{"NetscapeOtherCase", "Afx:400000:b:1", "Page - netscape", false, false, ""},
        RuleCase{"NetscapeElsewhere", "Afx:400000:b:1", "Netscape - Page", false, false, ""},
        RuleCase{"NetscapeTrailingTab", "Afx:400000:b:1", "Page - Netscape\t", false, false, ""},
        RuleCase{"NetscapeShortTitle", "Afx:400000:b:1", "cape", false, false, ""},
        RuleCase{"AfxOther12th", "Afx:400000:c:1", "Page - Netscape", false, false, ""},
        RuleCase{"AfxPrefixOtherCase", "AFX:400000:b:1", "Page - Netscape", false, false, ""},
        RuleCase{"AfxShorterThan12", "Afx:400000:", "Page - Netscape", false, false, ""},
        RuleCase{"AfxNotAtStart", "XAfx:400000:b", "Page - Netscape", false, false, ""},
        RuleCase{"EmptyTitle", "IEFrame", "", false, false, ""},
        RuleCase{"SpacesOnly", "IEFrame", "     ", false, false, ""},
        RuleCase{"TabsKept", "IEFrame", " \tPage\t ", true, true, "\tPage\t"},
        RuleCase{"NulEndsTitle", "IEFrame", std::string("Page\0Hidden", 11), true, true, "Page"},
        RuleCase{"LeadingNul", "BLDOPERA", std::string("\0Page", 5), false, false, ""},
        RuleCase{"CutAt118", "IEFrame", k118 + "yyyy", true, true, k118},
        RuleCase{"CutThenTrimmed", "IEFrame", std::string(117, 'x') + "  tail", true, true,
                 std::string(117, 'x')},
        // The cut comes before the Netscape test, as for a title read whole.
        RuleCase{"NetscapeBeyondCut", "Afx:400000:b", k118 + " Netscape", false, false, ""},
        RuleCase{"EmojiAtCut", "IEFrame", std::string(117, 'x') + "\U0001F600", true, true,
                 std::string(117, 'x')},
        RuleCase{"Cyrillic", "IEFrame", "  Главная  ", true, true, "Главная"},
        RuleCase{"UnrelatedClass", "Notepad", "Sans titre", false, false, ""},
        RuleCase{"EmptyClass", "", "Page", false, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WindowRuleTest, HiddenDisabledDialogIsListedBySweepOnly) {
  SimDesktop desktop;
  const WindowHandle dialog =
      desktop.Open({.class_name = "#32770", .title = "Alerte", .visible = false, .enabled = false});
  EXPECT_TRUE(QualifyWindow(desktop, dialog, DialogBoxes::kCounted));
  EXPECT_FALSE(QualifyWindow(desktop, dialog, DialogBoxes::kNotCounted));
}

TEST(WindowRuleTest, TitleIsNotReadWhenClassFails) {
  SimDesktop desktop;
  const WindowHandle window = desktop.Open({.class_name = "Shell_TrayWnd", .title = "x"});
  EXPECT_FALSE(QualifyWindow(desktop, window, DialogBoxes::kCounted));
  EXPECT_TRUE(desktop.CallsOf(CallKind::kWindowText).empty());
}

TEST(WindowRuleTest, VanishedWindowIsRejected) {
  SimDesktop desktop;
  const WindowHandle window = desktop.Open({.class_name = "IEFrame", .title = "Page"});
  desktop.Destroy(window);
  EXPECT_FALSE(QualifyWindow(desktop, window, DialogBoxes::kCounted));
}

std::vector<WindowHandle> Handles(const ScanTables& tables) {
  std::vector<WindowHandle> handles;
  for (const WindowEntry& entry : tables.ScanTable) {
    if (entry.handle == 0) break;
    handles.push_back(entry.handle);
  }
  return handles;
}

bool TailIsEmpty(const ScanTables& tables) {
  for (int i = tables.ScanCount; i < kScanTableSize; ++i) {
    const WindowEntry& entry = tables.ScanTable[static_cast<std::size_t>(i)];
    if (entry.handle != 0 || !entry.title.empty()) return false;
  }
  return true;
}

TEST(FreshScanTest, ListsQualifyingWindowsInEnumerationOrder) {
  SimDesktop desktop;
  const WindowHandle ie = desktop.Open({.class_name = "IEFrame", .title = "IE"});
  desktop.Open({.class_name = "Notepad", .title = "Decoy"});
  const WindowHandle dialog = desktop.Open({.class_name = "#32770", .title = " Question "});
  desktop.OpenChild(ie, {.class_name = "IEFrame", .title = "Child frame"});
  const WindowHandle opera = desktop.Open({.class_name = "BLDOPERA", .title = "Opera"});

  ScanTables tables;
  FenEnCours(tables, desktop);

  // Front first: the last window opened comes first; the child is never offered.
  EXPECT_THAT(Handles(tables), ::testing::ElementsAre(opera, dialog, ie));
  EXPECT_EQ(tables.ScanCount, 3);
  EXPECT_EQ(tables.ScanTable[1].title, "Question");
  EXPECT_TRUE(TailIsEmpty(tables));
}

TEST(FreshScanTest, EmptyDesktopLeavesEveryEntryEmpty) {
  SimDesktop desktop;
  desktop.Open({.class_name = "Notepad", .title = "Decoy"});
  ScanTables tables;
  tables.ScanTable[0] = {"stale", 42};
  tables.ScanCount = 7;
  FenEnCours(tables, desktop);
  EXPECT_EQ(tables.ScanCount, 0);
  EXPECT_TRUE(TailIsEmpty(tables));
}

TEST(FreshScanTest, SecondScanWithFewerWindowsLeavesNoStaleEntry) {
  SimDesktop desktop;
  std::vector<WindowHandle> windows;
  for (int i = 0; i < 5; ++i) windows.push_back(desktop.Open({.class_name = "IEFrame", .title = "P"}));
  ScanTables tables;
  FenEnCours(tables, desktop);
  ASSERT_EQ(tables.ScanCount, 5);

  for (int i = 0; i < 3; ++i) desktop.Destroy(windows[static_cast<std::size_t>(i)]);
  FenEnCours(tables, desktop);
  EXPECT_EQ(tables.ScanCount, 2);
  EXPECT_TRUE(TailIsEmpty(tables));
}

TEST(FreshScanTest, MoreThanTableHoldsFillsItAndSkipsTheRest) {
  SimDesktop desktop;
  std::vector<WindowHandle> windows;
  for (int i = 0; i < 150; ++i) windows.push_back(desktop.Open({.class_name = "IEFrame", .title = "P"}));

  ScanTables tables;
  FenEnCours(tables, desktop);

  // Stated here as a number, so that a smaller table fails.
  EXPECT_EQ(tables.ScanCount, 101);
  const std::vector<WindowHandle> listed = Handles(tables);
  // Enumeration is front first, so the first 101 listed are the newest.
  EXPECT_EQ(listed, std::vector<WindowHandle>(windows.rbegin(), windows.rbegin() + kScanTableSize));
  // Windows past the full table are not examined at all.
  EXPECT_EQ(desktop.CallsOf(CallKind::kClassName).size(), static_cast<std::size_t>(kScanTableSize));
}

TEST(FreshScanTest, AcceptWindowAlwaysGoesOn) {
  SimDesktop desktop;
  const WindowHandle decoy = desktop.Open({.class_name = "Notepad", .title = "x"});
  const WindowHandle ie = desktop.Open({.class_name = "IEFrame", .title = "x"});
  ScanTables tables;
  ProgramNames programs;
  EXPECT_EQ(AcceptWindow(tables, desktop, programs, decoy, 0), 1);
  EXPECT_EQ(AcceptWindow(tables, desktop, programs, ie, 0), 1);
  EXPECT_EQ(AcceptWindow(tables, desktop, programs, 0x7777, 0), 1);  // no such window
  tables.ScanCount = kScanTableSize;
  EXPECT_EQ(AcceptWindow(tables, desktop, programs, ie, 0), 1);
}

TEST(FreshScanTest, WindowVanishingDuringScanIsNotListed) {
  SimDesktop desktop;
  const WindowHandle doomed = desktop.Open({.class_name = "IEFrame", .title = "Doomed"});
  const WindowHandle killer = desktop.Open({.class_name = "Notepad", .title = "x"});
  ScanTables tables;
  ProgramNames programs;
  desktop.EnumWindows([&](WindowHandle window) {
    if (window == killer) desktop.Destroy(doomed);
    return AcceptWindow(tables, desktop, programs, window, 0) != 0;
  });
  EXPECT_EQ(tables.ScanCount, 0);
}

TEST(FreshScanTest, NegativeHandlesAreListedLikeAnyOther) {
  SimDesktop desktop;
  const WindowHandle high = desktop.OpenWithHandle(-0x7FFF0000, {.class_name = "IEFrame", .title = "x"});
  ScanTables tables;
  FenEnCours(tables, desktop);
  EXPECT_THAT(Handles(tables), ::testing::ElementsAre(high));
}

}  // namespace
}  // namespace velmora
