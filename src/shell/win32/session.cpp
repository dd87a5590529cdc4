#include "shell/win32/session.h"

#include <string>

#include "platform/win32/forms/form.h"
#include "platform/win32/handles.h"

namespace velmora::win32 {
namespace {

// Local\: one resident Velmora per user session, each session its own.
constexpr const wchar_t* kResidentMutex = L"Local\\Velmora.Resident";
// Exists while any Velmora that stayed as the resident one runs: the system
// removes it with the last process that holds it, whatever way that ends.
constexpr const wchar_t* kStayedEvent = L"Local\\Velmora.Stayed";
constexpr const wchar_t* kRequestMessage = L"Velmora.Request";
// The main form's caption, which no other form of ours has.
constexpr const wchar_t* kMainFormCaption = L"Form1";

}  // namespace

UINT RequestMessage() { return ::RegisterWindowMessageW(kRequestMessage); }

bool Win32Session::ClaimResidence() {
  if (resident_) return true;
  // An elevated resident Velmora's mutex refuses the others until it has
  // gone: ask again on each look.
  if (!mutex_) {
    mutex_.reset(::CreateMutexW(nullptr, FALSE, kResidentMutex));
    if (!mutex_ && ::GetLastError() == ERROR_ACCESS_DENIED) return false;
  }
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

void Win32Session::Stay() {
  stayed_.reset(::CreateEventW(nullptr, TRUE, FALSE, kStayedEvent));
}

void Win32Session::Resign() {
  if (!resident_) return;
  resident_ = false;
  if (mutex_) ::ReleaseMutex(mutex_.get());
}

WindowHandle Win32Session::ResidentWindow() {
  const HWND window = ::FindWindowW(FormsRuntime::kWindowClass, kMainFormCaption);
  DWORD process_id = 0;
  if (window != nullptr) ::GetWindowThreadProcessId(window, &process_id);
  resident_process_.reset(process_id != 0 ? ::OpenProcess(SYNCHRONIZE, FALSE, process_id)
                                          : nullptr);
  return ToWindowHandle(window);
}

bool Win32Session::HandOver(WindowHandle window, StartRequest request) {
  // A post, never a send: a resident Velmora that is hung, or in the middle
  // of a run, must not hold this start.
  const UINT message = RequestMessage();
  return message != 0 &&
         ::PostMessageW(ToHwnd(window), message, EncodeRequest(request), 0) != FALSE;
}

Presence Win32Session::AwaitResidentEnd(std::chrono::milliseconds bound) {
  // One that could not be opened (another account's, an elevated one) may
  // well run on.
  if (!resident_process_) return Presence::kUnknown;
  return ::WaitForSingleObject(resident_process_.get(), static_cast<DWORD>(bound.count())) ==
                 WAIT_OBJECT_0
             ? Presence::kGone
             : Presence::kRunning;
}

Presence Win32Session::FormerResidents() {
  const UniqueKernelHandle stayed(::OpenEventW(SYNCHRONIZE, FALSE, kStayedEvent));
  if (stayed) return Presence::kRunning;
  switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
      return Presence::kGone;
    // An elevated Velmora's event is there but refuses the others.
    case ERROR_ACCESS_DENIED:
      return Presence::kRunning;
    default:
      return Presence::kUnknown;
  }
}

bool Win32Session::StartResident() {
  std::wstring program(MAX_PATH, L'\0');
  DWORD length = 0;
  while ((length = ::GetModuleFileNameW(nullptr, program.data(),
                                        static_cast<DWORD>(program.size()))) == program.size()) {
    program.resize(program.size() * 2);
  }
  if (length == 0) return false;
  program.resize(length);
  // The command line names the program alone: the new process starts with no
  // request, and this one hands it the sweep once its window is there.
  std::wstring command_line = L"\"" + program + L"\"";
  // The caller's folder would stay in use for as long as the resident runs:
  // a script's temporary folder, a stick to eject. The program's own is
  // there as long as Velmora is.
  const std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &started)) {
    return false;
  }
  started_process_.reset(started.hProcess);
  const UniqueKernelHandle thread(started.hThread);
  return true;
}

bool Win32Session::StartedResidentEnded() {
  return started_process_ && ::WaitForSingleObject(started_process_.get(), 0) == WAIT_OBJECT_0;
}

void Win32Session::Pause(std::chrono::milliseconds duration) {
  ::Sleep(static_cast<DWORD>(duration.count()));
}

}  // namespace velmora::win32
