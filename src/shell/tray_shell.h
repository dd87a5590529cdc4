// The main form's behaviour, apart from its window: start-up, the tray
// icon's mouse messages, the popup menu's commands and shutdown.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/forms.h"
#include "state/module1.h"
#include "sweep/sweep_run.h"

namespace velmora {

// Mouse events on the icon come back as this message, with the number of the
// mouse message in the low word of lParam.
inline constexpr std::uint32_t kTrayCallbackMessage = 512;  // WM_MOUSEMOVE
inline constexpr std::uint32_t kTrayIconId = 1;
inline constexpr std::string_view kTrayTip = "Velmora";
inline constexpr std::int32_t kTrayDoubleClick = 515;    // WM_LBUTTONDBLCLK
inline constexpr std::int32_t kTrayRightButtonUp = 517;  // WM_RBUTTONUP

// The items of the popup menu mnuPop; kNone when it is dismissed.
enum class MenuCommand : std::uint32_t { kNone = 0, kFen, kConfig, kAbout, kExit };

// What the shell asks of the program's own windows beyond the forms seam.
class ShellWindows {
 public:
  virtual ~ShellWindows() = default;
  virtual WindowHandle MainWindow() = 0;
  // Shows mnuPop at the mouse; returns the chosen item once it is dismissed.
  virtual MenuCommand PopupMenu() = 0;
  // Loads the form unless it is loaded, shows it and brings it to the front.
  virtual void Open(FormId form) = 0;
};

// The record of the icon as start-up fills it: the tip is "Velmora", a NUL,
// then spaces to the end of the field.
TrayIconRecord MakeTrayIconData(WindowHandle main_window, IconHandle icon);

// The mouse message that happened on the icon.
std::int32_t DecodeTrayMessage(std::intptr_t lparam);

class TrayShell {
 public:
  TrayShell(Module1& state, const SweepContext& context, ShellWindows& windows)
      : state_(state), context_(context), windows_(windows) {}

  // Start-up: empty keep list, default settings, the icon added.
  void Load();
  // A mouse event on the icon. One that arrives while another is being
  // handled (a run lets events through while it waits) is ignored.
  void MouseMove(std::intptr_t lparam);
  void MenuClick(MenuCommand command);
  // Shutdown, whoever unloads the main form: a run in progress abandons its
  // remaining passes, the keep-list window and configuration dialog go
  // (storing the settings), and so does the icon. An open about box stays,
  // and the process ends when it is closed.
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
  Module1& state_;
  SweepContext context_;
  ShellWindows& windows_;
  // The last decoded tray message, and whether one is being handled.
  std::int32_t TrayMessage = 0;
  bool InTrayMessage = false;
};

}  // namespace velmora
