// desktopctl.exe: looks at and signals the windows of the desktop it runs on,
// for the end-to-end tests of Velmora.exe. Started inside a Wine virtual
// desktop, it sees that desktop's windows.
//
// Usage: desktopctl.exe --out FILE COMMAND [ARGUMENT...]
//   list             one line per top-level window, in z-order:
//                    <handle> <visible 0|1> <process id> <class>\t<title>
//   forget-icon      removes Velmora's tray icon, as a restarted Explorer
//                    would have forgotten it
//   taskbar-created [COUNT]
//                    broadcasts the message a rebuilt notification area
//                    sends, COUNT times in a row (once by default):
//                    "broadcast <message number in hex>"
//   register NAME    the number of the registered window message of that
//                    name: "message <number in hex>"
//   rect CLASS TITLE the outer rectangle of the visible top-level window of
//                    that class and title ("*" for any):
//                    <left> <top> <right> <bottom>, or nothing
//   controls CLASS TITLE
//                    the child windows of that window (as for rect), in
//                    z-order: <class> <check state> <left> <top> <right>
//                    <bottom>\t<text>, each line of a list box following it
//                    as "item\t<text>"
//   end-session      sends WM_QUERYENDSESSION to every window of Velmora's
//                    process, then WM_ENDSESSION, as a log-off does; writes
//                    "query <n answered TRUE> of <n windows>"
//   log-off [CLASS]  end-session, then waits for Velmora's process to end:
//                    "query <n> of <n> ended <ms>" with the time from the
//                    first WM_QUERYENDSESSION to the end of the process, or
//                    "query <n> of <n> running" after 10 s
//   close-app        as log-off, with ENDSESSION_CLOSEAPP: the messages by
//                    which the Restart Manager closes a program whose files
//                    an installer replaces or removes
//   close-all        posts WM_CLOSE to every top-level window of Velmora's
//                    process, as taskkill without /f does, then waits for
//                    the process to end: "closed <n> ended <ms>" with the time
//                    from the first post, or "closed <n> running" after 10 s
//   start-until-icon PROGRAM [CLASS]
//                    starts PROGRAM (Velmora.exe) and waits for its tray
//                    icon: "icon <ms> pid <process id>" with the time from
//                    just before CreateProcess to the first moment the
//                    notification area knows the icon (asked every
//                    millisecond), or "no-icon pid <process id>" after 30 s
//   start-until-answer PROGRAM CLASS
//                    starts PROGRAM and waits for the first message that its
//                    window of that class answers: "answered <ms>" with the
//                    time from just before CreateProcess, or "no-answer" after
//                    30 s
//   run PROGRAM [ARGUMENT]
//                    starts PROGRAM with the argument as its command line and
//                    waits for it to end: "exit <code> after <ms> started
//                    <ms>", the second time on the clock of
//                    tools/winhelper/protocol.h, or "running" after 10 s
//   run-in FOLDER PROGRAM ARGUMENT
//                    run, with FOLDER as PROGRAM's current folder, as a
//                    script that changed into FOLDER does
//   remove-folder FOLDER
//                    removes the empty FOLDER: "removed", or "error <code>"
//                    with GetLastError's code, 32 while a process has it as
//                    its current folder
//   quit-then-start PROGRAM ROUNDS
//                    ROUNDS times: runs PROGRAM /quitter and waits for it to
//                    end, starts PROGRAM at once, and waits for Velmora's
//                    icon: "rounds <n> quit-exit-0 <n> slowest-quit <ms>
//                    total-quit <ms> icons <n>"
//   tray-double-click
//                    posts Velmora's main window the tray's callback message
//                    for a double-click: "posted <ms>", the time of posting
//                    on the clock of tools/winhelper/protocol.h
//   usage CLASS      the memory of the process that owns the first top-level
//                    window of that class, hidden or not, from
//                    GetProcessMemoryInfo: "pid <process id> private <bytes>
//                    working-set <bytes>"
// With CLASS, log-off and start-until-icon act on the program whose first
// top-level window has that class, and whose icon has id 1, instead of
// Velmora: the benchmarks time a minimal tray program that way.
// The result goes to FILE (UTF-8) in one piece once the command is done, so a
// script may poll for it. Exit code 0, or 2 for a malformed command line.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/win32/unique_handle.h"
#include "shell/tray_shell.h"
#include "tools/winhelper/protocol.h"

