// Velmora's entry point: the process state, the window system, the event
// pump and the forms live here for the whole run; loading the main form adds
// the tray icon, and the message loop ends when the last form is unloaded.
// A start while another Velmora is resident in the session hands it its
// request instead and ends.
// First, so that <windows.h> cannot rename the seam's PostMessage.
#include "platform/win32/handles.h"

#include <string>

#include "platform/text.h"
#include "platform/win32/forms/controls.h"
#include "platform/win32/forms/dpi.h"
#include "platform/win32/forms/form.h"
#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_window_system.h"
#include "shell/start_up.h"
#include "shell/win32/resource_ids.h"
#include "shell/win32/session.h"
#include "shell/win32/velmora_forms.h"
#include "state/module1.h"

// The system declares the entry point with Hungarian parameter names.
// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int) {
  using namespace velmora;
  win32::DeclarePerMonitorDpiAwareness();
  const std::wstring_view arguments(command_line);
  win32::Win32Session session;
  const StartOutcome outcome = DecideStart(
      ParseCommandLine(Utf16ToUtf8(std::u16string(arguments.begin(), arguments.end()))), session);
  switch (outcome) {
    case StartOutcome::kUsage:
      ::MessageBoxW(nullptr, win32::WideText(kUsageText).c_str(), L"Velmora",
                    MB_OK | MB_ICONINFORMATION);
      return kUsageExitCode;
    case StartOutcome::kUnreachable:
      return 1;
    case StartOutcome::kHandedOver:
    case StartOutcome::kNothingToDo:
      return 0;
    case StartOutcome::kResident:
      break;
  }
  Module1 state;
  win32::Win32WindowSystem desktop;
  win32::Win32EventPump pump;
  win32::FormsRuntime runtime(instance, kEyeIcon);
  win32::VelmoraForms forms(runtime, state, desktop, pump, session);
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
