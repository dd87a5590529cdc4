#include "shell/win32/form1.h"

#include <utility>

#include "platform/win32/dynamic_calls.h"
#include "platform/win32/unique_handle.h"
#include "shell/win32/resource_ids.h"
#include "shell/win32/session.h"

namespace velmora::win32 {
namespace {

UINT CommandOf(MenuCommand command) { return static_cast<UINT>(command); }

bool RunsElevated() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  const UniqueKernelHandle owned(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return ::GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size) &&
         elevation.TokenIsElevated != 0;
}

// An elevated program's windows refuse messages from programs that run with
// less privilege, Explorer and a later start among them; this lets one
// message in. The call is looked up because Windows before 7 lacks it.
void AcceptFromLessPrivilegedPrograms(HWND window, UINT message) {
  decltype(&::ChangeWindowMessageFilterEx) allow = nullptr;
  FindFunction(::GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx", allow);
  if (allow != nullptr) allow(window, message, MSGFLT_ALLOW, nullptr);
}

}  // namespace

Form1::Form1(FormsRuntime& runtime, Module1& state, const SweepContext& context,
             ShellWindows& windows, Session& session)
    // A tool window never has a task-list entry, and a top-level one (unlike
    // a message-only window) receives the broadcasts of the shell.
    : Form(runtime, {.caption = L"Form1", .width = 3600, .height = 690,
                     .ex_style = WS_EX_TOOLWINDOW}),
      mnuPop({{L"A conserver...", CommandOf(MenuCommand::kFen)},
              {L"Configuration", CommandOf(MenuCommand::kConfig)},
              {L"-"},
              {L"A propos de...", CommandOf(MenuCommand::kAbout)},
              {L"-"},
              {L"Quitter", CommandOf(MenuCommand::kExit)}}),
      shell_(state, context, windows, session),
      taskbar_created_(::RegisterWindowMessageW(L"TaskbarCreated")),
      request_(RequestMessage()) {}

HICON Form1::PictureOf(Picture picture) const {
  return picture == Picture::kImage1 ? Image1.get() : Image2.get();
}

MenuCommand Form1::ShowPopupMenu(Point at) const {
  return MenuCommand{mnuPop.Track(hwnd(), {at.x, at.y})};
}

void Form1::OnCreated() {
  // The icon first: the window is never shown, and its layout, its size and
  // what follows can wait until the user sees Velmora.
  LoadPictures();
  shell_.Load();
}

void Form1::OnLoad() {
  // Only an elevated Velmora needs the filter, and only once its icon shows.
  // Without elevation, programs at the same level already reach it, and the
  // filter would let in every sandboxed, lower-level program too.
  if (!RunsElevated()) return;
  // Otherwise an elevated run would never hear that a restarted Explorer has
  // forgotten its icon.
  if (taskbar_created_ != 0) AcceptFromLessPrivilegedPrograms(hwnd(), taskbar_created_);
  // And a start without elevation could not reach an elevated Velmora.
  if (request_ != 0) AcceptFromLessPrivilegedPrograms(hwnd(), request_);
}

void Form1::OnQueryUnload() {
  // Later starts find the resident Velmora by this caption: without it, one
  // that comes while this one quits becomes the new resident instead of
  // asking this one, which would no longer answer.
  ::SetWindowTextW(hwnd(), L"");
  shell_.QueryUnload();
}

void Form1::LoadPictures() {
  // An icon handle holds one image, so the notification area cannot pick
  // the frame for its scale itself: it shrinks or stretches whatever it is
  // given. It shows small icons at the taskbar's DPI.
  const int size = SmallIconSize(TaskbarDpi(hwnd()));
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  Image1 = LoadIconResource(instance, kEyeIcon, size, SystemResource(IDI_APPLICATION));
  Image2 = LoadIconResource(instance, kBusyIcon, size, SystemResource(IDI_WARNING));
}

void Form1::ShowIconAgain() {
  // The icons in use stay alive until the notification area holds the new
  // ones.
  const UniqueIcon old_image1 = std::move(Image1);
  const UniqueIcon old_image2 = std::move(Image2);
  LoadPictures();
  shell_.TaskbarCreated();
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kTrayCallbackMessage:
      shell_.TrayCallback(wparam, lparam);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wparam) shell_.EndSession();
      return 0;
    case WM_DPICHANGED:
    case WM_DISPLAYCHANGE: {
      const LRESULT result = Form::HandleMessage(message, wparam, lparam);
      ShowIconAgain();
      return result;
    }
    default:
      if (taskbar_created_ != 0 && message == taskbar_created_) {
        ShowIconAgain();
        return 0;
      }
      if (request_ != 0 && message == request_) {
        // Anything but the two requests is not ours to act on.
        if (const auto request = DecodeRequest(wparam, lparam)) shell_.Request(*request);
        return 0;
      }
      return Form::HandleMessage(message, wparam, lparam);
  }
}

}  // namespace velmora::win32
