// Test doubles for the forms seam and the event pump, on a fake clock.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/forms.h"
#include "shell/start_up.h"

namespace velmora::testing {

class RecordingListBox final : public ListBoxView {
 public:
  void Clear() override { items.clear(); }
  void AddItem(std::string_view text) override { items.emplace_back(text); }
  void Refresh() override { ++refreshes; }

  std::vector<std::string> items;
  int refreshes = 0;
};

inline constexpr IconHandle kNormalIcon = 0x1001;
inline constexpr IconHandle kBusyIcon = 0x2002;

class FakeForms final : public Forms {
 public:
  void Unload(FormId form) override {
    unloads.push_back(form);
    if (auto handler = on_unload.find(form); handler != on_unload.end()) handler->second();
  }
  IconHandle PictureHandle(Picture picture) override {
    return picture == Picture::kImage1 ? kNormalIcon : kBusyIcon;
  }

  std::vector<FormId> unloads;
  // What a form's QueryUnload does, such as the configuration dialog storing
  // the pass count it shows.
  std::map<FormId, std::function<void()>> on_unload;
};

// A pump on a fake clock: waiting moves the clock to the deadline or to the
// next scheduled event, whichever comes first, so a ten-second run takes
// microseconds.
class FakePump final : public EventPump {
 public:
  Clock::time_point Now() override { return now; }
  void WaitForEvents(Clock::time_point deadline) override {
    ++waits;
    Clock::time_point wake = deadline;
    for (const auto& event : events) wake = std::min(wake, event.at);
    now = std::max(now, wake);
  }
  void DoEvents() override {
    ++dispatches;
    std::vector<Event> due;
    std::erase_if(events, [&](const Event& event) {
      if (event.at > now) return false;
      due.push_back(event);
      return true;
    });
    for (const Event& event : due) event.run();
  }

  // Runs `run` at the first dispatch at or after `delay` from now.
  void Schedule(Clock::duration delay, std::function<void()> run) {
    events.push_back({now + delay, std::move(run)});
  }
  double SecondsSince(Clock::time_point start) const {
    return std::chrono::duration<double>(now - start).count();
  }

  struct Event {
    Clock::time_point at;
    std::function<void()> run;
  };
  Clock::time_point now{};
  std::vector<Event> events;
  int waits = 0;
  int dispatches = 0;
};

// A session on which a resident Velmora holds the claim or not, and shows its
// main window after a number of looks (never when negative). A resident that
// this start starts shows its window after started_resident_looks more.
class FakeSession final : public Session {
 public:
  bool ClaimResidence() override {
    if (claimed_by_other && (other_quits_after_claims < 0 || refusals < other_quits_after_claims)) {
      ++refusals;
      return false;
    }
    ++claims;
    resident = true;
    return true;
  }
  void Stay() override { stayed = true; }
  void Resign() override {
    ++resignations;
    resident = false;
    if (on_resign) on_resign();
  }
  WindowHandle ResidentWindow() override {
    return window_after_looks >= 0 && looks++ >= window_after_looks ? kResidentWindow : 0;
  }
  bool HandOver(WindowHandle window, StartRequest request) override {
    handed_over.emplace_back(window, request);
    return reachable;
  }
  Presence AwaitResidentEnd(std::chrono::milliseconds bound) override {
    awaited = bound;
    return resident_end;
  }
  Presence FormerResidents() override {
    return former_looks++ < former_running_looks ? Presence::kRunning : former_then;
  }
  bool StartResident() override {
    ++residents_started;
    if (!can_start) return false;
    // It takes the session, and shows its window, that many looks later.
    window_after_looks = started_resident_dies ? -1 : looks + started_resident_looks;
    return true;
  }
  bool StartedResidentEnded() override { return started_resident_dies; }
  void Pause(std::chrono::milliseconds duration) override { paused += duration; }

  static constexpr WindowHandle kResidentWindow = 0x4242;
  bool claimed_by_other = false;
  // A quitting resident lets the session go after refusing that many claims.
  int other_quits_after_claims = -1;
  int window_after_looks = 0;
  bool reachable = true;
  Presence resident_end = Presence::kGone;
  // A Velmora that quit but still runs, for that many looks, then is so.
  int former_running_looks = 0;
  Presence former_then = Presence::kGone;
  bool can_start = true;
  int started_resident_looks = 0;
  bool started_resident_dies = false;
  std::function<void()> on_resign;

  bool resident = false;
  bool stayed = false;
  int former_looks = 0;
  int claims = 0;
  int refusals = 0;
  int resignations = 0;
  int looks = 0;
  std::vector<std::pair<WindowHandle, StartRequest>> handed_over;
  std::chrono::milliseconds paused{0};
  std::chrono::milliseconds awaited{0};
  int residents_started = 0;
};

}  // namespace velmora::testing
