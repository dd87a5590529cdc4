// The keep-list window's behaviour, apart from its window: what it shows when
// it opens, its two buttons and its capture timer.
#pragma once

#include <cstdint>
#include <string>

#include "keeplist/capture.h"
#include "keeplist/keep_store.h"
#include "state/module1.h"

namespace velmora {

// The capture key is polled twice a second while the window is open.
inline constexpr int kCapturePollMilliseconds = 500;

// "A conserver... (F9)" for the default key.
std::string KeepListCaption(std::int32_t capture_key);
// The second half of the instruction, ending with the key's name.
std::string CaptureKeyPrompt(std::int32_t capture_key);

// What the window's handlers need of the window.
class KeepListView {
 public:
  virtual ~KeepListView() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetPrompt(const std::string& prompt) = 0;
  // 0 stops the timer.
  virtual void SetTimerInterval(int milliseconds) = 0;
  virtual WindowHandle Handle() = 0;
  virtual ListBoxView& List() = 0;
};

class KeepListForm {
 public:
  KeepListForm(Module1& state, WindowSystem& desktop, KeepListView& view)
      : state_(state), desktop_(desktop), view_(view) {}

  // Starts polling, shows the capture key, stays above the browser windows
  // the user points at, and shows the keep list as it is now.
  void Load();
  void QueryUnload() { view_.SetTimerInterval(0); }
  void RefreshClick() { RefreshKeepList(state_.keep, Context()); }
  // Empties the keep list without looking at the desktop.
  void ClearClick();
  CaptureResult Tick() { return CaptureTick(state_.keep, Context(), state_.CaptureKey); }

 private:
  KeepListContext Context() { return {state_.scan, desktop_, view_.List()}; }

  Module1& state_;
  WindowSystem& desktop_;
  KeepListView& view_;
};

}  // namespace velmora
