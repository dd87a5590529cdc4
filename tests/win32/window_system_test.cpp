// The Win32 window system against real windows of another process.
#include "platform/win32/win32_window_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "sweep/scan.h"
#include "tools/winhelper/winhelper_client.h"

namespace velmora::win32 {
namespace {

using winhelper::CoreHandle;
using winhelper::HelperProcess;
using winhelper::MessagesFor;

const std::string kLongAscii(118, 'y');
const std::string kLongBeforeEmoji(117, 'x');

// Windows the sweep lists, by helper name, with the clean title it stores.
const std::map<std::string, std::string> kListed = {
    {"ie", "Accueil - Internet Explorer"},
    {"opera_hidden", "Opera"},
    {"netscape", "Page - Netscape"},
    {"netscape_spaced", "Page - Netscape"},
    {"netscape_exact", "Netscape"},
    {"dialog", "Erreur"},
    {"dialog_hidden", "Confirmer"},
    {"ie_disabled", "Désactivée"},
    {"cyrillic", "Главная страница"},
    {"cjk", "主页 — 浏览器"},
    {"emoji", "\U0001F600 Sourire"},
    {"cut_ascii", kLongAscii},
    {"cut_before_emoji", kLongBeforeEmoji},
};

const std::vector<std::string> kDesktop = {
    "name=ie;class=IEFrame;title=Accueil - Internet Explorer",
    "name=opera_hidden;class=BLDOPERA;title=Opera;hidden",
    "name=netscape;class=Afx:400000:b:10011:6:0;title=Page - Netscape",
    "name=netscape_spaced;class=Afx:400000:b;title=   Page - Netscape   ",
    "name=netscape_exact;class=Afx:400000:b:1;title=Netscape",
    "name=dialog;class=#32770;title=Erreur",
    "name=dialog_hidden;class=#32770;title=Confirmer;hidden",
    "name=ie_disabled;class=IEFrame;title=Désactivée;disabled",
    "name=cyrillic;class=IEFrame;title=Главная страница",
    "name=cjk;class=BLDOPERA;title=  主页 — 浏览器",
    "name=emoji;class=IEFrame;title=\\u{1F600} Sourire",
    "name=cut_ascii;class=IEFrame;title=" + kLongAscii + "zzz",
    "name=cut_before_emoji;class=IEFrame;title=" + kLongBeforeEmoji + "\\u{1F600}tail",
    // Decoys: near misses of every rule, and qualifying classes as children.
    "name=afx_other_12th;class=Afx:400000:c:1;title=Page - Netscape",
    "name=afx_short;class=Afx:400000:;title=Page - Netscape",
    "name=netscape_other_case;class=Afx:400000:b:1;title=Page - netscape",
    "name=netscape_elsewhere;class=Afx:400000:b:1;title=Netscape - Page",
    "name=ie_empty;class=IEFrame;title=",
    "name=ie_spaces;class=IEFrame;title=      ",
    "name=unrelated;class=Notepad;title=Sans titre",
    "name=parent;class=HelperParent;title=Erreur;child=IEFrame;child=BLDOPERA;child=#32770",
};

DWORD OwnerOf(WindowHandle window) {
  DWORD owner = 0;
  ::GetWindowThreadProcessId(ToHwnd(window), &owner);
  return owner;
}

class Win32DesktopTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { helper_ = new HelperProcess(kDesktop); }
  static void TearDownTestSuite() { delete helper_; }
  // A helper that failed to start has been reported by SetUpTestSuite.
  void SetUp() override { ASSERT_NE(helper_, nullptr); }

