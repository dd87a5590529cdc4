// The forms seam: what the portable core asks of the program's own windows
// and of the event loop. The Win32 forms layer implements it; tests use
// doubles. Captions, layouts and handlers of the forms live with the forms.
#pragma once

#include <chrono>
#include <string_view>

#include "platform/window_system.h"

namespace velmora {

enum class FormId { kForm1, kForm2, kForm3, kForm4 };
// The two pictures of the main form: the normal and the busy tray icon.
enum class Picture { kImage1, kImage2 };

class ListBoxView {
 public:
  virtual ~ListBoxView() = default;
  virtual void Clear() = 0;
  virtual void AddItem(std::string_view text) = 0;  // at the end, never sorted
  virtual void Refresh() = 0;
};

class Forms {
 public:
  virtual ~Forms() = default;
  // Runs the form's QueryUnload, then destroys it; nothing when not loaded.
  virtual void Unload(FormId form) = 0;
  virtual IconHandle PictureHandle(Picture picture) = 0;
};

// The clock and the event pump. The clock is monotonic: a wait measured on it
// is unaffected by midnight or by changes of the wall clock.
class EventPump {
 public:
  using Clock = std::chrono::steady_clock;

  virtual ~EventPump() = default;
  virtual Clock::time_point Now() = 0;
  // Sleeps until an event is pending or the deadline has passed.
  virtual void WaitForEvents(Clock::time_point deadline) = 0;
  // Runs every pending event and returns.
  virtual void DoEvents() = 0;
};

}  // namespace velmora
