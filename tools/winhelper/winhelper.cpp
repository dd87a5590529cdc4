// winhelper.exe: opens top-level windows for the Windows tests and benchmarks
// and logs what other programs do to them.
//
// Usage:
//   winhelper.exe --log FILE [--windows FILE] [--stop-event NAME] [--quit-file FILE]
//                 [--lifetime MS] [WINDOW ...]
//
// WINDOW describes one window (or a group of alike windows), given as an
// argument or as one line of the --windows file (UTF-8; blank lines and lines
// that start with '#' are skipped). It is a list of fields separated by ';':
//   name=NAME      the window's name in the log, without spaces (default w1,
//                  w2, ... in the order of the descriptions)
//   class=CLASS    its window class (default "WinHelper"); "#32770" makes a
//                  real modeless dialog box of the system's dialog class
//   title=TEXT     its text; every space is kept
//   rect=X,Y,W,H   position and size in pixels (default: the system's choice)
//   hidden         never shown
//   tool           a tool window (WS_EX_TOOLWINDOW)
//   owned          owned by a hidden window of the helper
//   no-caption     a pop-up frame without a title bar
//   fullscreen     a frame as a browser leaves it in fullscreen: made with
//                  a caption, which is then taken off with the sizing border
//   frameless      a frame as Chromium's picture-in-picture window: made
//                  without minimize and maximize boxes, then its caption
//                  taken off
//   topmost        above every window that is not top-most (WS_EX_TOPMOST)
//   disabled       starts disabled
//   ignore-close   logs WM_CLOSE and stays open (otherwise it is destroyed)
//   redisable      disables itself again after each WM_CLOSE that it logs,
//                  as a program stuck in a modal prompt would (the
//                  WM_CANCELMODE and WM_ENABLE that this sends to itself are
//                  not logged: the log holds what other programs do)
//   reopen=MS      opens again, with a new handle, MS ms after each time it is
//                  destroyed
//   child=CLASS    a visible child window of that class with the same title
//                  (repeat the field for more children)
//   count=N        N alike windows; "{i}" in the name or the title becomes
//                  0 .. N-1, and a name without "{i}" gets ".{i}" appended
//   hung           made on a thread that never pumps messages afterwards, so
//                  a message sent to it never returns
//   churn          made and destroyed again and again, without pause, on a
//                  thread of its own until the helper stops; not logged
//                  window by window
// In values, "\;" stands for ';', "\\" for '\' and "\u{HEX}" for the code
// point HEX, so that command lines can stay in ASCII; a surrogate code point
// (D800 to DFFF) gives that one UTF-16 unit, alone.
//
// Log: the --log file, UTF-8, one line per event, each written whole and at
// once, so that another process may read the file at any time:
//   <ms> <event> [<name> <handle> [<value>]]
// <ms> is the machine's monotonic clock in milliseconds (see protocol.h) and
// <handle> is hexadecimal with a 0x prefix. Events:
//   open <name> <handle>           a window has been made (and shown)
//   WM_ENABLE <name> <handle> 1|0  with the message's wParam
//   WM_CANCELMODE <name> <handle>
//   WM_CLOSE <name> <handle>
//   destroyed <name> <handle>
//   churned <name> 0x0 <cycles>    at exit, for each churn group
//   ready                          every window is open (hung ones included)
//   exit                           the helper is leaving
//
// Stopping: the helper destroys its windows and exits when the named event
// --stop-event is set, when the --quit-file appears, or after --lifetime
// milliseconds (default 60000), so that it never lingers. Exit code 0, or 2
// for a malformed command line or description (the reason on stderr).
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/text.h"
#include "platform/win32/unique_handle.h"
#include "tools/winhelper/browser_shapes.h"
#include "tools/winhelper/protocol.h"

