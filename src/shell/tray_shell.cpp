#include "shell/tray_shell.h"

#include "keeplist/keep_store.h"

namespace velmora {

TrayIconRecord MakeTrayIconData(WindowHandle main_window, IconHandle icon) {
  TrayIconRecord record;
  record.hWnd = main_window;
  record.uID = kTrayIconId;
  record.uFlags = TrayIconRecord::kFlagMessage | TrayIconRecord::kFlagIcon |
                  TrayIconRecord::kFlagTip | TrayIconRecord::kFlagShowTip;
  record.uCallbackMessage = kTrayCallbackMessage;
  record.hIcon = icon;
  record.szTip = kTrayTip;
  record.uVersion = TrayIconRecord::kVersion4;
  return record;
}

TrayEvent DecodeTrayMessage(std::uintptr_t wparam, std::intptr_t lparam) {
  // The anchor's coordinates are signed: a screen left of or above the
  // primary one has negative coordinates.
  const auto word = [](std::uintptr_t value) {
    return static_cast<std::int32_t>(static_cast<std::int16_t>(value & 0xFFFF));
  };
  return {.message = static_cast<std::int32_t>(lparam & 0xFFFF),
          .anchor = {word(wparam), word(wparam >> 16)}};
}

void TrayShell::Load() {
  ClearKeepLists(state_.keep);
  state_.PassCount = kDefaultPassCount;
  state_.CaptureKey = kDefaultCaptureKey;
  // The main form is created hidden and never has a task-list entry.
  state_.TrayIconData =
      MakeTrayIconData(windows_.MainWindow(), context_.forms.PictureHandle(Picture::kImage1));
  AddIcon();
  state_.Busy = false;
}

void TrayShell::AddIcon() {
  context_.desktop.NotifyIcon(NotifyIconAction::kAdd, state_.TrayIconData);
  // Whatever the addition reported: a slow Shell at log-on may report a
  // failure yet show the icon, with no TaskbarCreated to follow, and an icon
  // left at version 0 never sends the menu or the keyboard's events.
  context_.desktop.NotifyIcon(NotifyIconAction::kSetVersion, state_.TrayIconData);
}

void TrayShell::TrayCallback(std::uintptr_t wparam, std::intptr_t lparam) {
  const TrayEvent event = DecodeTrayMessage(wparam, lparam);
  TrayMessage = event.message;
  if (TrayMessage == kTrayKeySelect && IsKeySelectEcho()) return;
  if (TrayMessage == kTrayDoubleClick || TrayMessage == kTrayKeySelect) {
    SweepAsDoubleClick();
    return;
  }
  // A right click also reports its button's release, which must not open
  // the menu a second time.
  if (TrayMessage != kTrayContextMenu || InTrayMessage) return;
  InTrayMessage = true;
  MenuClick(windows_.PopupMenu(event.anchor));
  InTrayMessage = false;
}

void TrayShell::Request(StartRequest request) {
  switch (request) {
    case StartRequest::kSweep:
      SweepAsDoubleClick();
      break;
    case StartRequest::kQuit:
      MenuClick(MenuCommand::kExit);
      break;
    case StartRequest::kNone:
      break;
  }
}

void TrayShell::SweepAsDoubleClick() {
  if (InTrayMessage) return;
  InTrayMessage = true;
  if (!state_.Busy) CloseInternet(state_, context_);
  InTrayMessage = false;
}

bool TrayShell::IsKeySelectEcho() {
  const auto now = context_.pump.Now();
  const bool echo = last_key_select_ && now - *last_key_select_ < kKeySelectEcho;
  last_key_select_ = now;
  return echo;
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
  // First, before anything that may wait on another program (the Shell's
  // deletion can): a start that comes meanwhile becomes the new resident.
  session_.Resign();
  context_.forms.Unload(FormId::kForm2);
  context_.forms.Unload(FormId::kForm3);
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
  if (!context_.desktop.NotifyIcon(NotifyIconAction::kModify, state_.TrayIconData)) AddIcon();
}

void TrayShell::EndSession() {
  context_.forms.Unload(FormId::kForm4);
  context_.forms.Unload(FormId::kForm1);
}

}  // namespace velmora