namespace velmora::desktopctl {
namespace {

constexpr UINT kVelmoraIconId = 1;
// How long a window may take to answer, as Windows allows at log-off.
constexpr UINT kEndSessionTimeoutMs = 5000;
constexpr UINT kControlTimeoutMs = 2000;
constexpr DWORD kEndWaitMs = 10000;
constexpr std::int64_t kIconWaitMs = 30000;

HWND VelmoraMainWindow() { return ::FindWindowW(L"VelmoraForm", L"Form1"); }

// The window that owns the tray icon of the program named by CLASS, or
// Velmora's main window when no class is given.
HWND ProgramWindow(const std::wstring& class_name) {
  return class_name.empty() ? VelmoraMainWindow() : ::FindWindowW(class_name.c_str(), nullptr);
}

// WINAPI, as GetWindowTextW and GetClassNameW are: on i686 that is stdcall,
// which a plain function pointer is not.
std::wstring Text(HWND window, int(WINAPI* read)(HWND, LPWSTR, int)) {
  std::wstring buffer(512, L'\0');
  buffer.resize(static_cast<std::size_t>(std::max(read(window, buffer.data(), 512), 0)));
  return buffer;
}

// A named CALLBACK function: a lambda converts only to a pointer of the
// default calling convention, which on i686 is not EnumWindows' stdcall.
BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::string List() {
  std::string lines;
  for (HWND window : TopLevelWindows()) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    char head[64];
    std::snprintf(head, sizeof(head), "0x%llx %d %lu ",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)),
                  ::IsWindowVisible(window) ? 1 : 0, static_cast<unsigned long>(process));
    const std::wstring class_name = Text(window, &::GetClassNameW);
    const std::wstring title = Text(window, &::GetWindowTextW);
    lines += head + Utf16ToUtf8(std::u16string(class_name.begin(), class_name.end())) + "\t" +
             Utf16ToUtf8(std::u16string(title.begin(), title.end())) + "\n";
  }
  return lines;
}

std::string ForgetIcon() {
  NOTIFYICONDATAW record{};
  record.cbSize = sizeof(record);
  record.hWnd = VelmoraMainWindow();
  record.uID = kVelmoraIconId;
  return ::Shell_NotifyIconW(NIM_DELETE, &record) ? "forgotten\n" : "not found\n";
}

HWND FindVisible(const std::wstring& class_name, const std::wstring& title) {
  for (HWND window : TopLevelWindows()) {
    if (!::IsWindowVisible(window)) continue;
    if (class_name != L"*" && Text(window, &::GetClassNameW) != class_name) continue;
    if (title != L"*" && Text(window, &::GetWindowTextW) != title) continue;
    return window;
  }
  return nullptr;
}

std::string RectOf(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
         std::to_string(rect.right) + " " + std::to_string(rect.bottom);
}

std::string Rect(const std::wstring& class_name, const std::wstring& title) {
  const HWND window = FindVisible(class_name, title);
  return window == nullptr ? std::string() : RectOf(window) + "\n";
}

std::string Utf8(const std::wstring& text) {
  return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

// A control's answer, or 0 when its program does not answer in time: a
// busy program delays the test's next poll instead of hanging this one.
LRESULT Ask(HWND control, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  DWORD_PTR answer = 0;
  if (!::SendMessageTimeoutW(control, message, wparam, lparam, SMTO_ABORTIFHUNG,
                             kControlTimeoutMs, &answer)) {
    return 0;
  }
  return static_cast<LRESULT>(answer);
}

// Asked of the control itself: another process's edit box keeps what the
// user typed where GetWindowText does not look.
std::wstring ControlText(HWND control) {
  std::wstring buffer(512, L'\0');
  const auto length =
      Ask(control, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(std::min(static_cast<std::size_t>(std::max<LRESULT>(length, 0)), buffer.size()));
  return buffer;
}

std::string ListItems(HWND list) {
  std::string lines;
  const LRESULT count = Ask(list, LB_GETCOUNT);
  for (WPARAM index = 0; static_cast<LRESULT>(index) < count; ++index) {
    const LRESULT length = std::max<LRESULT>(Ask(list, LB_GETTEXTLEN, index), 0);
    std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = Ask(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, length)));
    lines += "item\t" + Utf8(item) + "\n";
  }
  return lines;
}

