#include "shell/start_up.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "fakes.h"

namespace velmora {
namespace {

using testing::FakeSession;
constexpr auto kResidentWindow = FakeSession::kResidentWindow;

TEST(ParseCommandLineTest, OneOfTheTwoOptionsOrNothing) {
  struct Case {
    std::string line;
    std::optional<StartRequest> expected;
  };
  const Case cases[] = {
      {"", StartRequest::kNone},
      {" \t ", StartRequest::kNone},
      {"/balayer", StartRequest::kSweep},
      {"-BALAYER", StartRequest::kSweep},
      {"/Quitter", StartRequest::kQuit},
      {"\"/balayer\"", StartRequest::kSweep},  // as a shortcut may quote it
      {"  /quitter\t", StartRequest::kQuit},
      {"/balayer /quitter", std::nullopt},
      {"balayer", std::nullopt},
      {"/x", std::nullopt},
      {"/balayer extra", std::nullopt},
      {"//balayer", std::nullopt},
      {"/balayerx", std::nullopt},
      {"\"/balayer extra\"", std::nullopt},
      {"\"\"", std::nullopt},  // an empty argument is still one
      {"\"/balayer ", std::nullopt},  // an unclosed quote keeps the blank
      {"/", std::nullopt},
      {"/" + std::string(100000, 'b'), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line.substr(0, 40));
    EXPECT_EQ(ParseCommandLine(c.line), c.expected);
  }
}

TEST(DecodeRequestTest, OnlyTheTwoRequestsAreAccepted) {
  for (const StartRequest request : {StartRequest::kSweep, StartRequest::kQuit}) {
    EXPECT_EQ(DecodeRequest(EncodeRequest(request), 0), request);
    EXPECT_EQ(DecodeRequest(EncodeRequest(request), 1), std::nullopt);
  }
  for (const std::uintptr_t other : {0u, 3u, 0x10000u}) {
    EXPECT_EQ(DecodeRequest(other, 0), std::nullopt);
  }
}

TEST(DecideStartTest, BecomesResidentOrHandsOverOrEnds) {
  using namespace std::chrono_literals;
  struct Case {
    const char* what;
    std::optional<StartRequest> request;
    bool other_resident = false;
    int window_after_looks = 0;
    StartOutcome expected = StartOutcome::kHandedOver;
    std::optional<StartRequest> handed_over;
    std::chrono::milliseconds paused{0};
    // Changes to the session before the start.
    void (*setup)(FakeSession&) = nullptr;
  };
  const auto kNone = StartRequest::kNone;
  const auto kSweep = StartRequest::kSweep;
  const auto kQuit = StartRequest::kQuit;
  const Case cases[] = {
      {"not understood", std::nullopt, true, 0, StartOutcome::kUsage},
      {"none running", kNone, false, -1, StartOutcome::kResident},
      // The command returns: a resident of its own sweeps and stays.
      {"none running, sweep", kSweep, false, -1, StartOutcome::kHandedOver, kSweep},
      // Meanwhile the session looks free: this start must not take it back.
      {"none running, sweep, a slow new resident", kSweep, false, -1, StartOutcome::kHandedOver,
       kSweep, 75ms, [](FakeSession& s) { s.started_resident_looks = 3; }},
      {"none running, sweep, a new resident 3 s slow", kSweep, false, -1,
       StartOutcome::kHandedOver, kSweep, 3000ms,
       [](FakeSession& s) { s.started_resident_looks = 120; }},
      {"none running, sweep, the new resident dies at once", kSweep, false, -1,
       StartOutcome::kUnreachable, {}, 0ms, [](FakeSession& s) { s.started_resident_dies = true; }},
      {"none running, sweep, no resident can start", kSweep, false, -1,
       StartOutcome::kUnreachable, {}, 0ms, [](FakeSession& s) { s.can_start = false; }},
      {"none running, quit", kQuit, false, -1, StartOutcome::kNothingToDo},
      // The first quit let the session go while an about box keeps it alive.
      {"none running, quit, an earlier one still quitting", kQuit, false, -1,
       StartOutcome::kUnreachable, {}, 5000ms,
       [](FakeSession& s) { s.former_running_looks = 1000; }},
      {"none running, quit, an earlier one that cannot be watched", kQuit, false, -1,
       StartOutcome::kUnreachable, {}, 0ms,
       [](FakeSession& s) { s.former_then = Presence::kUnknown; }},
      {"resident", kNone, true, 0, StartOutcome::kNothingToDo},
      {"resident, sweep", kSweep, true, 0, StartOutcome::kHandedOver, kSweep},
      {"resident, quit", kQuit, true, 0, StartOutcome::kHandedOver, kQuit},
      {"resident, quit, still there after the bound", kQuit, true, 0, StartOutcome::kUnreachable,
       kQuit, 0ms, [](FakeSession& s) { s.resident_end = Presence::kRunning; }},
      {"resident, quit, its process cannot be opened", kQuit, true, 0, StartOutcome::kUnreachable,
       kQuit, 0ms, [](FakeSession& s) { s.resident_end = Presence::kUnknown; }},
      {"resident, quit, an earlier one ends after it", kQuit, true, 0, StartOutcome::kHandedOver,
       kQuit, 50ms, [](FakeSession& s) { s.former_running_looks = 2; }},
      {"resident unreachable", kQuit, true, 0, StartOutcome::kUnreachable, kQuit, 0ms,
       [](FakeSession& s) { s.reachable = false; }},
      {"resident still starting", kSweep, true, 3, StartOutcome::kHandedOver, kSweep, 75ms},
      {"resident without a window", kSweep, true, -1, StartOutcome::kUnreachable, {}, 750ms},
      // Its window is gone and it lets the session go after two more looks.
      {"resident quitting", kNone, true, -1, StartOutcome::kResident, {}, 50ms,
       [](FakeSession& s) { s.other_quits_after_claims = 2; }},
      {"resident quitting, sweep", kSweep, true, -1, StartOutcome::kHandedOver, kSweep, 50ms,
       [](FakeSession& s) { s.other_quits_after_claims = 2; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeSession session;
    session.claimed_by_other = c.other_resident;
    session.window_after_looks = c.window_after_looks;
    if (c.setup) c.setup(session);
    const bool starts_resident = !c.other_resident || session.other_quits_after_claims >= 0;

    EXPECT_EQ(DecideStart(c.request, session), c.expected);

    EXPECT_EQ(session.resident, c.expected == StartOutcome::kResident);
    EXPECT_EQ(session.stayed, c.expected == StartOutcome::kResident);
    EXPECT_EQ(session.residents_started, starts_resident && c.request == kSweep ? 1 : 0);
    if (c.handed_over) {
      ASSERT_EQ(session.handed_over.size(), 1u);
      EXPECT_EQ(session.handed_over[0].first, kResidentWindow);
      EXPECT_EQ(session.handed_over[0].second, *c.handed_over);
    } else {
      EXPECT_TRUE(session.handed_over.empty());
    }
    // Only a quit that reached the resident waits for its end.
    EXPECT_EQ(session.awaited, c.handed_over == kQuit && session.reachable ? 5000ms : 0ms);
    EXPECT_EQ(session.paused, c.paused);
  }
}

}  // namespace
}  // namespace velmora
