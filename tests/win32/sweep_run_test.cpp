// A real sweep run against windows of another process.
#include "sweep/sweep_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_window_system.h"
#include "tests/win32/null_forms.h"
#include "tools/winhelper/winhelper_client.h"

namespace velmora::win32 {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using winhelper::HelperProcess;
using winhelper::MessagesFor;

std::vector<std::string> EventsNamed(const HelperProcess::Log& log, const std::string& name) {
  std::vector<std::string> events;
  for (const auto& line : log) {
    if (line.name == name && line.event != "WM_ENABLE") events.push_back(line.event);
  }
  return events;
}

// Disabling itself sends a window WM_CANCELMODE then WM_ENABLE 0; leaves out
// those pairs so that only what the run posted remains.
std::vector<std::string> WithoutSelfDisabling(std::vector<std::string> messages) {
  for (auto found = std::find(messages.begin(), messages.end(), "WM_ENABLE 0");
       found != messages.end(); found = std::find(messages.begin(), messages.end(), "WM_ENABLE 0")) {
    const bool after_cancel = found != messages.begin() && *(found - 1) == "WM_CANCELMODE";
    found = messages.erase(after_cancel ? found - 1 : found, found + 1);
  }
  return messages;
}

std::string Dump(const HelperProcess::Log& log) {
  std::string text;
  for (const auto& line : log) text += std::to_string(line.ms) + ' ' + line.event + ' ' + line.name + '\n';
  return text;
}

TEST(SweepRunWin32Test, ThreePassesCloseWhatIsListedAndSpareTheRest) {
  HelperProcess helper({
      "name=ie;class=IEFrame;title=Accueil",
      "name=opera;class=BLDOPERA;title=Opera",
      "name=dialog_hidden;class=#32770;title=Confirmer;hidden",
      "name=disabled;class=IEFrame;title=Bloquée;disabled",
      "name=stubborn;class=IEFrame;title=Têtue;disabled;ignore-close;redisable",
      "name=kept;class=IEFrame;title=Gardée;ignore-close",
      "name=popup;class=BLDOPERA;title=Pop-up;reopen=300",
      "name=other;class=Notepad;title=Notes",
  });
  Module1 state;
  state.PassCount = 3;
  const WindowHandle kept = helper.Window("kept");
  state.keep.KeepSlots[0].handle = kept;
  state.keep.KeepIndex[0].handle = kept;
  Win32WindowSystem desktop;
  testing::NullForms forms;
  Win32EventPump pump;

  const auto start = std::chrono::steady_clock::now();
  CloseInternet(state, {desktop, forms, pump});
  const auto elapsed = std::chrono::steady_clock::now() - start;

  EXPECT_GE(elapsed, 3s);
  EXPECT_LE(elapsed, 4500ms);
  EXPECT_FALSE(state.Busy);

  const std::vector<std::string> closed = {"open", "WM_CANCELMODE", "WM_CLOSE", "destroyed"};
  ASSERT_TRUE(helper.WaitForLog(
      [&](const HelperProcess::Log& log) {
        return EventsNamed(log, "disabled") == closed && EventsNamed(log, "ie") == closed;
      },
      5s))
      << Dump(helper.ReadLog());
  const HelperProcess::Log log = helper.ReadLog();
  for (const char* name : {"ie", "opera", "dialog_hidden", "disabled"}) {
    EXPECT_EQ(EventsNamed(log, name), closed) << name;
  }
  EXPECT_THAT(MessagesFor(log, helper.Window("disabled")),
              ElementsAre("WM_ENABLE 1", "WM_CANCELMODE", "WM_CLOSE"));
  // Disabled again after each close, so every pass enables it again first.
  EXPECT_THAT(WithoutSelfDisabling(MessagesFor(log, helper.Window("stubborn"))),
              ElementsAre("WM_ENABLE 1", "WM_CANCELMODE", "WM_CLOSE",  //
                          "WM_ENABLE 1", "WM_CANCELMODE", "WM_CLOSE",  //
                          "WM_ENABLE 1", "WM_CANCELMODE", "WM_CLOSE"));
  EXPECT_TRUE(MessagesFor(log, kept).empty());
  EXPECT_THAT(EventsNamed(log, "other"), ElementsAre("open"));
  // Opened again 300 ms after each close: closed again at the next pass.
  const std::vector<std::string> popup = EventsNamed(log, "popup");
  EXPECT_GE(std::count(popup.begin(), popup.end(), "destroyed"), 3) << ::testing::PrintToString(popup);
}

}  // namespace
}  // namespace velmora::win32
