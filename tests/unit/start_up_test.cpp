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
  struct Case {
    const char* what;
    std::optional<StartRequest> request;
    bool other_resident;
    int window_after_looks;
    StartOutcome expected;
    std::optional<StartRequest> handed_over;
    bool resident_after;
  };
  const auto kNone = StartRequest::kNone;
  const auto kSweep = StartRequest::kSweep;
  const auto kQuit = StartRequest::kQuit;
  const Case cases[] = {
      {"not understood", std::nullopt, true, 0, StartOutcome::kUsage, {}, false},
      {"none running", kNone, false, -1, StartOutcome::kResident, {}, true},
      {"none running, sweep", kSweep, false, -1, StartOutcome::kResidentAndSweep, {}, true},
      {"none running, quit", kQuit, false, -1, StartOutcome::kNothingToDo, {}, false},
      {"resident", kNone, true, 0, StartOutcome::kNothingToDo, {}, false},
      {"resident, sweep", kSweep, true, 0, StartOutcome::kHandedOver, kSweep, false},
      {"resident, quit", kQuit, true, 0, StartOutcome::kHandedOver, kQuit, false},
      // It let the session go with its icon; its about box is no main form.
      {"quit, about box open", kNone, false, -1, StartOutcome::kResident, {}, true},
      {"resident still starting", kSweep, true, 3, StartOutcome::kHandedOver, kSweep, false},
      {"resident without a window", kSweep, true, -1, StartOutcome::kUnreachable, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeSession session;
    session.claimed_by_other = c.other_resident;
    session.window_after_looks = c.window_after_looks;

    EXPECT_EQ(DecideStart(c.request, session), c.expected);

    EXPECT_EQ(session.resident, c.resident_after);
    if (c.handed_over) {
      ASSERT_EQ(session.handed_over.size(), 1u);
      EXPECT_EQ(session.handed_over[0].first, kResidentWindow);
      EXPECT_EQ(session.handed_over[0].second, *c.handed_over);
    } else {
      EXPECT_TRUE(session.handed_over.empty());
    }
    // A second start ends within a second, whatever it finds.
    EXPECT_LT(session.paused, std::chrono::seconds(1));
  }
}

TEST(DecideStartTest, AResidentThatCannotBeReachedEndsTheStart) {
  FakeSession session;
  session.claimed_by_other = true;
  session.reachable = false;

  EXPECT_EQ(DecideStart(StartRequest::kQuit, session), StartOutcome::kUnreachable);
}

}  // namespace
}  // namespace velmora
