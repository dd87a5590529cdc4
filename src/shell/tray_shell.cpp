#include "shell/tray_shell.h"

#include <algorithm>

#include "keeplist/keep_store.h"

namespace velmora {

TrayIconRecord MakeTrayIconData(WindowHandle main_window, IconHandle icon) {
  TrayIconRecord record;
  record.cbSize = TrayIconRecord::kSize;
  record.hWnd = main_window;
  record.uID = kTrayIconId;
  record.uFlags =
      TrayIconRecord::kFlagMessage | TrayIconRecord::kFlagIcon | TrayIconRecord::kFlagTip;
  record.uCallbackMessage = kTrayCallbackMessage;
  record.hIcon = icon;
  record.szTip.fill(' ');
  std::copy(kTrayTip.begin(), kTrayTip.end(), record.szTip.begin());
  record.szTip[kTrayTip.size()] = '\0';
  return record;
}

std::int32_t DecodeTrayMessage(std::intptr_t lparam) {
  return static_cast<std::int32_t>(lparam & 0xFFFF);
}

void TrayShell::Load() {
  ClearKeepLists(state_.keep);
  state_.PassCount = kDefaultPassCount;
  state_.CaptureKey = kDefaultCaptureKey;
  // The main form is created hidden and never has a task-list entry.
  state_.TrayIconData =
      MakeTrayIconData(windows_.MainWindow(), context_.forms.PictureHandle(Picture::kImage1));
  context_.desktop.NotifyIcon(NotifyIconAction::kAdd, state_.TrayIconData);
  state_.Busy = false;
}

void TrayShell::MouseMove(std::intptr_t lparam) {
  TrayMessage = DecodeTrayMessage(lparam);
  if (InTrayMessage) return;
  InTrayMessage = true;
  if (TrayMessage == kTrayDoubleClick && !state_.Busy) {
    CloseInternet(state_, context_);
  } else if (TrayMessage == kTrayRightButtonUp) {
    MenuClick(windows_.PopupMenu());
  }
  InTrayMessage = false;
}

void TrayShell::MenuClick(MenuCommand command) {
  switch (command) {
    case MenuCommand::kFen:
      // The keep-list window and the configuration dialog are never open
      // together.
      context_.forms.Unload(FormId::kForm3);
      windows_.Open(FormId::kForm2);
      break;
    case MenuCommand::kConfig:
      context_.forms.Unload(FormId::kForm2);
      windows_.Open(FormId::kForm3);
      break;
    case MenuCommand::kAbout:
      windows_.Open(FormId::kForm4);
      break;
    case MenuCommand::kExit:
      context_.forms.Unload(FormId::kForm1);
      break;
    case MenuCommand::kNone:
      break;
  }
}

void TrayShell::QueryUnload() {
  state_.Quitting = true;
  context_.forms.Unload(FormId::kForm2);
  context_.forms.Unload(FormId::kForm3);
  state_.TrayIconData.cbSize = TrayIconRecord::kSize;
  state_.TrayIconData.hWnd = windows_.MainWindow();
  state_.TrayIconData.uID = kTrayIconId;
  context_.desktop.NotifyIcon(NotifyIconAction::kDelete, state_.TrayIconData);
}

void TrayShell::TaskbarCreated() {
  // The pictures may have been reloaded at another size; the busy one shows
  // during a run.
  state_.TrayIconData.hIcon =
      context_.forms.PictureHandle(state_.Busy ? Picture::kImage2 : Picture::kImage1);
  // A rescaled notification area broadcasts this while it still holds the
  // icon, and an addition would fail there.
  if (!context_.desktop.NotifyIcon(NotifyIconAction::kModify, state_.TrayIconData)) {
    context_.desktop.NotifyIcon(NotifyIconAction::kAdd, state_.TrayIconData);
  }
}

void TrayShell::EndSession() {
  context_.forms.Unload(FormId::kForm4);
  context_.forms.Unload(FormId::kForm1);
}

}  // namespace velmora
