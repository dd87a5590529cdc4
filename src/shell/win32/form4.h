// Form4, the about box: the program's name, version, author and date.
#pragma once

#include "platform/win32/forms/form.h"

namespace velmora::win32 {

class Form4 final : public Form {
 public:
  explicit Form4(FormsRuntime& runtime);

 private:
  Label Label1;
};

}  // namespace velmora::win32
