// Calls looked up at run time, for functions that not every system has or
// whose DLL is loaded only when needed.
#pragma once

#include <windows.h>

namespace velmora::win32 {

// Sets `function` to the DLL's export `name`, or to null when it has none.
template <typename Function>
void FindFunction(HMODULE module, const char* name, Function& function) {
  // Through the generic function type, which converts to any other.
  function = reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace velmora::win32
