// Form1, the hidden main form: it owns the tray icon, receives the icon's
// mouse messages and hosts the popup menu.
#pragma once

#include "platform/forms.h"
#include "platform/win32/forms/form.h"
#include "shell/tray_shell.h"

namespace velmora::win32 {

class Form1 final : public Form {
 public:
  Form1(FormsRuntime& runtime, Module1& state, const SweepContext& context,
        ShellWindows& windows, Session& session);

  HICON PictureOf(Picture picture) const;
  MenuCommand ShowPopupMenu(Point at) const;

 protected:
  void OnCreated() override;
  void OnLoad() override;
  void OnQueryUnload() override;
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  // Loads both pictures at the size the notification area shows them now.
  void LoadPictures();
  // After a change of scale, of display or of the notification area itself.
  void ShowIconAgain();

  // The normal and the busy tray icon. The form is never shown, so they need
  // no windows of their own: a static control would also load the common
  // controls, whose class it is under the visual-styles manifest, into the
  // idle program.
  UniqueIcon Image1;
  UniqueIcon Image2;
  PopupMenu mnuPop;
  TrayShell shell_;
  // Broadcast when the notification area is rebuilt; 0 if it could not be
  // registered.
  UINT taskbar_created_;
  // Brings a later start's request; 0 if it could not be registered.
  UINT request_;
};

}  // namespace velmora::win32
