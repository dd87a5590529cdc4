#include "shell/win32/velmora_forms.h"

#include "platform/win32/handles.h"

namespace velmora::win32 {

VelmoraForms::VelmoraForms(FormsRuntime& runtime, Module1& state, WindowSystem& desktop,
                           EventPump& pump, Session& session)
    : form1_([&runtime, &state, &desktop, &pump, &session, this] {
        return std::make_unique<Form1>(runtime, state, SweepContext{desktop, *this, pump}, *this,
                                       session);
      }),
      form2_([&runtime, &state, &desktop] {
        return std::make_unique<Form2>(runtime, state, desktop);
      }),
      form3_([&runtime, &state] { return std::make_unique<Form3>(runtime, state); }),
      form4_([&runtime] { return std::make_unique<Form4>(runtime); }) {}

void VelmoraForms::Unload(FormId form) {
  switch (form) {
    case FormId::kForm1:
      form1_.Unload();
      break;
    case FormId::kForm2:
      form2_.Unload();
      break;
    case FormId::kForm3:
      form3_.Unload();
      break;
    case FormId::kForm4:
      form4_.Unload();
      break;
  }
}

IconHandle VelmoraForms::PictureHandle(Picture picture) {
  const Form1* main_form = form1_.Loaded();
  return main_form ? ToIconHandle(main_form->PictureOf(picture)) : 0;
}

WindowHandle VelmoraForms::MainWindow() {
  const Form1* main_form = form1_.Loaded();
  return main_form ? ToWindowHandle(main_form->hwnd()) : 0;
}

MenuCommand VelmoraForms::PopupMenu(Point at) {
  const Form1* main_form = form1_.Loaded();
  return main_form ? main_form->ShowPopupMenu(at) : MenuCommand::kNone;
}

void VelmoraForms::Open(FormId form) {
  switch (form) {
    case FormId::kForm2:
      form2_.Load().Show();
      break;
    case FormId::kForm3:
      form3_.Load().Show();
      break;
    case FormId::kForm4:
      form4_.Load().Show();
      break;
    case FormId::kForm1:  // never shown
      break;
  }
}

}  // namespace velmora::win32