  static inline HelperProcess* helper_ = nullptr;
  Win32WindowSystem system_;
};

TEST_F(Win32DesktopTest, FreshScan_ListsExactlyTheQualifyingWindowsWithCleanTitles) {
  ScanTables tables;
  FenEnCours(tables, system_);

  std::map<WindowHandle, std::string> listed;
  std::vector<WindowHandle> scan_order;
  for (const WindowEntry& entry : tables.ScanTable) {
    if (entry.handle == 0) break;
    if (OwnerOf(entry.handle) != helper_->process_id()) continue;
    listed.emplace(entry.handle, entry.title);
    scan_order.push_back(entry.handle);
  }
  std::map<WindowHandle, std::string> expected;
  for (const auto& [name, title] : kListed) expected.emplace(helper_->Window(name), title);
  EXPECT_EQ(listed, expected);

  std::vector<WindowHandle> enumeration_order;
  system_.EnumWindows([&](WindowHandle window) {
    if (expected.contains(window)) enumeration_order.push_back(window);
    return true;
  });
  EXPECT_EQ(scan_order, enumeration_order);
}

TEST_F(Win32DesktopTest, AcceptWindow_ReturnsOneForEveryTopLevelWindow) {
  ScanTables tables;
  ProgramNames programs;
  std::set<WindowHandle> offered;
  system_.EnumWindows([&](WindowHandle window) {
    offered.insert(window);
    EXPECT_EQ(AcceptWindow(tables, system_, programs, window, 0), 1);
    return true;
  });
  for (const winhelper::LogLine& line : helper_->ReadLog()) {
    if (line.event == "open") {
      EXPECT_TRUE(offered.contains(CoreHandle(line))) << line.name;
    }
  }
}

// Class names live in one case-blind table for the whole desktop, and the
// first spelling registered is the one every program reads back; so the near
// misses in case are tried on a desktop without the real classes.
TEST(OtherCaseTest, FreshScan_SkipsClassesSpelledInOtherCase) {
  HelperProcess helper({"name=ie;class=ieframe;title=Accueil", "name=opera;class=bldopera;title=Page",
                        "name=dialog;class=#32770;title=Erreur"});
  Win32WindowSystem system;
  ASSERT_EQ(system.ClassName(helper.Window("ie"), kClassNameBufferSize), "ieframe");
  ASSERT_EQ(system.ClassName(helper.Window("opera"), kClassNameBufferSize), "bldopera");

  ScanTables tables;
  FenEnCours(tables, system);
  std::vector<std::string> listed;
  for (const WindowEntry& entry : tables.ScanTable) {
    if (entry.handle != 0 && OwnerOf(entry.handle) == helper.process_id()) {
      listed.push_back(entry.title);
    }
  }
  EXPECT_THAT(listed, ::testing::ElementsAre("Erreur"));
}

TEST_F(Win32DesktopTest, QualifyWindow_CountsDialogBoxesOnlyWhenAsked) {
  struct Case {
    const char* name;
    bool with_dialogs;
    bool without_dialogs;
  };
  const Case cases[] = {
      {"dialog", true, false},    {"dialog_hidden", true, false}, {"ie", true, true},
      {"opera_hidden", true, true}, {"netscape", true, true},     {"unrelated", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const WindowHandle window = helper_->Window(c.name);
    ASSERT_NE(window, 0);
    EXPECT_EQ(QualifyWindow(system_, window, DialogBoxes::kCounted).has_value(), c.with_dialogs);
    EXPECT_EQ(QualifyWindow(system_, window, DialogBoxes::kNotCounted).has_value(),
              c.without_dialogs);
  }
}

TEST_F(Win32DesktopTest, ClassName_IsReadWholeAndCutToTheBuffer) {
  const WindowHandle window = helper_->Window("netscape");
  EXPECT_EQ(system_.ClassName(window, kClassNameBufferSize), "Afx:400000:b:10011:6:0");
  EXPECT_EQ(system_.ClassName(window, 13), "Afx:400000:b");
}

TEST_F(Win32DesktopTest, HandleConversion_RoundTripsEveryWindowAndItsChildren) {
  for (const auto& [name, title] : kListed) {
    const HWND window = ToHwnd(helper_->Window(name));
    EXPECT_TRUE(::IsWindow(window)) << name;
    EXPECT_EQ(ToHwnd(ToWindowHandle(window)), window) << name;
    const HWND child = ::GetWindow(window, GW_CHILD);
    if (child != nullptr) {
      EXPECT_EQ(ToHwnd(ToWindowHandle(child)), child);
    }
  }
}

TEST(HandleConversionTest, SignExtendsTheLow32Bits) {
  struct Case {
    std::intptr_t native;
    WindowHandle core;
  };
  const Case cases[] = {
      {0, 0},
      {0x10062, 0x10062},
      {0x7FFFFFFF, 0x7FFFFFFF},
      {-1, -1},
      {static_cast<std::intptr_t>(INT32_MIN), INT32_MIN},
      {-0x7FFEFFEC, -0x7FFEFFEC},
  };
  for (const Case& c : cases) {
    const auto window = reinterpret_cast<HWND>(c.native);
    EXPECT_EQ(ToWindowHandle(window), c.core) << c.native;
    EXPECT_EQ(ToHwnd(c.core), window) << c.native;
    EXPECT_EQ(ToHicon(ToIconHandle(reinterpret_cast<HICON>(c.native))),
              reinterpret_cast<HICON>(c.native));
  }
  const HICON icon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
  EXPECT_EQ(ToHicon(ToIconHandle(icon)), icon);
}

bool Destroyed(const HelperProcess::Log& log, WindowHandle window) {
  return std::any_of(log.begin(), log.end(), [&](const winhelper::LogLine& line) {
    return line.event == "destroyed" && CoreHandle(line) == window;
  });
}

// What a sweep does to a window, and what the window's program receives:
// WM_ENABLE only when the window was disabled, since enabling an enabled
// window changes nothing.
TEST(CloseMessagesTest, EnableAndPostedMessages_ReachTheOtherProcess) {
  struct Case {
    const char* name;
    std::vector<std::string> messages;
    bool destroyed;
  };
  const Case cases[] = {
      {"enabled", {"WM_CANCELMODE", "WM_CLOSE"}, true},
      {"disabled", {"WM_ENABLE 1", "WM_CANCELMODE", "WM_CLOSE"}, true},
      {"dialog_ignoring_close", {"WM_ENABLE 1", "WM_CANCELMODE", "WM_CLOSE"}, false},
      {"hidden_dialog", {"WM_CANCELMODE", "WM_CLOSE"}, true},
  };
  HelperProcess helper({
      "name=enabled;class=IEFrame;title=Page",
      "name=disabled;class=IEFrame;title=Page;disabled",
      "name=dialog_ignoring_close;class=#32770;title=Erreur;disabled;ignore-close",
      "name=hidden_dialog;class=#32770;title=Erreur;hidden",
  });
  Win32WindowSystem system;
  for (const Case& c : cases) {
    const WindowHandle window = helper.Window(c.name);
    system.EnableWindow(window, true);
    system.PostMessage(window, kWmCancelMode, 0, 0);
    system.PostMessage(window, kWmClose, 0, 0);
  }

  const auto all_handled = [&](const HelperProcess::Log& log) {
    return std::all_of(std::begin(cases), std::end(cases), [&](const Case& c) {
      const WindowHandle window = helper.Window(c.name);
      const auto messages = MessagesFor(log, window);
      return !messages.empty() && messages.back() == "WM_CLOSE" &&
             (!c.destroyed || Destroyed(log, window));
    });
  };
  ASSERT_TRUE(helper.WaitForLog(all_handled, std::chrono::seconds(5)));
  const HelperProcess::Log log = helper.ReadLog();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const WindowHandle window = helper.Window(c.name);
    EXPECT_EQ(MessagesFor(log, window), c.messages);
    EXPECT_EQ(::IsWindow(ToHwnd(window)) == FALSE, c.destroyed);
  }
}

// A program that has stopped pumping messages must not hold the caller: the
// scan reads its title and the sweep's three calls return at once.
TEST(HungWindowTest, ScanAndCloseCalls_ReturnPromptly) {
  HelperProcess helper({"name=hung;class=IEFrame;title=Bloquée;disabled;hung"});
  const WindowHandle window = helper.Window("hung");
  Win32WindowSystem system;

  auto calls = std::async(std::launch::async, [&] {
    ScanTables tables;
    FenEnCours(tables, system);
    system.EnableWindow(window, true);
    system.PostMessage(window, kWmCancelMode, 0, 0);
    system.PostMessage(window, kWmClose, 0, 0);
    return tables;
  });
  const bool returned = calls.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
  // A stuck call comes back once its window is gone.
  if (!returned) helper.Stop();
  ASSERT_TRUE(returned);
  const ScanTables tables = calls.get();
  EXPECT_THAT(tables.ScanTable,
              ::testing::Contains(::testing::AllOf(
                  ::testing::Field(&WindowEntry::handle, window),
                  ::testing::Field(&WindowEntry::title, "Bloquée"))));
}

}  // namespace
}  // namespace velmora::win32
