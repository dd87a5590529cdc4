// What a start of Velmora does: read its command line, then either become the
// session's one resident Velmora or hand its request to the one that runs.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/window_system.h"

namespace velmora {

// What the user asks of Velmora when starting it.
enum class StartRequest : std::uint8_t {
  kNone,   // no option: just be there
  kSweep,  // /balayer: sweep as after a double-click on the icon
  kQuit,   // /quitter: quit as after "Quitter"
};

// The command line after the program's name, split as Windows splits it
// (blanks between arguments, double quotes grouping and removed). Nothing
// for anything but no argument or exactly one of the two options, "/" or "-"
// first, in any case.
std::optional<StartRequest> ParseCommandLine(std::string_view arguments);

// Shown, titled "Velmora", to a start whose command line is not understood.
inline constexpr std::string_view kUsageText =
    "Velmora ne comprend pas cette ligne de commande.\n\n"
    "Velmora.exe\t\tdémarre Velmora dans la zone de notification ;\n"
    "Velmora.exe /balayer\tferme les navigateurs, comme un double-clic sur l'icône ;\n"
    "Velmora.exe /quitter\tarrête Velmora, comme « Quitter ».";
// The exit code of such a start, which scripts can test.
inline constexpr int kUsageExitCode = 2;

// A request as it travels to the resident Velmora's main form: wParam names
// it and lParam is 0. Whatever else arrives that way is not a request.
std::uintptr_t EncodeRequest(StartRequest request);
std::optional<StartRequest> DecodeRequest(std::uintptr_t wparam, std::intptr_t lparam);

// What a start can tell of a Velmora it waits for.
enum class Presence : std::uint8_t {
  kGone,
  kRunning,
  kUnknown,  // it cannot be watched: of another account, or elevated
};

// The user's session as a start sees it.
class Session {
 public:
  virtual ~Session() = default;
  // Makes this process the session's resident Velmora, unless another one
  // is; true when it now is.
  virtual bool ClaimResidence() = 0;
  // This process stays as the resident Velmora: until it ends, even after
  // it has resigned, it counts as a Velmora that a quit waits for.
  virtual void Stay() = 0;
  // This process stops being the resident Velmora (its icon is gone), so
  // that a new start can be, even while an about box keeps it alive.
  virtual void Resign() = 0;
  // The resident Velmora's main window; 0 while none is found, as while the
  // resident one is still starting.
  virtual WindowHandle ResidentWindow() = 0;
  // Queues the request for that window without waiting for it to be carried
  // out; false when the window cannot be reached.
  virtual bool HandOver(WindowHandle window, StartRequest request) = 0;
  // Waits, at most `bound`, until the process behind the window that
  // ResidentWindow found last has ended.
  virtual Presence AwaitResidentEnd(std::chrono::milliseconds bound) = 0;
  // Whether any process that stayed as the resident Velmora still runs,
  // this one aside; at once.
  virtual Presence FormerResidents() = 0;
  // Starts this program again, with no request, as a process of its own
  // that becomes the resident Velmora; false when it cannot be started.
  virtual bool StartResident() = 0;
  // True once the process that StartResident started has ended.
  virtual bool StartedResidentEnded() = 0;
  virtual void Pause(std::chrono::milliseconds duration) = 0;
};

enum class StartOutcome {
  kResident,     // this process is the resident Velmora
  kHandedOver,   // the resident Velmora has the request (and has quit, for /quitter)
  kNothingToDo,  // no request for the resident one, or none to quit
  kUnreachable,  // a resident Velmora holds the session but answers nowhere, or
                 // did not quit in time
  kUsage,        // the command line is not understood
};

// How long a start looks for a resident Velmora that is still starting or
// quitting: a second start must end within a second.
inline constexpr std::chrono::milliseconds kResidentLookInterval{25};
inline constexpr int kResidentLooks = 30;
// How long /quitter waits for the resident Velmora's process to end, so that
// a script may replace its file next, and again for any Velmora still
// quitting after that.
inline constexpr std::chrono::milliseconds kQuitBound{5000};
// How long a resident that this start started has to show its window: the
// first start after log-on, or one under a virus scan, takes seconds.
inline constexpr std::chrono::milliseconds kStartedResidentBound{5000};

StartOutcome DecideStart(std::optional<StartRequest> request, Session& session);

}  // namespace velmora
