#include "shell/configuration.h"

#include "shell/pass_count.h"

namespace velmora {

std::int32_t CaptureKeyFromBoxes(const std::array<bool, kKeyBoxCount>& ticked) {
  for (int box = kKeyBoxCount; box >= 1; --box) {
    if (ticked[static_cast<std::size_t>(box - 1)]) return kVkF1 - 1 + box;
  }
  return kDefaultCaptureKey;
}

void Configuration::Load() {
  view_.SetPassCountText(std::to_string(state_.PassCount));
  view_.SetBoxTicked(CaptureKeyNumber(state_.CaptureKey), true);
}

void Configuration::PassCountLostFocus() {
  const std::int16_t pass_count = ReadPassCount(view_.PassCountText());
  view_.SetPassCountText(std::to_string(pass_count));
  state_.PassCount = pass_count;
}

void Configuration::BoxPressed(int box) {
  for (int other = 1; other <= kKeyBoxCount; ++other) {
    if (other != box) view_.SetBoxTicked(other, false);
  }
}

void Configuration::QueryUnload() {
  PassCountLostFocus();
  std::array<bool, kKeyBoxCount> ticked{};
  for (int box = 1; box <= kKeyBoxCount; ++box) {
    ticked[static_cast<std::size_t>(box - 1)] = view_.BoxTicked(box);
  }
  state_.CaptureKey = CaptureKeyFromBoxes(ticked);
}

}  // namespace velmora
