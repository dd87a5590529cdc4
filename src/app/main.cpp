// Velmora's entry point: the process state, the window system, the event
// pump and the forms live here for the whole run; loading the main form adds
// the tray icon, and the message loop ends when the last form is unloaded.
// First, so that <windows.h> cannot rename the seam's PostMessage.
#include "platform/win32/handles.h"

#include "shell/win32/resource_ids.h"
#include "platform/win32/forms/dpi.h"
#include "platform/win32/forms/form.h"
#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_window_system.h"
#include "shell/win32/velmora_forms.h"
#include "state/module1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace velmora;
  win32::DeclarePerMonitorDpiAwareness();
  Module1 state;
  win32::Win32WindowSystem desktop;
  win32::Win32EventPump pump;
  win32::FormsRuntime runtime(instance, kEyeIcon);
  win32::VelmoraForms forms(runtime, state, desktop, pump);
  forms.LoadMainForm();
  // Without its main form the program could not be reached or quit.
  if (runtime.loaded_count() == 0) return 1;
  // An installer's upgrade or removal closes a running Velmora through the
  // Restart Manager (WM_ENDSESSION with ENDSESSION_CLOSEAPP); this has an
  // upgrade start it again afterwards, but never after a crash, a hang or
  // a reboot.
  ::RegisterApplicationRestart(L"", RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);
  return win32::RunMessageLoop();
}
