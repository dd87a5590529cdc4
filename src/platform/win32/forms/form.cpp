#include "platform/win32/forms/form.h"

#include <utility>

namespace velmora::win32 {

FormsRuntime::FormsRuntime(HINSTANCE instance, int icon_resource)
    : instance_(instance), icon_resource_(icon_resource) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = &Form::WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorW(nullptr, SystemResource(IDC_ARROW));
  // The colour of dialog boxes and of the controls' backgrounds, given by
  // its number so that the system looks it up at each paint: Wine replaces
  // its system colour brushes when a contrast theme changes the colours,
  // and a brush handle kept from before would paint nothing.
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  window_class.lpszClassName = kWindowClass;
  ::RegisterClassExW(&window_class);
}

FormsRuntime::~FormsRuntime() { ::UnregisterClassW(kWindowClass, instance_); }

void FormsRuntime::FormUnloaded() {
  if (--loaded_count_ == 0) ::PostQuitMessage(0);
}

Form::Form(FormsRuntime& runtime, const FormArgs& args)
    : runtime_(runtime),
      caption_(args.caption),
      client_twips_{args.width, args.height},
      style_(args.style),
      ex_style_(args.ex_style) {}

Form::~Form() {
  if (!IsLoaded()) return;
  // The derived form and its controls are gone already: from here on the
  // window's messages go straight to the system.
  ::SetWindowLongPtrW(hwnd(), GWLP_USERDATA, 0);
  ::SetWindowLongPtrW(hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&::DefWindowProcW));
  window_.reset();
  runtime_.FormUnloaded();
}

void Form::Add(Control& control, const ControlArgs& args) {
  Placement& placement = placements_.emplace_back(
      Placement{&control, std::wstring(args.text), std::wstring(args.fits_also),
                args.font ? std::optional<FontSpec>(*args.font) : std::nullopt, args});
  placement.args.text = placement.text;
  placement.args.fits_also = placement.fits_also;
  placement.args.font = placement.font ? &*placement.font : nullptr;
}

void Form::Load() {
  if (IsLoaded()) return;
  // The window procedure takes ownership of the handle at WM_NCCREATE.
  ::CreateWindowExW(ex_style_, FormsRuntime::kWindowClass, caption_.c_str(), style_, 0, 0, 0, 0,
                    nullptr, nullptr, runtime_.instance(), this);
  if (!IsLoaded()) return;
  for (Placement& placement : placements_) placement.control->Create(hwnd(), placement.args);
  Layout(WindowDpi(hwnd()));
  SizeAndCentre();
  OnLoad();
}

void Form::Show() {
  if (!IsLoaded()) return;
  ::ShowWindow(hwnd(), SW_SHOWNORMAL);
  ::SetForegroundWindow(hwnd());
}

void Form::Unload() {
  if (!IsLoaded() || unloading_) return;
  unloading_ = true;
  OnQueryUnload();
  // The form keeps its handle while the window is destroyed, so that every
  // message of the destruction (deactivation, lost focus, WM_DESTROY) reaches
  // it with its real window; OnNcDestroy forgets the handle last.
  ::DestroyWindow(hwnd());
  unloading_ = false;
}

LRESULT Form::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      Unload();
      return 0;
    case WM_COMMAND:
      // QueryUnload has taken the form's values; the notices the controls
      // send while the form goes, such as the text box's lost focus when the
      // window is destroyed, must not take them again.
      if (unloading_) break;
      if (lparam == 0 && OnDialogKey(LOWORD(wparam))) return 0;
      if (Control* control = lparam ? Control::FromWindow(reinterpret_cast<HWND>(lparam)) : nullptr) {
        control->OnCommand(HIWORD(wparam));
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (Control* control = Control::FromWindow(reinterpret_cast<HWND>(lparam))) {
        if (HBRUSH brush = control->OnColor(reinterpret_cast<HDC>(wparam))) {
          return reinterpret_cast<LRESULT>(brush);
        }
      }
      break;
    case WM_DPICHANGED:
      return OnDpiChanged(wparam, lparam);
    case WM_SETTINGCHANGE:
      OnSettingChange(wparam);
      break;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) RememberFocus();
      break;
    case WM_SETFOCUS:
      if (RestoreFocus()) return 0;
      break;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd(), message, wparam, lparam);
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    created->window_ = UniqueWindow(window);
    created->runtime_.FormLoaded();
  }
  auto* form = reinterpret_cast<Form*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    form->OnNcDestroy(window);
    return ::DefWindowProcW(window, message, wparam, lparam);
  }
  return form->HandleMessage(message, wparam, lparam);
}

