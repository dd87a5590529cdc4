#include "shell/win32/session.h"

#include "platform/win32/forms/form.h"
#include "platform/win32/handles.h"

namespace velmora::win32 {
namespace {

// Local\: one resident Velmora per user session, each session its own.
constexpr const wchar_t* kResidentMutex = L"Local\\Velmora.Resident";
constexpr const wchar_t* kRequestMessage = L"Velmora.Request";
// The main form's caption, which no other form of ours has.
constexpr const wchar_t* kMainFormCaption = L"Form1";

}  // namespace

UINT RequestMessage() { return ::RegisterWindowMessageW(kRequestMessage); }

Win32Session::Win32Session()
    : mutex_(::CreateMutexW(nullptr, FALSE, kResidentMutex)),
      refused_(!mutex_ && ::GetLastError() == ERROR_ACCESS_DENIED) {}

bool Win32Session::ClaimResidence() {
  if (resident_) return true;
  if (refused_) return false;
  // Without a mutex at all nothing could tell two starts apart; better one
  // Velmora too many than none.
  if (!mutex_) {
    resident_ = true;
    return true;
  }
  // An abandoned mutex is one whose owner died without letting it go.
  const DWORD waited = ::WaitForSingleObject(mutex_.get(), 0);
  resident_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  return resident_;
}

void Win32Session::Resign() {
  if (!resident_) return;
  resident_ = false;
  if (mutex_) ::ReleaseMutex(mutex_.get());
}

WindowHandle Win32Session::ResidentWindow() {
  return ToWindowHandle(::FindWindowW(FormsRuntime::kWindowClass, kMainFormCaption));
}

bool Win32Session::HandOver(WindowHandle window, StartRequest request) {
  // A post, never a send: a resident Velmora that is hung, or in the middle
  // of a run, must not hold this start.
  const UINT message = RequestMessage();
  return message != 0 &&
         ::PostMessageW(ToHwnd(window), message, EncodeRequest(request), 0) != FALSE;
}

void Win32Session::Pause(std::chrono::milliseconds duration) {
  ::Sleep(static_cast<DWORD>(duration.count()));
}

}  // namespace velmora::win32