namespace velmora::winhelper {
namespace {

constexpr std::wstring_view kDialogClass = L"#32770";
constexpr const wchar_t* kOwnerClass = L"WinHelperOwner";
constexpr std::int64_t kDefaultLifetimeMs = 60000;
constexpr DWORD kQuitFilePollMs = 50;

struct WindowDescription {
  std::wstring name;
  std::wstring class_name = L"WinHelper";
  std::wstring title;
  std::optional<RECT> rect;  // left, top, width, height
  bool hidden = false;
  bool tool = false;
  bool owned = false;
  bool no_caption = false;
  bool fullscreen = false;
  bool frameless = false;
  bool topmost = false;
  bool disabled = false;
  bool ignore_close = false;
  bool redisable = false;
  bool hung = false;
  bool churn = false;
  std::optional<int> reopen_ms;
  std::vector<std::wstring> child_classes;
  int count = 1;
};

struct Options {
  std::wstring log_path;
  std::wstring stop_event;
  std::wstring quit_file;
  std::int64_t lifetime_ms = kDefaultLifetimeMs;
  std::vector<WindowDescription> windows;
};

std::wstring Widen(std::string_view text) {
  const std::u16string units = Utf8ToUtf16(text);
  return {units.begin(), units.end()};
}

std::string Narrow(std::wstring_view text) {
  return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

// ---- Descriptions ---------------------------------------------------------

// The UTF-16 units of a code point. A surrogate given alone stays alone, so a
// test can give a window a title that no valid UTF-8 could carry.
std::wstring CodePointUnits(char32_t code_point) {
  if (code_point < 0x10000) return std::wstring(1, static_cast<wchar_t>(code_point));
  return {static_cast<wchar_t>(0xD800 + ((code_point - 0x10000) >> 10)),
          static_cast<wchar_t>(0xDC00 + ((code_point - 0x10000) & 0x3FF))};
}

std::wstring Unescape(std::string_view value) {
  std::wstring out;
  std::string literal;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      literal += value[i];
    } else if (value.substr(i, 3) == "\\u{") {
      const std::size_t end = value.find('}', i);
      if (end == std::string_view::npos) throw std::invalid_argument("unclosed \\u{");
      const std::string hex(value.substr(i + 3, end - i - 3));
      out += Widen(std::exchange(literal, {}));
      out += CodePointUnits(static_cast<char32_t>(std::stoul(hex, nullptr, 16)));
      i = end;
    } else {
      literal += value[++i];
    }
  }
  return out + Widen(literal);
}

// Splits at every ';' that no backslash escapes.
std::vector<std::string> SplitFields(std::string_view text) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      fields.back() += text.substr(i, 2);
      ++i;
    } else if (text[i] == ';') {
      fields.emplace_back();
    } else {
      fields.back() += text[i];
    }
  }
  return fields;
}

RECT ParseRect(const std::string& value) {
  RECT rect{};
  char extra = 0;
  if (std::sscanf(value.c_str(), "%ld,%ld,%ld,%ld%c", &rect.left, &rect.top, &rect.right,
                  &rect.bottom, &extra) != 4) {
    throw std::invalid_argument("rect wants X,Y,W,H: " + value);
  }
  return rect;
}

void ApplyFlag(WindowDescription& window, const std::string& key) {
  static const std::map<std::string, bool WindowDescription::*> kFlags = {
      {"hidden", &WindowDescription::hidden},
      {"tool", &WindowDescription::tool},
      {"owned", &WindowDescription::owned},
      {"no-caption", &WindowDescription::no_caption},
      {"fullscreen", &WindowDescription::fullscreen},
      {"frameless", &WindowDescription::frameless},
      {"topmost", &WindowDescription::topmost},
      {"disabled", &WindowDescription::disabled},
      {"ignore-close", &WindowDescription::ignore_close},
      {"redisable", &WindowDescription::redisable},
      {"hung", &WindowDescription::hung},
      {"churn", &WindowDescription::churn},
  };
  const auto flag = kFlags.find(key);
  if (flag == kFlags.end()) throw std::invalid_argument("unknown field: " + key);
  window.*(flag->second) = true;
}

void ApplyField(WindowDescription& window, const std::string& field) {
  const std::size_t equals = field.find('=');
  if (equals == std::string::npos) return ApplyFlag(window, field);
  const std::string key = field.substr(0, equals);
  const std::wstring wide_value = Unescape(std::string_view(field).substr(equals + 1));
  const std::string value = Narrow(wide_value);
  if (key == "name") {
    window.name = wide_value;
  } else if (key == "class") {
    window.class_name = wide_value;
  } else if (key == "title") {
    window.title = wide_value;
  } else if (key == "rect") {
    window.rect = ParseRect(value);
  } else if (key == "reopen") {
    window.reopen_ms = std::stoi(value);
  } else if (key == "child") {
    window.child_classes.push_back(wide_value);
  } else if (key == "count") {
    window.count = std::max(std::stoi(value), 0);
  } else {
    throw std::invalid_argument("unknown field: " + key);
  }
}

WindowDescription ParseDescription(std::string_view text, std::size_t ordinal) {
  WindowDescription window;
  window.name = L"w" + std::to_wstring(ordinal);
  for (const std::string& field : SplitFields(text)) {
    if (!field.empty()) ApplyField(window, field);
  }
  if (window.count > 1 && window.name.find(L"{i}") == std::wstring::npos) window.name += L".{i}";
  return window;
}

