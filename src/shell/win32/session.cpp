#include "shell/win32/session.h"

#include <string>

#include "platform/win32/forms/form.h"
#include "platform/win32/handles.h"

namespace velmora::win32 {
namespace {

// Local\: one resident Velmora per user session, each session its own.
constexpr const wchar_t* kResidentMutex = L"Local\\Velmora.Resident";
constexpr const wchar_t* kRequestMessage = L"Velmora.Request";
// The main form's caption, which no other form of ours has.
constexpr const wchar_t* kMainFormCaption = L"Form1";
// A started resident usually waits for input within a tenth of a second.
constexpr DWORD kStartedResidentIdleBound = 1000;

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

bool Win32Session::AwaitResidentEnd(std::chrono::milliseconds bound) {
  // A process that could not be opened has nothing left to wait for.
  return !resident_process_ ||
         ::WaitForSingleObject(resident_process_.get(), static_cast<DWORD>(bound.count())) ==
             WAIT_OBJECT_0;
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
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
    return false;
  }
  const UniqueKernelHandle process(started.hProcess);
  const UniqueKernelHandle thread(started.hThread);
  // It is ready for the request once it waits for input, which usually
  // spares this start the pauses of its look.
  ::WaitForInputIdle(process.get(), kStartedResidentIdleBound);
  return true;
}

void Win32Session::Pause(std::chrono::milliseconds duration) {
  ::Sleep(static_cast<DWORD>(duration.count()));
}

}  // namespace velmora::win32
