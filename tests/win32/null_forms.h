// Forms for driving a sweep run without the program's own windows: nothing to
// unload and no icon to show.
#pragma once

#include "platform/forms.h"

namespace velmora::testing {

class NullForms final : public Forms {
 public:
  void Unload(FormId) override {}
  IconHandle PictureHandle(Picture) override { return 0; }
};

}  // namespace velmora::testing