void ReadWindowsFile(const std::wstring& path, std::vector<WindowDescription>& windows) {
  std::ifstream file(path.c_str(), std::ios::binary);
  if (!file) throw std::invalid_argument("cannot read " + Narrow(path));
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == '#') continue;
    windows.push_back(ParseDescription(line, windows.size() + 1));
  }
}

Options ParseCommandLine(int argc, wchar_t** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view argument = argv[i];
    const auto value = [&]() -> std::wstring {
      if (i + 1 >= argc) throw std::invalid_argument(Narrow(argument) + " wants a value");
      return argv[++i];
    };
    if (argument == L"--log") {
      options.log_path = value();
    } else if (argument == L"--windows") {
      ReadWindowsFile(value(), options.windows);
    } else if (argument == L"--stop-event") {
      options.stop_event = value();
    } else if (argument == L"--quit-file") {
      options.quit_file = value();
    } else if (argument == L"--lifetime") {
      options.lifetime_ms = std::stoll(value());
    } else {
      options.windows.push_back(ParseDescription(Narrow(argument), options.windows.size() + 1));
    }
  }
  if (options.log_path.empty()) throw std::invalid_argument("--log is required");
  return options;
}

// ---- Log ------------------------------------------------------------------

class Log {
 public:
  explicit Log(const std::wstring& path)
      : file_(::CreateFileW(path.c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (file_.get() == INVALID_HANDLE_VALUE) {
      file_.release();
      throw std::invalid_argument("cannot write " + Narrow(path));
    }
  }

  void Event(std::string_view event) { Write(std::string(event)); }

  void Event(std::string_view event, std::wstring_view name, HWND window,
             std::optional<std::int64_t> value = std::nullopt) {
    std::ostringstream line;
    line << event << ' ' << Narrow(name) << " 0x" << std::hex
         << reinterpret_cast<std::uintptr_t>(window) << std::dec;
    if (value) line << ' ' << *value;
    Write(line.str());
  }

 private:
  // One WriteFile per line: the reader never sees half a line from two
  // writers, and nothing waits in a buffer.
  void Write(const std::string& text) {
    const std::string line = std::to_string(MonotonicMilliseconds()) + ' ' + text + '\n';
    const std::lock_guard lock(mutex_);
    DWORD written = 0;
    ::WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }

  win32::UniqueKernelHandle file_;
  std::mutex mutex_;
};

// ---- Windows --------------------------------------------------------------

std::wstring Substitute(std::wstring text, int index) {
  for (std::size_t at = text.find(L"{i}"); at != std::wstring::npos; at = text.find(L"{i}", at)) {
    const std::wstring number = std::to_wstring(index);
    text.replace(at, 3, number);
    at += number.size();
  }
  return text;
}

// Registration of a name already registered fails harmlessly, so every
// window registers its class without keeping track.
void RegisterWindowClass(HINSTANCE instance, const std::wstring& class_name) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = &::DefWindowProcW;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = class_name.c_str();
  ::RegisterClassExW(&window_class);
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// An empty dialog template; the title and the size are set once it exists.
HWND CreateDialogBox(HINSTANCE instance) {
  struct alignas(DWORD) EmptyTemplate {
    DLGTEMPLATE header;
    WORD menu = 0;
    WORD window_class = 0;
    WORD title = 0;
  } dialog_template{};
  dialog_template.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  dialog_template.header.cx = 200;
  dialog_template.header.cy = 80;
  return ::CreateDialogIndirectParamW(instance, &dialog_template.header, nullptr,
                                      &PlainDialogProc, 0);
}

// The windows of one thread. Each is subclassed by a procedure that logs the
// messages the tests look for and then hands every message on, so that the
// system's own classes (the dialog box) keep their behaviour.
class WindowSet {
 public:
  WindowSet(Log& log, HINSTANCE instance) : log_(log), instance_(instance) {}
  WindowSet(const WindowSet&) = delete;
  WindowSet& operator=(const WindowSet&) = delete;
  ~WindowSet() { DestroyAll(); }

  void OpenGroup(const WindowDescription& description, bool logged = true) {
    for (int index = 0; index < description.count; ++index) Open(description, index, logged);
  }

  void DestroyAll() {
    while (!instances_.empty()) {
      const HWND window = instances_.begin()->first;
      if (!::DestroyWindow(window)) instances_.erase(window);
    }
  }

