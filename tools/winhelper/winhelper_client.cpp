#include "tools/winhelper/winhelper_client.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/win32/handles.h"

namespace velmora::winhelper {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);
constexpr DWORD kStopTimeoutMs = 5000;

std::wstring HelperPath() {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), MAX_PATH);
  path.resize(length);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + L"winhelper.exe";
}

// A fresh file name in the temporary folder; its name also names the stop
// event, so that helpers of concurrent tests never meet.
std::wstring UniqueTempPath() {
  wchar_t folder[MAX_PATH + 1] = {};
  wchar_t file[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, folder);
  if (::GetTempFileNameW(folder, L"vwh", 0, file) == 0) {
    throw std::runtime_error("no temporary file for winhelper");
  }
  return file;
}

// A copy of the helper under another name, in a folder of its own so that
// concurrent tests never share one.
std::wstring CopyHelper(const std::wstring& helper, const std::wstring& folder,
                        const std::wstring& program) {
  const std::wstring copy = folder + L"\\" + program;
  if (!::CreateDirectoryW(folder.c_str(), nullptr) ||
      !::CopyFileW(helper.c_str(), copy.c_str(), TRUE)) {
    throw std::runtime_error("cannot copy winhelper.exe");
  }
  return copy;
}

void WriteWindows(const std::wstring& path, const std::vector<std::string>& windows) {
  std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
  for (const std::string& window : windows) file << window << '\n';
  if (!file.flush()) throw std::runtime_error("cannot write the winhelper description");
}

bool IsReady(const HelperProcess::Log& log) {
  for (const LogLine& line : log) {
    if (line.event == "ready") return true;
  }
  return false;
}

std::string ReadWholeFile(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

std::optional<LogLine> ParseLogLine(std::string_view text) {
  std::istringstream fields{std::string(text)};
  LogLine line;
  std::string handle;
  if (!(fields >> line.ms >> line.event)) return std::nullopt;
  if (fields >> line.name >> handle) {
    line.handle = std::stoull(handle, nullptr, 16);
    fields >> line.value;
  }
  return line;
}

WindowHandle CoreHandle(const LogLine& line) {
  return win32::ToWindowHandle(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(line.handle)));
}

HelperProcess::HelperProcess(const std::vector<std::string>& windows)
    : HelperProcess(windows, Options{}) {}

HelperProcess::HelperProcess(const std::vector<std::string>& windows, Options options)
    : log_path_(UniqueTempPath()), windows_path_(log_path_ + L".windows") {
  WriteWindows(windows_path_, windows);
  const std::wstring event_name = L"velmora-winhelper-" + log_path_.substr(log_path_.rfind(L'\\') + 1);
  stop_event_.reset(::CreateEventW(nullptr, TRUE, FALSE, event_name.c_str()));

  std::wstring helper = HelperPath();
  if (!options.program.empty()) {
    copy_ = CopyHelper(helper, log_path_ + L".bin", options.program);
    helper = copy_;
  }
  std::wstring command_line = L"\"" + helper + L"\" --log \"" + log_path_ + L"\" --windows \"" +
                              windows_path_ + L"\" --stop-event " + event_name + L" --lifetime " +
                              std::to_wstring(options.lifetime.count());
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(helper.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
    throw std::runtime_error("cannot start winhelper.exe");
  }
  win32::UniqueKernelHandle thread(started.hThread);
  process_.reset(started.hProcess);
  process_id_ = started.dwProcessId;

  const bool ready = WaitForLog(
      [this](const Log& log) {
        return IsReady(log) || ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
      },
      options.ready_timeout);
  if (!ready || !IsReady(ReadLog())) {
    Stop();
    RemoveFiles();
    throw std::runtime_error("winhelper.exe did not report its windows ready");
  }
}

HelperProcess::~HelperProcess() {
  Stop();
  RemoveFiles();
}

void HelperProcess::RemoveFiles() const {
  ::DeleteFileW(log_path_.c_str());
  ::DeleteFileW(windows_path_.c_str());
  if (copy_.empty()) return;
  ::DeleteFileW(copy_.c_str());
  ::RemoveDirectoryW(copy_.substr(0, copy_.rfind(L'\\')).c_str());
}

HelperProcess::Log HelperProcess::ReadLog() const {
  const std::string text = ReadWholeFile(log_path_);
  Log log;
  std::size_t start = 0;
  // A line without its end is still being written; it is read next time.
  for (std::size_t end = text.find('\n'); end != std::string::npos;
       start = end + 1, end = text.find('\n', start)) {
    if (auto line = ParseLogLine(std::string_view(text).substr(start, end - start))) {
      log.push_back(std::move(*line));
    }
  }
  return log;
}

bool HelperProcess::WaitForLog(const std::function<bool(const Log&)>& done,
                               std::chrono::milliseconds timeout) const {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done(ReadLog())) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
  return true;
}

WindowHandle HelperProcess::Window(std::string_view name) const {
  WindowHandle window = 0;
  for (const LogLine& line : ReadLog()) {
    if (line.event == "open" && line.name == name) window = CoreHandle(line);
  }
  return window;
}

void HelperProcess::Stop() {
  if (!process_) return;
  ::SetEvent(stop_event_.get());
  if (::WaitForSingleObject(process_.get(), kStopTimeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(process_.get(), 1);
    ::WaitForSingleObject(process_.get(), kStopTimeoutMs);
  }
  process_.reset();
}

std::vector<std::string> MessagesFor(const HelperProcess::Log& log, WindowHandle window) {
  std::vector<std::string> messages;
  for (const LogLine& line : log) {
    if (!line.event.starts_with("WM_") || CoreHandle(line) != window) continue;
    messages.push_back(line.event == "WM_ENABLE" ? line.event + ' ' + std::to_string(line.value)
                                                 : line.event);
  }
  return messages;
}

}  // namespace velmora::winhelper
