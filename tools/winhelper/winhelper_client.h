// Runs winhelper.exe in another process for a test or a benchmark: starts it
// with window descriptions, waits until its windows exist, reads its log and
// stops it. The description format and the log are documented in
// winhelper.cpp.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "platform/window_system.h"
#include "tools/winhelper/protocol.h"

namespace velmora::winhelper {

class HelperProcess {
 public:
  using Log = std::vector<LogLine>;

  struct Options {
    std::chrono::milliseconds ready_timeout{10000};
    // The helper ends by itself after this, should its driver die first.
    std::chrono::milliseconds lifetime{60000};
    // Runs a copy of the helper under this file name, such as "chrome.exe",
    // for the tests of rules that look at the program; empty runs it as it is.
    std::wstring program = {};
  };

  // Starts winhelper.exe, which lies beside the running program (or a copy of
  // it under another name), with one window description per element, and returns once the helper reports its
  // windows ready. Throws std::runtime_error when it fails to start, exits
  // early or is not ready in time.
  explicit HelperProcess(const std::vector<std::string>& windows);
  HelperProcess(const std::vector<std::string>& windows, Options options);
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;
  // Stops the helper if it still runs, and removes its files.
  ~HelperProcess();

  // Every complete line logged so far.
  Log ReadLog() const;
  // Polls the log until `done` holds for it; false when `timeout` passes first.
  bool WaitForLog(const std::function<bool(const Log&)>& done,
                  std::chrono::milliseconds timeout) const;
  // The handle of the latest window opened under `name`; 0 if none.
  WindowHandle Window(std::string_view name) const;
  DWORD process_id() const { return process_id_; }

  // Asks the helper to destroy its windows and exit, and waits for it; ends
  // it outright if it does not exit in time (a hung window can hold it).
  void Stop();

 private:
  void RemoveFiles() const;

  std::wstring log_path_;
  std::wstring windows_path_;
  // The renamed copy of the helper, if any, alone in its folder.
  std::wstring copy_;
  win32::UniqueKernelHandle stop_event_;
  win32::UniqueKernelHandle process_;
  DWORD process_id_ = 0;
};

// The messages logged for one window, in order, as "WM_ENABLE 1",
// "WM_CANCELMODE", "WM_CLOSE" and so on.
std::vector<std::string> MessagesFor(const HelperProcess::Log& log, WindowHandle window);

// The helper's handle as the core holds it.
WindowHandle CoreHandle(const LogLine& line);

}  // namespace velmora::winhelper