std::string Controls(const std::wstring& class_name, const std::wstring& title) {
  const HWND window = FindVisible(class_name, title);
  if (window == nullptr) return {};
  std::string lines;
  for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring kind = Text(child, &::GetClassNameW);
    const bool button = ::lstrcmpiW(kind.c_str(), L"Button") == 0;
    const LRESULT check = button ? Ask(child, BM_GETCHECK) : 0;
    lines += Utf8(kind) + " " + std::to_string(check) + " " + RectOf(child) + "\t" +
             Utf8(ControlText(child)) + "\n";
    if (::lstrcmpiW(kind.c_str(), L"ListBox") == 0) lines += ListItems(child);
  }
  return lines;
}

std::string Hex(UINT number) {
  char hex[16];
  std::snprintf(hex, sizeof(hex), "%x", number);
  return hex;
}

std::string TaskbarCreated(int count) {
  const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
  for (int i = 0; i < count; ++i) ::PostMessageW(HWND_BROADCAST, message, 0, 0);
  return "broadcast " + Hex(message) + "\n";
}

DWORD ProgramProcessId(const std::wstring& class_name) {
  DWORD program = 0;
  ::GetWindowThreadProcessId(ProgramWindow(class_name), &program);
  return program;
}

std::vector<HWND> ProgramWindows(const std::wstring& class_name) {
  const DWORD program = ProgramProcessId(class_name);
  std::vector<HWND> windows;
  for (HWND window : TopLevelWindows()) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (program != 0 && process == program) windows.push_back(window);
  }
  return windows;
}

// Without its trailing newline, so that UntilProgramEnds can extend it.
std::string SendEndSession(LPARAM reason, const std::wstring& class_name) {
  const std::vector<HWND> windows = ProgramWindows(class_name);
  int agreed = 0;
  for (HWND window : windows) {
    DWORD_PTR answer = 0;
    if (::SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, reason, SMTO_ABORTIFHUNG,
                              kEndSessionTimeoutMs, &answer) &&
        answer == TRUE) {
      ++agreed;
    }
  }
  for (HWND window : windows) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, reason, SMTO_ABORTIFHUNG,
                          kEndSessionTimeoutMs, &ignored);
  }
  return "query " + std::to_string(agreed) + " of " + std::to_string(windows.size());
}
std::string EndSession(const std::wstring& class_name = {}) {
  return SendEndSession(ENDSESSION_LOGOFF, class_name);
}
std::string CloseApp(const std::wstring& class_name) {
  return SendEndSession(ENDSESSION_CLOSEAPP, class_name);
}

// Runs `signal` on the program's windows, then waits for its process to end;
// the result of `signal` followed by " ended <ms>" or " running".
std::string UntilProgramEnds(std::string (*signal)(const std::wstring&),
                             const std::wstring& class_name) {
  const velmora::win32::UniqueKernelHandle process(
      ::OpenProcess(SYNCHRONIZE, FALSE, ProgramProcessId(class_name)));
  const ULONGLONG start = ::GetTickCount64();
  std::string result = signal(class_name);
  if (process && ::WaitForSingleObject(process.get(), kEndWaitMs) == WAIT_OBJECT_0) {
    return result + " ended " + std::to_string(::GetTickCount64() - start) + "\n";
  }
  return result + " running\n";
}

std::string CloseAll(const std::wstring& class_name) {
  const std::vector<HWND> windows = ProgramWindows(class_name);
  for (HWND window : windows) ::PostMessageW(window, WM_CLOSE, 0, 0);
  return "closed " + std::to_string(windows.size());
}

// NIM_MODIFY that changes nothing succeeds only for an icon the notification
// area holds, so it tells when the icon has been added without looking at
// the screen.
bool IconPresent(const std::wstring& class_name) {
  NOTIFYICONDATAW record{};
  record.cbSize = sizeof(record);
  record.hWnd = ProgramWindow(class_name);
  record.uID = kVelmoraIconId;
  return record.hWnd != nullptr && ::Shell_NotifyIconW(NIM_MODIFY, &record);
}

struct Started {
  velmora::win32::UniqueKernelHandle process;
  DWORD id = 0;
  std::int64_t at = 0;  // on the shared clock, just before CreateProcess
};

