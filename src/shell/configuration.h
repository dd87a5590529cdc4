// The configuration dialog's behaviour, apart from its window: which values
// it shows when it opens and which settings it stores when it goes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "state/module1.h"

namespace velmora {

// Box i (1 to 12) of the key grid stands for the function key Fi.
inline constexpr int kKeyBoxCount = 12;
// The highest-numbered ticked box wins; with none ticked, F9.
std::int32_t CaptureKeyFromBoxes(const std::array<bool, kKeyBoxCount>& ticked);

// What the dialog's handlers need of its window.
class ConfigurationView {
 public:
  virtual ~ConfigurationView() = default;
  virtual std::string PassCountText() = 0;
  virtual void SetPassCountText(const std::string& text) = 0;
  // Boxes are numbered 1 to 12.
  virtual bool BoxTicked(int box) = 0;
  virtual void SetBoxTicked(int box, bool ticked) = 0;
};

class Configuration {
 public:
  Configuration(Module1& state, ConfigurationView& view) : state_(state), view_(view) {}

  // Shows the pass count in force and ticks the capture key's box.
  void Load();
  // The box shows, and PassCount takes, the value that its text puts in force.
  void PassCountLostFocus();
  // A mouse button or the space bar goes down on box `box`: every other box
  // is cleared, before the click or the key toggles this one.
  void BoxPressed(int box);
  // Whoever closes the dialog stores both settings.
  void QueryUnload();

 private:
  Module1& state_;
  ConfigurationView& view_;
};

}  // namespace velmora
