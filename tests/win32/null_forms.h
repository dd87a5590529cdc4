// Forms for driving a sweep run without the program's own windows: nothing to
// unload, no icon to show, no list to fill.
#pragma once

#include "platform/forms.h"

namespace velmora::testing {

class NullListBox final : public ListBoxView {
 public:
  void Clear() override {}
  void AddItem(std::string_view) override {}
  void Refresh() override {}
};

class NullForms final : public Forms {
 public:
  void Unload(FormId) override {}
  IconHandle PictureHandle(Picture) override { return 0; }
};

}  // namespace velmora::testing