std::optional<Started> Start(const std::wstring& program, const std::wstring& argument = {},
                             const std::wstring& folder = {}) {
  std::wstring command_line = L"\"" + program + L"\"";
  if (!argument.empty()) command_line += L" " + argument;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  const std::int64_t at = velmora::winhelper::MonotonicMilliseconds();
  if (!::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &started)) {
    return std::nullopt;
  }
  const velmora::win32::UniqueKernelHandle thread(started.hThread);
  return Started{velmora::win32::UniqueKernelHandle(started.hProcess), started.dwProcessId, at};
}

std::int64_t MillisecondsSince(std::int64_t start) {
  return velmora::winhelper::MonotonicMilliseconds() - start;
}

std::string StartUntilIcon(const std::wstring& program, const std::wstring& class_name) {
  const std::optional<Started> started = Start(program);
  if (!started) return "not-started\n";
  const std::string pid = " pid " + std::to_string(started->id) + "\n";
  while (MillisecondsSince(started->at) < kIconWaitMs) {
    if (IconPresent(class_name)) {
      return "icon " + std::to_string(MillisecondsSince(started->at)) + pid;
    }
    ::Sleep(1);
  }
  return "no-icon" + pid;
}

// A sent message is answered only once the window's thread takes messages.
std::string StartUntilAnswer(const std::wstring& program, const std::wstring& class_name) {
  const std::optional<Started> started = Start(program);
  if (!started) return "not-started\n";
  while (MillisecondsSince(started->at) < kIconWaitMs) {
    if (const HWND window = ::FindWindowW(class_name.c_str(), nullptr)) {
      DWORD_PTR ignored = 0;
      if (::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kIconWaitMs, &ignored)) {
        return "answered " + std::to_string(MillisecondsSince(started->at)) + "\n";
      }
    }
    ::Sleep(1);
  }
  return "no-answer\n";
}

std::string Run(const std::wstring& program, const std::wstring& argument,
                const std::wstring& folder = {}) {
  const std::optional<Started> started = Start(program, argument, folder);
  if (!started) return "not-started\n";
  if (::WaitForSingleObject(started->process.get(), kEndWaitMs) != WAIT_OBJECT_0) {
    return "running\n";
  }
  const std::int64_t took = MillisecondsSince(started->at);
  DWORD code = 0;
  ::GetExitCodeProcess(started->process.get(), &code);
  return "exit " + std::to_string(code) + " after " + std::to_string(took) + " started " +
         std::to_string(started->at) + "\n";
}

std::string RemoveFolder(const std::wstring& folder) {
  if (::RemoveDirectoryW(folder.c_str())) return "removed\n";
  return "error " + std::to_string(::GetLastError()) + "\n";
}

// A script that quits Velmora and starts it again, as an update does.
std::string QuitThenStart(const std::wstring& program, int rounds) {
  int quit_exit_0 = 0;
  int icons = 0;
  std::int64_t slowest = 0;
  std::int64_t total = 0;
  for (int round = 0; round < rounds; ++round) {
    const std::optional<Started> quit = Start(program, L"/quitter");
    if (!quit || ::WaitForSingleObject(quit->process.get(), kEndWaitMs) != WAIT_OBJECT_0) break;
    const std::int64_t took = MillisecondsSince(quit->at);
    slowest = std::max(slowest, took);
    total += took;
    DWORD code = 1;
    ::GetExitCodeProcess(quit->process.get(), &code);
    if (code == 0) ++quit_exit_0;
    const std::optional<Started> start = Start(program);
    if (!start) break;
    while (!IconPresent(L"") && MillisecondsSince(start->at) < kIconWaitMs) ::Sleep(1);
    if (IconPresent(L"")) ++icons;
  }
  return "rounds " + std::to_string(rounds) + " quit-exit-0 " + std::to_string(quit_exit_0) +
         " slowest-quit " + std::to_string(slowest) + " total-quit " + std::to_string(total) +
         " icons " + std::to_string(icons) + "\n";
}

// What the notification area posts when the user double-clicks the icon.
std::string TrayDoubleClick() {
  const HWND velmora = VelmoraMainWindow();
  const std::int64_t posted = velmora::winhelper::MonotonicMilliseconds();
  if (velmora == nullptr ||
      !::PostMessageW(velmora, velmora::kTrayCallbackMessage, 0,
                      MAKELPARAM(WM_LBUTTONDBLCLK, kVelmoraIconId))) {
    return "no-window\n";
  }
  return "posted " + std::to_string(posted) + "\n";
}

