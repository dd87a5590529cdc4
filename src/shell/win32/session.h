// The user's session as Velmora's starts share it: a named mutex that the
// resident Velmora owns, a named event that every Velmora that stayed as the
// resident one holds until it ends, and a registered message to its main
// form.
#pragma once

#include <windows.h>

#include "platform/win32/unique_handle.h"
#include "shell/start_up.h"

namespace velmora::win32 {

// The message that carries a request to the resident Velmora's main form;
// 0 if it could not be registered.
UINT RequestMessage();

class Win32Session final : public Session {
 public:
  Win32Session() = default;
  // A resident Velmora lets the session go when it ends, whatever the path.
  ~Win32Session() override { Resign(); }
  Win32Session(const Win32Session&) = delete;
  Win32Session& operator=(const Win32Session&) = delete;

  bool ClaimResidence() override;
  void Stay() override;
  void Resign() override;
  WindowHandle ResidentWindow() override;
  bool HandOver(WindowHandle window, StartRequest request) override;
  Presence AwaitResidentEnd(std::chrono::milliseconds bound) override;
  Presence FormerResidents() override;
  bool StartResident() override;
  bool StartedResidentEnded() override;
  void Pause(std::chrono::milliseconds duration) override;

 private:
  UniqueKernelHandle mutex_;
  UniqueKernelHandle stayed_;
  // The process behind the resident window found last, opened before any
  // request goes to it, so that its end can be awaited even if it comes at
  // once.
  UniqueKernelHandle resident_process_;
  UniqueKernelHandle started_process_;
  bool resident_ = false;
};

}  // namespace velmora::win32
