// Form3, the configuration dialog: the capture key's grid of check boxes and
// the sweep's duration. Its behaviour lives in Configuration; the window only
// forwards. It is a form of the program's own class, never a dialog box.
#pragma once

#include <array>

#include "platform/win32/forms/form.h"
#include "shell/configuration.h"

namespace velmora::win32 {

class Form3 final : public Form, private ConfigurationView {
 public:
  Form3(FormsRuntime& runtime, Module1& state);

 protected:
  void OnLoad() override;
  void OnQueryUnload() override { behaviour_.QueryUnload(); }

 private:
  // ConfigurationView
  std::string PassCountText() override;
  void SetPassCountText(const std::string& text) override;
  bool BoxTicked(int box) override { return KeyBox(box).Ticked(); }
  void SetBoxTicked(int box, bool ticked) override { KeyBox(box).SetTicked(ticked); }

  // The control arrays are numbered 1 to 12.
  CheckBox& KeyBox(int box) { return chkKEY[static_cast<std::size_t>(box - 1)]; }
  Label& KeyLabel(int box) { return lblKEY[static_cast<std::size_t>(box - 1)]; }

  Frame fraMAIN;
  Label lblENABLE;
  std::array<Label, kKeyBoxCount> lblKEY;
  std::array<CheckBox, kKeyBoxCount> chkKEY;
  Line Line1;
  Label Label1;
  TextBox Text1;
  ToolTips tool_tips_;
  Configuration behaviour_;
};

}  // namespace velmora::win32
