// The sweep run: PassCount passes, one second apart, each closing every
// listed window that is not kept.
#pragma once

#include "platform/forms.h"
#include "platform/window_system.h"
#include "state/module1.h"

namespace velmora {

// What the run reaches outside the process-wide state.
struct SweepContext {
  WindowSystem& desktop;
  Forms& forms;
  EventPump& pump;
};

// Closes the keep-list window and the configuration dialog (which stores the
// pass count it shows), shows the busy icon, sweeps, and shows the normal
// icon again. Returns when the run is over.
void CloseInternet(Module1& state, const SweepContext& context);

// Waits `seconds` while running pending events, sleeping between them. A wait
// of 0 or fewer seconds returns at once without running any event; a wait
// ends early when the program is quitting.
void wait_time(Module1& state, EventPump& pump, double seconds);

}  // namespace velmora
