// Form2, the keep-list window: the instruction, the kept windows' titles and
// two buttons. Its behaviour lives in KeepListForm; the window only forwards.
#pragma once

#include "keeplist/keep_list_form.h"
#include "platform/win32/forms/form.h"

namespace velmora::win32 {

class Form2 final : public Form, private KeepListView {
 public:
  Form2(FormsRuntime& runtime, Module1& state, WindowSystem& desktop);

  ListBox& List() override { return List1; }

 protected:
  void OnLoad() override;
  void OnQueryUnload() override { behaviour_.QueryUnload(); }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  // KeepListView
  void SetCaption(const std::string& caption) override;
  void SetPrompt(const std::string& prompt) override;
  void SetTimerInterval(int milliseconds) override { Timer1.SetInterval(milliseconds); }
  WindowHandle Handle() override;

  Label Label1;
  Label Label2;
  HiddenLabel list_name_;
  Frame Frame1;
  ListBox List1;
  CommandButton Command1;
  CommandButton Command2;
  IntervalTimer Timer1;
  ToolTips tool_tips_;
  KeepListForm behaviour_;
};

}  // namespace velmora::win32