void Form::Layout(UINT dpi) {
  dpi_ = dpi;
  const LOGFONTW message_font = MessageFont(dpi);
  // The layout grows with the message font, as a dialog box's does.
  scale_ = ScaleForFont(message_font, dpi);
  // The old font lives until every control has taken the new one.
  const UniqueFont old_font = std::exchange(default_font_, CreateDefaultFont(message_font));
  for (Placement& placement : placements_) {
    placement.control->Layout({.dpi = dpi, .scale = scale_, .default_font = default_font_.get()});
  }
  // Every window carries the program's icon, drawn for its DPI. The new icon
  // is in place before the old one is destroyed.
  UniqueIcon big = LoadIconResource(runtime_.instance(), runtime_.icon_resource(),
                                    LargeIconSize(dpi), SystemResource(IDI_APPLICATION));
  UniqueIcon small = LoadIconResource(runtime_.instance(), runtime_.icon_resource(),
                                      SmallIconSize(dpi), SystemResource(IDI_APPLICATION));
  ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  big_icon_ = std::move(big);
  small_icon_ = std::move(small);
}

SIZE Form::OuterSize() const {
  const SIZE client{TwipsToPixels(client_twips_.cx, dpi_, scale_),
                    TwipsToPixels(client_twips_.cy, dpi_, scale_)};
  return WindowSizeForClient(client, style_, ex_style_, dpi_);
}

void Form::SizeAndCentre() {
  const SIZE outer = OuterSize();
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  ::SetWindowPos(hwnd(), nullptr, area.left + (area.right - area.left - outer.cx) / 2,
                 area.top + (area.bottom - area.top - outer.cy) / 2, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Relayout(UINT dpi, POINT top_left) {
  Layout(dpi);
  const SIZE outer = OuterSize();
  ::SetWindowPos(hwnd(), nullptr, top_left.x, top_left.y, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT Form::OnDpiChanged(WPARAM wparam, LPARAM lparam) {
  // The system's suggested rectangle scales the old size by the DPI alone;
  // the layout's own size also follows the message font, whose nominal
  // height rounds differently at each DPI.
  const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
  Relayout(HIWORD(wparam), {suggested.left, suggested.top});
  return 0;
}

// A new message font or text size (Settings > Accessibility > Text size)
// reaches every top-level window as this change.
void Form::OnSettingChange(WPARAM wparam) {
  if (wparam != SPI_SETNONCLIENTMETRICS) return;
  RECT window{};
  ::GetWindowRect(hwnd(), &window);
  Relayout(dpi_, {window.left, window.top});
}

// IsDialogMessageW turns Escape into IDCANCEL, and Enter on a button that
// is not the default one into IDOK, neither from a control: the form has
// neither a Cancel nor an OK button.
bool Form::OnDialogKey(WORD command) {
  switch (command) {
    case IDCANCEL:
      // Like the close box, but only for a form on screen: the hidden main
      // form is in the foreground after its menu, and a stray Escape must
      // not end the program.
      if (::IsWindowVisible(hwnd())) Unload();
      return true;
    case IDOK:
      if (const HWND focus = ::GetFocus();
          ::IsChild(hwnd(), focus) &&
          (::SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON) != 0) {
        ::SendMessageW(focus, BM_CLICK, 0, 0);
      }
      return true;
    default:
      return false;
  }
}

void Form::RememberFocus() {
  const HWND focus = ::GetFocus();
  if (focus != nullptr && ::IsChild(hwnd(), focus)) focus_ = focus;
}

bool Form::RestoreFocus() {
  const HWND control = focus_ != nullptr && ::IsChild(hwnd(), focus_)
                           ? focus_
                           : ::GetNextDlgTabItem(hwnd(), nullptr, FALSE);
  if (control == nullptr) return false;
  ::SetFocus(control);
  return true;
}

void Form::OnNcDestroy(HWND window) {
  // The system has destroyed the window and its controls' windows.
  for (Placement& placement : placements_) placement.control->Detach();
  window_.release();
  ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  runtime_.FormUnloaded();
}

}  // namespace velmora::win32
