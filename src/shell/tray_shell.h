// The main form's behaviour, apart from its window: start-up, the tray
// icon's mouse messages, the popup menu's commands and shutdown.
#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

#include "platform/forms.h"
#include "shell/start_up.h"
#include "state/module1.h"
#include "sweep/sweep_run.h"

namespace velmora {

// The icon's events come back as a message of our own: the event in the low
// word of lParam and, for a version-4 icon, the icon's anchor point, in
// screen coordinates, in the two words of wParam.
inline constexpr std::uint32_t kTrayCallbackMessage = 0x8001;  // WM_APP + 1
inline constexpr std::uint32_t kTrayIconId = 1;
inline constexpr std::string_view kTrayTip = "Velmora";
inline constexpr std::int32_t kTrayDoubleClick = 515;   // WM_LBUTTONDBLCLK
inline constexpr std::int32_t kTrayKeySelect = 0x401;   // NIN_KEYSELECT: Enter or Space
inline constexpr std::int32_t kTrayContextMenu = 0x7B;  // WM_CONTEXTMENU: right click, menu key
// The Shell may report one press of Enter as two key selections; the second
// comes at once.
inline constexpr std::chrono::milliseconds kKeySelectEcho{500};

// The items of the popup menu mnuPop; kNone when it is dismissed.
enum class MenuCommand : std::uint32_t { kNone = 0, kFen, kConfig, kAbout, kExit };

// What the shell asks of the program's own windows beyond the forms seam.
class ShellWindows {
 public:
  virtual ~ShellWindows() = default;
  virtual WindowHandle MainWindow() = 0;
  // Shows mnuPop at that point of the screen; returns the chosen item once it
  // is dismissed.
  virtual MenuCommand PopupMenu(Point at) = 0;
  // Loads the form unless it is loaded, shows it and brings it to the front.
  virtual void Open(FormId form) = 0;
};

// The record of the icon as start-up fills it: a version-4 icon with the tip
// "Velmora", shown.
TrayIconRecord MakeTrayIconData(WindowHandle main_window, IconHandle icon);

// One event on the icon: what happened, and where the icon is.
struct TrayEvent {
  std::int32_t message = 0;
  Point anchor;
};
TrayEvent DecodeTrayMessage(std::uintptr_t wparam, std::intptr_t lparam);

class TrayShell {
 public:
  // `session` is told when this process stops being the resident Velmora.
  TrayShell(Module1& state, const SweepContext& context, ShellWindows& windows, Session& session)
      : state_(state), context_(context), windows_(windows), session_(session) {}

  // Start-up: empty keep list, default settings, the icon added.
  void Load();
  // An event on the icon: a double-click or a key selection sweeps, the
  // context menu (right click or menu key) opens the menu, and the rest does
  // nothing. One that arrives while another is being handled (a run lets
  // events through while it waits) is ignored.
  void TrayCallback(std::uintptr_t wparam, std::intptr_t lparam);
  // A request handed over by a later start: a sweep as after a double-click,
  // or quitting as after "Quitter".
  void Request(StartRequest request);
  void MenuClick(MenuCommand command);
  // Shutdown, whoever unloads the main form: the session may have a new
  // resident Velmora at once, a run in progress abandons its remaining
  // passes, the keep-list window and configuration dialog go (storing the
  // settings), and so does the icon. An open about box stays, and the process ends
  // when it is closed.
  void QueryUnload();
  // The notification area was rebuilt (Explorer restarted, or its scale
  // changed) or the main form reloaded its pictures for a new DPI: the icon
  // shows again with the picture of the moment, changed where it is still
  // there and added where it was forgotten, since without it the program
  // could be neither used nor quit.
  void TaskbarCreated();
  // Windows ends the session: every form is unloaded, the about box too, so
  // the process ends within the time Windows gives it.
  void EndSession();

 private:
  // Adds the icon and gives it its callback protocol.
  void AddIcon();
  // Sweeps unless a tray event is being handled or a run is on.
  void SweepAsDoubleClick();
  bool IsKeySelectEcho();

  Module1& state_;
  SweepContext context_;
  ShellWindows& windows_;
  Session& session_;
  // The last decoded tray message, and whether one is being handled.
  std::int32_t TrayMessage = 0;
  bool InTrayMessage = false;
  std::optional<EventPump::Clock::time_point> last_key_select_;
};

}  // namespace velmora
