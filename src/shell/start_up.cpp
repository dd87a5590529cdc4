#include "shell/start_up.h"

#include <string>
#include <vector>

#include "platform/text.h"

namespace velmora {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A quoted empty argument ("") is an argument too, as Windows counts it. A
// backslash stays as it is: no option holds one, so an argument with one is
// refused whichever way Windows would have read it.
std::vector<std::string> SplitArguments(std::string_view line) {
  std::vector<std::string> arguments;
  std::string current;
  bool in_argument = false;
  bool quoted = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
      in_argument = true;
    } else if (IsBlank(c) && !quoted) {
      if (in_argument) arguments.push_back(std::move(current));
      current.clear();
      in_argument = false;
    } else {
      current += c;
      in_argument = true;
    }
  }
  if (in_argument) arguments.push_back(std::move(current));
  return arguments;
}

constexpr std::uintptr_t kSweepCode = 1;
constexpr std::uintptr_t kQuitCode = 2;

constexpr int LooksWithin(std::chrono::milliseconds bound) {
  return static_cast<int>(bound / kResidentLookInterval);
}

// A Velmora that quit while an about box was open, or while the Shell was
// still removing its icon, has let the session go but keeps its file in use.
bool FormerResidentsEnd(Session& session) {
  for (int look = 0; look < LooksWithin(kQuitBound); ++look) {
    const Presence former = session.FormerResidents();
    if (former != Presence::kRunning) return former == Presence::kGone;
    session.Pause(kResidentLookInterval);
  }
  return false;
}

StartOutcome HandOverTo(WindowHandle resident, StartRequest request, Session& session) {
  if (request == StartRequest::kNone) return StartOutcome::kNothingToDo;
  if (!session.HandOver(resident, request)) return StartOutcome::kUnreachable;
  // A script that quits Velmora may replace its file next: the command ends
  // once the resident process has, not when it was merely asked, and only
  // an end it saw counts.
  if (request == StartRequest::kQuit &&
      (session.AwaitResidentEnd(kQuitBound) != Presence::kGone || !FormerResidentsEnd(session))) {
    return StartOutcome::kUnreachable;
  }
  return StartOutcome::kHandedOver;
}

}  // namespace

std::optional<StartRequest> ParseCommandLine(std::string_view arguments) {
  const std::vector<std::string> split = SplitArguments(arguments);
  if (split.empty()) return StartRequest::kNone;
  if (split.size() != 1) return std::nullopt;
  const std::string_view option = split.front();
  if (option.empty() || (option.front() != '/' && option.front() != '-')) return std::nullopt;
  const std::string name = AsciiLowerCase(option.substr(1));
  if (name == "balayer") return StartRequest::kSweep;
  if (name == "quitter") return StartRequest::kQuit;
  return std::nullopt;
}

std::uintptr_t EncodeRequest(StartRequest request) {
  switch (request) {
    case StartRequest::kSweep:
      return kSweepCode;
    case StartRequest::kQuit:
      return kQuitCode;
    case StartRequest::kNone:
      break;
  }
  return 0;
}

std::optional<StartRequest> DecodeRequest(std::uintptr_t wparam, std::intptr_t lparam) {
  if (lparam != 0) return std::nullopt;
  if (wparam == kSweepCode) return StartRequest::kSweep;
  if (wparam == kQuitCode) return StartRequest::kQuit;
  return std::nullopt;
}

StartOutcome DecideStart(std::optional<StartRequest> request, Session& session) {
  if (!request) return StartOutcome::kUsage;
  // Once this start has started a resident of its own, it must not take the
  // session back from it.
  bool resident_started = false;
  int looks = kResidentLooks;
  // The resident Velmora may be starting (it holds the session but has no
  // window yet) or quitting (its window is no longer found and it is about
  // to let the session go): look again for a moment.
  for (int look = 0; look < looks; ++look) {
    if (!resident_started && session.ClaimResidence()) {
      if (*request == StartRequest::kNone) {
        session.Stay();
        return StartOutcome::kResident;
      }
      // A command must return: this start does not stay.
      session.Resign();
      if (*request == StartRequest::kQuit) {
        return FormerResidentsEnd(session) ? StartOutcome::kNothingToDo
                                           : StartOutcome::kUnreachable;
      }
      // A sweep goes to a resident started for it, which stays with its icon.
      if (!session.StartResident()) return StartOutcome::kUnreachable;
      resident_started = true;
      looks = look + LooksWithin(kStartedResidentBound);
    }
    if (const WindowHandle resident = session.ResidentWindow(); resident != 0) {
      return HandOverTo(resident, *request, session);
    }
    // One that died at once will never show a window.
    if (resident_started && session.StartedResidentEnded()) return StartOutcome::kUnreachable;
    session.Pause(kResidentLookInterval);
  }
  return StartOutcome::kUnreachable;
}

}  // namespace velmora
