#include "sweep/window_rule.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "platform/text.h"

namespace velmora {
namespace {

enum class ClassMatch { kWhole, kPrefix };

// One case of the rule. Every comparison of a class or a title is exact and
// case-sensitive; program names are compared in ASCII lower case.
struct WindowRule {
  std::string_view window_class = {};
  // The clean title must end with it; any title that is not empty does when
  // it is empty.
  std::string_view title_suffix = {};
  // A class that browsers share with other programs: only the visible,
  // unowned frames that these programs made qualify.
  std::span<const std::string_view> programs = {};
  ClassMatch match = ClassMatch::kWhole;
  // Counts only when dialog boxes do.
  bool dialog_box = false;
};

// Chromium's and Gecko's classes are also those of every Electron program
// (Visual Studio Code, Slack, Discord...), of WebView2 hosts and of
// Thunderbird, whose windows hold the user's work: only these programs' own
// frames are browsers. Adding a browser is one name here, taken from its
// public build files. Names that more than one vendor ships (browser.exe) and
// suites whose mail windows share the browser's class (SeaMonkey) stay out.
constexpr std::string_view kChromiumPrograms[] = {
    "chrome.exe",   "msedge.exe",  "brave.exe",
    "opera.exe",    "vivaldi.exe", "chromium.exe",
    "thorium.exe",  // Thorium: its chrome/BUILD.gn renames chrome.exe
    "whale.exe",    // Naver Whale
};
constexpr std::string_view kGeckoPrograms[] = {
    "firefox.exe", "librewolf.exe", "waterfox.exe", "floorp.exe", "zen.exe",
    "mercury.exe",         // Mercury: .mozconfig, --with-app-name=mercury
    "mullvadbrowser.exe",  // Mullvad Browser: MOZ_APP_BASENAME=MullvadBrowser
    "palemoon.exe",        // Pale Moon: browser/confvars.sh, MOZ_APP_BASENAME
};

constexpr WindowRule kWindowRules[] = {
    {.window_class = "IEFrame"},
    {.window_class = "BLDOPERA"},
    {.window_class = "Afx:400000:b", .title_suffix = "Netscape", .match = ClassMatch::kPrefix},
    {.window_class = "#32770", .dialog_box = true},
    {.window_class = "Chrome_WidgetWin_1", .programs = kChromiumPrograms},
    {.window_class = "MozillaWindowClass", .programs = kGeckoPrograms},
};

const WindowRule* FindRule(std::string_view class_name, DialogBoxes dialogs) {
  for (const WindowRule& rule : kWindowRules) {
    const bool matches = rule.match == ClassMatch::kPrefix
                             ? class_name.starts_with(rule.window_class)
                             : class_name == rule.window_class;
    if (matches && (!rule.dialog_box || dialogs == DialogBoxes::kCounted)) return &rule;
  }
  return nullptr;
}

bool IsFamilyProgram(const WindowRule& rule, const ProgramNames::Name& name) {
  return name &&
         std::find(rule.programs.begin(), rule.programs.end(), *name) != rule.programs.end();
}

// A frame as the browsers leave it: captioned, or in fullscreen (F11, a
// fullscreen video, kiosk mode), where Chromium's FullscreenHandler and
// Gecko's HideWindowChrome strip the caption and the sizing border and keep
// the minimize box. Chromium's frameless windows of the same class
// (picture-in-picture, the screen-share bar) have no minimize box, and its
// menus and bubbles are pop-ups.
bool HasFrameShape(std::uint32_t style) {
  if ((style & kWsCaption) == kWsCaption) return true;
  return (style & (kWsCaption | kWsThickFrame | kWsPopup)) == 0 && (style & kWsMinimizeBox) != 0;
}

// What a browser's main frame looks like, as opposed to the hidden, tool and
// owned windows (pop-up menus, tooltips, drag images) of the same class.
bool IsMainFrame(WindowSystem& desktop, WindowHandle window) {
  const std::uint32_t style = desktop.Style(window);
  return (style & kWsVisible) != 0 && HasFrameShape(style) &&
         (desktop.ExStyle(window) & kWsExToolWindow) == 0 && desktop.Owner(window) == 0;
}

// The process id comes first: a process met earlier in the scan is judged by
// its program alone, so each further window of a program outside the family
// costs one call. A process is read only for a window that passed the style
// checks.
bool IsBrowserFrame(WindowSystem& desktop, WindowHandle window, const WindowRule& rule,
                    ProgramNames& programs) {
  const std::uint32_t process = desktop.ProcessId(window);
  const ProgramNames::Name* known = programs.Known(process);
  if (known != nullptr && !IsFamilyProgram(rule, *known)) return false;
  return IsMainFrame(desktop, window) && IsFamilyProgram(rule, programs.Read(desktop, process));
}

// The image path comes from QueryFullProcessImageNameW, whose separators are
// always backslashes.
std::string FileNameInLowerCase(std::string_view path) {
  return AsciiLowerCase(path.substr(path.find_last_of('\\') + 1));
}

}  // namespace

const ProgramNames::Name* ProgramNames::Known(std::uint32_t process_id) const {
  const auto found = std::find_if(names_.begin(), names_.end(),
                                  [&](const auto& entry) { return entry.first == process_id; });
  return found == names_.end() ? nullptr : &found->second;
}

const ProgramNames::Name& ProgramNames::Read(WindowSystem& desktop, std::uint32_t process_id) {
  if (const Name* known = Known(process_id)) return *known;
  Name name = desktop.ProcessImageName(process_id);
  if (name) name = FileNameInLowerCase(*name);
  return names_.emplace_back(process_id, std::move(name)).second;
}

std::string GetCleanTitle(WindowSystem& desktop, WindowHandle window) {
  const std::string title = desktop.WindowText(window, kTitleMaxCount);
  const auto first = title.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = title.find_last_not_of(' ');
  return title.substr(first, last - first + 1);
}

std::optional<std::string> QualifyWindow(WindowSystem& desktop, WindowHandle window,
                                         DialogBoxes dialogs, ProgramNames& programs) {
  const WindowRule* rule = FindRule(desktop.ClassName(window, kClassNameBufferSize), dialogs);
  if (rule == nullptr) return std::nullopt;
  if (!rule->programs.empty() && !IsBrowserFrame(desktop, window, *rule, programs)) {
    return std::nullopt;
  }
  std::string title = GetCleanTitle(desktop, window);
  if (title.empty() || !title.ends_with(rule->title_suffix)) return std::nullopt;
  return title;
}

std::optional<std::string> QualifyWindow(WindowSystem& desktop, WindowHandle window,
                                         DialogBoxes dialogs) {
  ProgramNames programs;
  return QualifyWindow(desktop, window, dialogs, programs);
}

}  // namespace velmora