  // Opens again the windows whose re-opening time has come; returns the time
  // until the next one, if any is due.
  std::optional<std::int64_t> ReopenDue() {
    const std::int64_t now = MonotonicMilliseconds();
    std::vector<PendingReopen> due;
    std::erase_if(pending_, [&](const PendingReopen& pending) {
      if (pending.at_ms > now) return false;
      due.push_back(pending);
      return true;
    });
    for (const PendingReopen& pending : due) Open(*pending.description, pending.index, true);
    if (pending_.empty()) return std::nullopt;
    const auto next = std::min_element(
        pending_.begin(), pending_.end(),
        [](const PendingReopen& a, const PendingReopen& b) { return a.at_ms < b.at_ms; });
    return std::max<std::int64_t>(next->at_ms - now, 0);
  }

 private:
  struct Instance {
    WindowSet* owner;
    const WindowDescription* description;
    int index;
    std::wstring name;
    bool logged;
    WNDPROC original;
    bool disabling_itself = false;
  };
  struct PendingReopen {
    const WindowDescription* description;
    int index;
    std::int64_t at_ms;
  };

  HWND CreateFrame(const WindowDescription& description, const std::wstring& title) {
    if (description.class_name == kDialogClass) {
      const HWND dialog = CreateDialogBox(instance_);
      ::SetWindowTextW(dialog, title.c_str());
      return dialog;
    }
    RegisterWindowClass(instance_, description.class_name);
    const DWORD style = description.no_caption ? WS_POPUP | WS_THICKFRAME : WS_OVERLAPPEDWINDOW;
    const DWORD ex_style =
        (description.tool ? WS_EX_TOOLWINDOW : 0) | (description.topmost ? WS_EX_TOPMOST : 0);
    const HWND window = ::CreateWindowExW(
        ex_style, description.class_name.c_str(), title.c_str(), style, CW_USEDEFAULT,
        CW_USEDEFAULT, 320, 200, description.owned ? Owner() : nullptr, nullptr, instance_, nullptr);
    if (window != nullptr && description.fullscreen) RemoveStyle(window, kFullscreenRemoves);
    if (window != nullptr && description.frameless) RemoveStyle(window, kFramelessRemoves);
    return window;
  }

  // One hidden window owns every owned window of the set; it goes last.
  HWND Owner() {
    if (!owner_) {
      RegisterWindowClass(instance_, kOwnerClass);
      owner_.reset(::CreateWindowExW(0, kOwnerClass, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                     nullptr, instance_, nullptr));
    }
    return owner_.get();
  }

  void AddChildren(HWND parent, const WindowDescription& description,
                   const std::wstring& title) {
    int top = 0;
    for (const std::wstring& child_class : description.child_classes) {
      const bool dialog = child_class == kDialogClass;
      if (!dialog) RegisterWindowClass(instance_, child_class);
      ::CreateWindowExW(0, dialog ? WC_DIALOG : child_class.c_str(), title.c_str(),
                        WS_CHILD | WS_VISIBLE, 0, top, 120, 30, parent, nullptr, instance_,
                        nullptr);
      top += 30;
    }
  }

  void Open(const WindowDescription& description, int index, bool logged) {
    const std::wstring title = Substitute(description.title, index);
    const HWND window = CreateFrame(description, title);
    if (window == nullptr) return;
    if (description.rect) {
      const RECT& rect = *description.rect;
      ::MoveWindow(window, rect.left, rect.top, rect.right, rect.bottom, FALSE);
    }
    AddChildren(window, description, title);
    if (description.disabled) ::EnableWindow(window, FALSE);

    auto instance = std::make_unique<Instance>(
        Instance{this, &description, index, Substitute(description.name, index), logged, nullptr});
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(instance.get()));
    instance->original = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LoggingProc)));
    if (!description.hidden) ::ShowWindow(window, SW_SHOWNOACTIVATE);
    if (logged) log_.Event("open", instance->name, window);
    instances_.emplace(window, std::move(instance));
  }

  void Forget(HWND window, const Instance& instance) {
    if (instance.logged) log_.Event("destroyed", instance.name, window);
    if (instance.description->reopen_ms) {
      pending_.push_back({instance.description, instance.index,
                          MonotonicMilliseconds() + *instance.description->reopen_ms});
    }
    instances_.erase(window);
  }

  static LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* instance = reinterpret_cast<Instance*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    const WindowDescription& description = *instance->description;
    Log& log = instance->owner->log_;
    switch (message) {
      case WM_ENABLE:
        if (!instance->disabling_itself) {
          log.Event("WM_ENABLE", instance->name, window, wparam != 0 ? 1 : 0);
        }
        break;
      case WM_CANCELMODE:
        if (!instance->disabling_itself) log.Event("WM_CANCELMODE", instance->name, window);
        break;
      case WM_CLOSE:
        log.Event("WM_CLOSE", instance->name, window);
        if (!description.ignore_close) {
          ::DestroyWindow(window);
        } else if (description.redisable) {
          instance->disabling_itself = true;
          ::EnableWindow(window, FALSE);
          instance->disabling_itself = false;
        }
        return 0;
      case WM_NCDESTROY: {
        const LRESULT result =
            ::CallWindowProcW(instance->original, window, message, wparam, lparam);
        instance->owner->Forget(window, *instance);
        return result;
      }
      default:
        break;
    }
    return ::CallWindowProcW(instance->original, window, message, wparam, lparam);
  }

  Log& log_;
  HINSTANCE instance_;
  std::map<HWND, std::unique_ptr<Instance>> instances_;
  std::vector<PendingReopen> pending_;
  win32::UniqueWindow owner_;
};

