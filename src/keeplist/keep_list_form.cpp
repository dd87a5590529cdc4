#include "keeplist/keep_list_form.h"

namespace velmora {
namespace {

std::string KeyName(std::int32_t capture_key) {
  return "F" + std::to_string(CaptureKeyNumber(capture_key));
}

}  // namespace

std::string KeepListCaption(std::int32_t capture_key) {
  return "A conserver... (" + KeyName(capture_key) + ")";
}

std::string CaptureKeyPrompt(std::int32_t capture_key) {
  return "conserver et appuyez sur la touche " + KeyName(capture_key);
}

void KeepListForm::Load() {
  view_.SetTimerInterval(kCapturePollMilliseconds);
  view_.SetCaption(KeepListCaption(state_.CaptureKey));
  view_.SetPrompt(CaptureKeyPrompt(state_.CaptureKey));
  desktop_.MakeTopMost(view_.Handle());
  RefreshKeepList(state_.keep, Context());
}

void KeepListForm::ClearClick() {
  ClearKeepLists(state_.keep);
  view_.List().Clear();
  view_.List().Refresh();
}

}  // namespace velmora
