// The event pump and clock of the program's one user-interface thread.
#pragma once

#include "platform/forms.h"
#include "platform/win32/handles.h"

namespace velmora::win32 {

class Win32EventPump final : public EventPump {
 public:
  Clock::time_point Now() override;
  // Sleeps in the system's message wait, so a waiting program uses no
  // processor time and still wakes as soon as a message arrives.
  void WaitForEvents(Clock::time_point deadline) override;
  // Dispatches every pending message. A WM_QUIT is put back and ends the
  // dispatching, so that the main message loop still receives it.
  void DoEvents() override;

 private:
  // Once WM_QUIT is back in the queue the message wait would report it at
  // once, again and again; from then on only sent messages wake the wait.
  bool quit_pending_ = false;
};

// Gives the program's own windows the keyboard of dialog boxes (Tab moves
// the focus, the space bar presses the focused button, Escape and Enter
// reach the form as IDCANCEL and IDOK) without their being dialog boxes,
// which a sweep would close. True when the key was handled that way and
// must not be dispatched again.
bool HandleDialogKeys(MSG& message);

// The program's message loop: runs until WM_QUIT and returns its exit code.
int RunMessageLoop();

}  // namespace velmora::win32
