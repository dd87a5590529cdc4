// Velmora's forms, one instance each, behind the forms seam of the core.
#pragma once

#include "keeplist/win32/form2.h"
#include "platform/forms.h"
#include "platform/win32/forms/form.h"
#include "shell/tray_shell.h"
#include "shell/win32/form1.h"
#include "shell/win32/form3.h"
#include "shell/win32/form4.h"

namespace velmora::win32 {

class VelmoraForms final : public Forms, public ShellWindows {
 public:
  // `session` hears when the main form goes and this process stops being the
  // session's resident Velmora.
  VelmoraForms(FormsRuntime& runtime, Module1& state, WindowSystem& desktop, EventPump& pump,
               Session& session);

  // Start-up: loads the main form, which adds the icon.
  void LoadMainForm() { form1_.Load(); }

  // Forms
  void Unload(FormId form) override;
  IconHandle PictureHandle(Picture picture) override;

  // ShellWindows
  WindowHandle MainWindow() override;
  MenuCommand PopupMenu(Point at) override;
  void Open(FormId form) override;

 private:
  FormSlot<Form1> form1_;
  FormSlot<Form2> form2_;
  FormSlot<Form3> form3_;
  FormSlot<Form4> form4_;
};

}  // namespace velmora::win32
