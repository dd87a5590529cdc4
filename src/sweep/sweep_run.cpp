#include "sweep/sweep_run.h"

#include <chrono>

#include "sweep/scan.h"

namespace velmora {
namespace {

// The icon swap is a toggle on the icon shown now, so the end of the run
// applies the same comparison as its start.
void SwapTrayIcon(Module1& state, const SweepContext& context) {
  const IconHandle normal = context.forms.PictureHandle(Picture::kImage1);
  state.TrayIconData.hIcon =
      state.TrayIconData.hIcon == normal ? context.forms.PictureHandle(Picture::kImage2) : normal;
  context.desktop.NotifyIcon(NotifyIconAction::kModify, state.TrayIconData);
}

// Re-enables each listed window that is not kept, then posts it the
// cancel-mode and close messages. Posting never waits for the window's
// program, so a hung window cannot hold the run.
void SweepPass(Module1& state, WindowSystem& desktop) {
  FenEnCours(state.scan, desktop);
  for (const WindowEntry& entry : Listed(state.scan.ScanTable)) {
    if (IsKept(state.keep, entry.handle)) continue;
    desktop.EnableWindow(entry.handle, true);
    desktop.PostMessage(entry.handle, kWmCancelMode, 0, 0);
    desktop.PostMessage(entry.handle, kWmClose, 0, 0);
  }
}

}  // namespace

void CloseInternet(Module1& state, const SweepContext& context) {
  state.Busy = true;
  context.forms.Unload(FormId::kForm2);
  context.forms.Unload(FormId::kForm3);
  SwapTrayIcon(state, context);
  // A wider counter than PassCount, so that a run of 32767 passes ends.
  const int passes = state.PassCount;
  for (int pass = 1; pass <= passes && !state.Quitting; ++pass) {
    SweepPass(state, context.desktop);
    wait_time(state, context.pump, 1);
  }
  // The main form took the icon with it; changing it again would only fail.
  if (!state.Quitting) SwapTrayIcon(state, context);
  state.Busy = false;
}

void wait_time(Module1& state, EventPump& pump, double seconds) {
  if (!(seconds > 0)) return;
  const auto deadline =
      pump.Now() + std::chrono::duration_cast<EventPump::Clock::duration>(
                       std::chrono::duration<double>(seconds));
  while (pump.Now() < deadline && !state.Quitting) {
    pump.WaitForEvents(deadline);
    pump.DoEvents();
  }
}

}  // namespace velmora
