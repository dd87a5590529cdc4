#include "sweep/scan.h"

#include <algorithm>

namespace velmora {
namespace {

constexpr std::string_view kInternetExplorerClass = "IEFrame";
constexpr std::string_view kOperaClass = "BLDOPERA";
constexpr std::string_view kNetscapeClassPrefix = "Afx:400000:b";
constexpr std::string_view kDialogClass = "#32770";
constexpr std::string_view kNetscapeTitleSuffix = "Netscape";

bool IsNetscapeClass(std::string_view class_name) {
  return class_name.starts_with(kNetscapeClassPrefix);
}

}  // namespace

bool ContainsHandle(std::span<const WindowEntry> entries, WindowHandle window) {
  return std::any_of(entries.begin(), entries.end(),
                     [window](const WindowEntry& entry) { return entry.handle == window; });
}

bool ClassQualifies(std::string_view class_name, DialogBoxes dialogs) {
  return class_name == kInternetExplorerClass || class_name == kOperaClass ||
         IsNetscapeClass(class_name) ||
         (dialogs == DialogBoxes::kCounted && class_name == kDialogClass);
}

bool TitleQualifies(std::string_view class_name, std::string_view clean_title) {
  if (clean_title.empty()) return false;
  return !IsNetscapeClass(class_name) || clean_title.ends_with(kNetscapeTitleSuffix);
}

std::string GetCleanTitle(WindowSystem& desktop, WindowHandle window) {
  std::string title = desktop.WindowText(window, kTitleMaxCount);
  std::erase(title, '\0');
  const auto first = title.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = title.find_last_not_of(' ');
  return title.substr(first, last - first + 1);
}

std::optional<std::string> QualifyWindow(WindowSystem& desktop, WindowHandle window,
                                         DialogBoxes dialogs) {
  const std::string class_name = desktop.ClassName(window, kClassNameBufferSize);
  if (!ClassQualifies(class_name, dialogs)) return std::nullopt;
  std::string title = GetCleanTitle(desktop, window);
  if (!TitleQualifies(class_name, title)) return std::nullopt;
  return title;
}

// Once the table is full, later windows are skipped unexamined while the
// enumeration runs on to its end: the sweep then closes the first 101 windows
// and catches the rest at later passes, as they make room.
std::int32_t AcceptWindow(ScanTables& tables, WindowSystem& desktop, WindowHandle window,
                          std::int32_t /*ignored*/) {
  if (tables.ScanCount >= kScanTableSize) return 1;
  if (auto title = QualifyWindow(desktop, window, DialogBoxes::kCounted)) {
    WindowEntry& entry = tables.ScanTable[static_cast<std::size_t>(tables.ScanCount)];
    entry.handle = window;
    entry.title = std::move(*title);
    ++tables.ScanCount;
  }
  return 1;
}

void ScanBrowserWindows(ScanTables& tables, WindowSystem& desktop) {
  desktop.EnumWindows(
      [&](WindowHandle window) { return AcceptWindow(tables, desktop, window, 0) != 0; });
}

void FenEnCours(ScanTables& tables, WindowSystem& desktop) {
  for (WindowEntry& entry : tables.ScanTable) entry.Clear();
  tables.ScanCount = 0;
  ScanBrowserWindows(tables, desktop);
}

}  // namespace velmora