void PumpPending() {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

bool IsSet(HANDLE event) { return ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

// The windows that live on threads of their own: hung ones, which stop
// pumping once made, and churning ones, made and destroyed in a loop.
class SideThreads {
 public:
  SideThreads(Log& log, HINSTANCE instance)
      : log_(log), instance_(instance), stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  SideThreads(const SideThreads&) = delete;
  SideThreads& operator=(const SideThreads&) = delete;
  ~SideThreads() {
    ::SetEvent(stop_.get());
    for (std::thread& thread : threads_) thread.join();
  }

  // Returns once the hung windows exist and the churn has begun.
  void Start(const WindowDescription& description) {
    win32::UniqueKernelHandle started(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE started_event = started.get();
    if (description.hung) {
      threads_.emplace_back([this, &description, started_event] {
        WindowSet windows(log_, instance_);
        windows.OpenGroup(description);
        ::SetEvent(started_event);
        ::WaitForSingleObject(stop_.get(), INFINITE);
      });
    } else {
      threads_.emplace_back([this, &description, started_event] {
        std::int64_t cycles = 0;
        for (; cycles == 0 || !IsSet(stop_.get()); ++cycles) {
          WindowSet windows(log_, instance_);
          windows.OpenGroup(description, false);
          PumpPending();
          if (cycles == 0) ::SetEvent(started_event);
        }
        log_.Event("churned", description.name, nullptr, cycles);
      });
    }
    ::WaitForSingleObject(started_event, INFINITE);
  }

 private:
  Log& log_;
  HINSTANCE instance_;
  win32::UniqueKernelHandle stop_;
  std::vector<std::thread> threads_;
};

bool QuitRequested(const Options& options, HANDLE stop_event, std::int64_t deadline_ms) {
  return (stop_event != nullptr && IsSet(stop_event)) ||
         (!options.quit_file.empty() &&
          ::GetFileAttributesW(options.quit_file.c_str()) != INVALID_FILE_ATTRIBUTES) ||
         MonotonicMilliseconds() >= deadline_ms;
}

DWORD NextWakeMs(const Options& options, std::int64_t deadline_ms,
                 std::optional<std::int64_t> next_reopen_ms) {
  std::int64_t wait = std::max<std::int64_t>(deadline_ms - MonotonicMilliseconds(), 0);
  if (next_reopen_ms) wait = std::min(wait, *next_reopen_ms);
  if (!options.quit_file.empty()) wait = std::min<std::int64_t>(wait, kQuitFilePollMs);
  return static_cast<DWORD>(wait);
}

void Run(const Options& options) {
  const std::int64_t deadline_ms = MonotonicMilliseconds() + options.lifetime_ms;
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  win32::UniqueKernelHandle stop_event;
  if (!options.stop_event.empty()) {
    stop_event.reset(::CreateEventW(nullptr, TRUE, FALSE, options.stop_event.c_str()));
  }
  Log log(options.log_path);
  {
    SideThreads side_threads(log, instance);
    WindowSet windows(log, instance);
    for (const WindowDescription& description : options.windows) {
      if (description.hung || description.churn) {
        side_threads.Start(description);
      } else {
        windows.OpenGroup(description);
      }
    }
    log.Event("ready");

    const HANDLE stop = stop_event.get();
    while (!QuitRequested(options, stop, deadline_ms)) {
      const DWORD wait_ms = NextWakeMs(options, deadline_ms, windows.ReopenDue());
      ::MsgWaitForMultipleObjectsEx(stop ? 1 : 0, stop ? &stop : nullptr, wait_ms, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
      PumpPending();
    }
  }
  log.Event("exit");
}

}  // namespace
}  // namespace velmora::winhelper

int wmain(int argc, wchar_t** argv) {
  try {
    velmora::winhelper::Run(velmora::winhelper::ParseCommandLine(argc, argv));
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "winhelper: %s\n", error.what());
    return 2;
  }
}