std::string Usage(const std::wstring& class_name) {
  DWORD process_id = 0;
  ::GetWindowThreadProcessId(::FindWindowW(class_name.c_str(), nullptr), &process_id);
  const velmora::win32::UniqueKernelHandle process(
      ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id));
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  if (process_id == 0 || !process ||
      !::GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof(counters))) {
    return "not-found\n";
  }
  return "pid " + std::to_string(process_id) + " private " + std::to_string(counters.PrivateUsage) +
         " working-set " + std::to_string(counters.WorkingSetSize) + "\n";
}

// Written beside the target and renamed over it, so a reader never sees half.
void WriteWhole(const std::wstring& path, const std::string& text) {
  const std::wstring partial = path + L".part";
  if (FILE* file = ::_wfopen(partial.c_str(), L"wb")) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    ::MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
}

}  // namespace
}  // namespace velmora::desktopctl

int wmain(int argc, wchar_t** argv) {
  using namespace velmora::desktopctl;
  if (argc < 4 || std::wstring(argv[1]) != L"--out") {
    std::fputs(
        "usage: desktopctl.exe --out FILE "
        "list|forget-icon|taskbar-created [COUNT]|register NAME|end-session|log-off [CLASS]|"
        "close-app|close-all|"
        "rect CLASS TITLE|controls CLASS TITLE|start-until-icon PROGRAM [CLASS]|"
        "start-until-answer PROGRAM CLASS|run PROGRAM [ARGUMENT]|run-in FOLDER PROGRAM ARGUMENT|"
        "remove-folder FOLDER|quit-then-start PROGRAM ROUNDS|"
        "tray-double-click|usage CLASS\n",
        stderr);
    return 2;
  }
  const std::wstring command = argv[3];
  const int arguments = argc - 4;
  std::string result;
  if (command == L"rect" && arguments == 2) {
    result = Rect(argv[4], argv[5]);
  } else if (command == L"controls" && arguments == 2) {
    result = Controls(argv[4], argv[5]);
  } else if (command == L"start-until-icon" && (arguments == 1 || arguments == 2)) {
    result = StartUntilIcon(argv[4], arguments == 2 ? argv[5] : L"");
  } else if (command == L"start-until-answer" && arguments == 2) {
    result = StartUntilAnswer(argv[4], argv[5]);
  } else if (command == L"run" && (arguments == 1 || arguments == 2)) {
    result = Run(argv[4], arguments == 2 ? argv[5] : L"");
  } else if (command == L"run-in" && arguments == 3) {
    result = Run(argv[5], argv[6], argv[4]);
  } else if (command == L"remove-folder" && arguments == 1) {
    result = RemoveFolder(argv[4]);
  } else if (command == L"quit-then-start" && arguments == 2) {
    result = QuitThenStart(argv[4], std::max(_wtoi(argv[5]), 0));
  } else if (command == L"log-off" && arguments <= 1) {
    result = UntilProgramEnds(&EndSession, arguments == 1 ? argv[4] : L"");
  } else if (command == L"register" && arguments == 1) {
    result = "message " + Hex(::RegisterWindowMessageW(argv[4])) + "\n";
  } else if (command == L"usage" && arguments == 1) {
    result = Usage(argv[4]);
  } else if (command == L"taskbar-created" && arguments <= 1) {
    result = TaskbarCreated(arguments == 0 ? 1 : std::max(_wtoi(argv[4]), 0));
  } else if (arguments != 0) {
    std::fputs("wrong number of arguments\n", stderr);
    return 2;
  } else if (command == L"list") {
    result = List();
  } else if (command == L"forget-icon") {
    result = ForgetIcon();
  } else if (command == L"end-session") {
    result = EndSession() + "\n";
  } else if (command == L"close-app") {
    result = UntilProgramEnds(&CloseApp, L"");
  } else if (command == L"close-all") {
    result = UntilProgramEnds(&CloseAll, L"");
  } else if (command == L"tray-double-click") {
    result = TrayDoubleClick();
  } else {
    std::fputs("unknown command\n", stderr);
    return 2;
  }
  WriteWhole(argv[2], result);
  return 0;
}
