#include "platform/win32/forms/controls.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include "platform/text.h"
#include "platform/win32/dynamic_calls.h"
#include "platform/win32/forms/dpi.h"

namespace velmora::win32 {
namespace {

constexpr std::wstring_view kSeparatorCaption = L"-";

bool IsPress(UINT message, WPARAM wparam) {
  switch (message) {
    // A double-click's second press toggles the box too.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      return true;
    // The box toggles when the space bar comes back up.
    case WM_KEYDOWN:
      return wparam == VK_SPACE;
    default:
      return false;
  }
}

// Two pixels at 96 dpi, grown with the layout: a gap, then the dotted line.
constexpr int kFocusMarginTwips = 30;

// The system hides the focus marks after a click until a key is used, but
// never where the user has asked to see them always.
bool FocusMarksShown(HWND control) {
  BOOL always = FALSE;
  ::SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &always, 0);
  return always != FALSE || (::SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

bool ChangesFocusMarks(UINT message) {
  return message == WM_SETFOCUS || message == WM_KILLFOCUS || message == WM_UPDATEUISTATE;
}

// The glyph that a themed check box draws, at the DPI its theme was opened
// for; none where the box is not themed. comctl32 6 loads the theme library
// wherever themes are on, so without it no box is themed.
std::optional<int> ThemedGlyphWidth(HWND box) {
  const HMODULE themes = ::GetModuleHandleW(L"uxtheme.dll");
  if (themes == nullptr) return std::nullopt;
  decltype(&::GetWindowTheme) window_theme = nullptr;
  decltype(&::GetThemePartSize) part_size = nullptr;
  FindFunction(themes, "GetWindowTheme", window_theme);
  FindFunction(themes, "GetThemePartSize", part_size);
  const HTHEME theme = window_theme != nullptr ? window_theme(box) : nullptr;
  SIZE glyph{};
  if (theme == nullptr || part_size == nullptr ||
      FAILED(part_size(theme, WindowDc(box).get(), BP_CHECKBOX, CBS_UNCHECKEDNORMAL, nullptr,
                       TS_DRAW, &glyph))) {
    return std::nullopt;
  }
  return glyph.cx;
}

bool HighContrastOn() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof(contrast);
  return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, contrast.cbSize, &contrast, 0) != 0 &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace

void Control::Create(HWND parent, const ControlArgs& args) {
  rect_ = args.rect;
  if (args.font != nullptr) font_spec_ = *args.font;
  sized_to_text_ = args.sized_to_text;
  fits_also_ = args.fits_also;
  const std::wstring text(args.text);
  window_ = ::CreateWindowExW(KindExStyle() | args.ex_style, WindowClass(), text.c_str(),
                              WS_CHILD | KindStyle() | args.style, 0, 0, 0, 0, parent, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
  if (window_ == nullptr) return;
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  OnCreated();
}

void Control::Layout(const LayoutContext& context) {
  if (window_ == nullptr || !Shown()) return;
  layout_ = context;
  const UINT dpi = context.dpi;
  SIZE size{TwipsToPixels(rect_.width, dpi, context.scale),
            TwipsToPixels(rect_.height, dpi, context.scale)};
  const std::wstring text = Text();
  std::optional<SIZE> room;
  if (const std::optional<int> edge = CaptionEdge(); edge && !sized_to_text_) {
    room = SIZE{size.cx - 2 * PixelsAtDpi(*edge, dpi), size.cy};
  }
  UniqueFont own;
  if (font_spec_) {
    own = room ? CreateFittingFont(*font_spec_, dpi, context.scale, {text, fits_also_}, *room)
               : CreateNamedFont(*font_spec_, dpi, context.scale);
  } else if (room && !TextsFit(context.default_font, {text, fits_also_}, *room)) {
    own = CreateFittingMessageFont(dpi, {text, fits_also_}, *room);
  }
  const HFONT font = own ? own.get() : context.default_font;
  if (sized_to_text_) size = TextExtent(font, text);
  // The control lets go of its old font before the font is deleted.
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  own_font_ = std::move(own);
  const int left = TwipsToPixels(rect_.left, dpi, context.scale);
  const int top = TwipsToPixels(rect_.top, dpi, context.scale);
  const RECT placed = Placed({left, top, left + size.cx, top + size.cy}, context);
  ::SetWindowPos(window_, nullptr, placed.left, placed.top, placed.right - placed.left,
                 placed.bottom - placed.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void Control::Relayout() {
  if (layout_.dpi != 0) Layout(layout_);
}

std::wstring Control::Text() const {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window_)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window_, text.data(), static_cast<int>(text.size()))));
  return text;
}

Control* Control::FromWindow(HWND window) {
  return reinterpret_cast<Control*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

void Label::SetCaption(std::wstring_view caption) {
  const std::wstring text(caption);
  ::SetWindowTextW(hwnd(), text.c_str());
  // The new text may need another size, or a smaller font.
  Relayout();
}

// Centred both ways in a rectangle grown by the same margin on every side,
// a label sized to its text draws it exactly where a plain label would.
DWORD Label::KindStyle() const {
  return focus_of_ != nullptr ? SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX : SS_LEFT | SS_NOPREFIX;
}

RECT Label::Placed(const RECT& laid_out, const LayoutContext& context) const {
  RECT placed = laid_out;
  if (focus_of_ != nullptr) {
    const int margin = TwipsToPixels(kFocusMarginTwips, context.dpi, context.scale);
    ::InflateRect(&placed, margin, margin);
  }
  return placed;
}

bool Label::ShowsFocusNow() const {
  return focus_of_ != nullptr && focus_of_->hwnd() != nullptr &&
         ::GetFocus() == focus_of_->hwnd() && FocusMarksShown(focus_of_->hwnd());
}

void Label::OnCreated() {
  if (focus_of_ == nullptr) return;
  static_procedure_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
      hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FocusProcedure)));
}

LRESULT CALLBACK Label::FocusProcedure(HWND window, UINT message, WPARAM wparam,
                                       LPARAM lparam) {
  const auto* label = static_cast<const Label*>(FromWindow(window));
  // The whole label is painted again, so that the rectangle drawn over it
  // is never left half there.
  if (message == WM_PAINT) ::InvalidateRect(window, nullptr, TRUE);
  const LRESULT result =
      ::CallWindowProcW(label->static_procedure_, window, message, wparam, lparam);
  if (message == WM_PAINT && label->ShowsFocusNow()) {
    RECT client{};
    ::GetClientRect(window, &client);
    ::DrawFocusRect(WindowDc(window).get(), &client);
  }
  return result;
}

void HiddenLabel::SetCaption(std::wstring_view caption) {
  const std::wstring text(caption);
  ::SetWindowTextW(hwnd(), text.c_str());
}

HBRUSH Label::OnColor(HDC dc) {
  // A contrast theme's colours replace the label's own, which might vanish
  // into the theme's background.
  if (!text_color_ || HighContrastOn()) return nullptr;
  ::SetTextColor(dc, *text_color_);
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  // A system colour brush belongs to the system and is never deleted.
  return ::GetSysColorBrush(COLOR_BTNFACE);
}

void TextBox::SetText(std::wstring_view text) {
  const std::wstring copy(text);
  ::SetWindowTextW(hwnd(), copy.c_str());
  ::UpdateWindow(hwnd());
}

void TextBox::OnCommand(WORD code) {
  if (code == EN_KILLFOCUS && lost_focus_) lost_focus_();
}

bool CheckBox::Ticked() const {
  return ::SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::SetTicked(bool ticked) {
  ::SendMessageW(hwnd(), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::ShowFocusOn(Label& label) {
  focus_label_ = &label;
  label.ShowFocusOf(*this);
}

// The box must see a button or key go down before it toggles itself, and
// its label must see its focus come and go, so its window procedure is
// wrapped, through user32 alone.
void CheckBox::OnCreated() {
  box_procedure_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
      hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BoxProcedure)));
}

LRESULT CALLBACK CheckBox::BoxProcedure(HWND window, UINT message, WPARAM wparam,
                                        LPARAM lparam) {
  auto* box = static_cast<CheckBox*>(FromWindow(window));
  if (IsPress(message, wparam) && box->press_) box->press_();
  const LRESULT result = ::CallWindowProcW(box->box_procedure_, window, message, wparam, lparam);
  if (ChangesFocusMarks(message) && box->focus_label_ != nullptr &&
      box->focus_label_->hwnd() != nullptr) {
    ::InvalidateRect(box->focus_label_->hwnd(), nullptr, TRUE);
  }
  return result;
}

// The box keeps the layout's place and height, and its glyph's width,
// which does not grow with the text: the box's text starts only past a gap
// after the glyph, so it never has a pixel of room, whatever the text size.
// The BS_BITMAP style alone would not keep it from being drawn: a button
// with that style and no image shows its text.
RECT CheckBox::Placed(const RECT& laid_out, const LayoutContext& context) const {
  RECT placed = laid_out;
  placed.right = placed.left + GlyphWidth(context.dpi);
  return placed;
}

// Unthemed, the glyph is 13 pixels wide at 96 dpi and grows with the DPI;
// Wine draws it 12 * dpi / 96 + 1 wide. Rounded up, this width holds the
// glyph whole, and the gap after it, half a digit wide or more, is wider
// than the pixel it may leave.
int CheckBox::GlyphWidth(UINT dpi) const {
  constexpr int kGlyphAt96Dpi = 13;
  constexpr int kAt96Dpi = static_cast<int>(kDefaultDpi);
  if (const std::optional<int> themed = ThemedGlyphWidth(hwnd())) return *themed;
  return (kGlyphAt96Dpi * static_cast<int>(dpi) + kAt96Dpi - 1) / kAt96Dpi;
}

void ListBox::Clear() { ::SendMessageW(hwnd(), LB_RESETCONTENT, 0, 0); }

void ListBox::AddItem(std::string_view text) {
  const std::wstring item = WideText(text);
  ::SendMessageW(hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void ListBox::Refresh() {
  ::InvalidateRect(hwnd(), nullptr, TRUE);
  ::UpdateWindow(hwnd());
}

int ListBox::Count() const { return static_cast<int>(::SendMessageW(hwnd(), LB_GETCOUNT, 0, 0)); }

std::wstring ListBox::Item(int index) const {
  const LRESULT length = ::SendMessageW(hwnd(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return {};
  std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
  item.resize(static_cast<std::size_t>(::SendMessageW(
      hwnd(), LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item.data()))));
  return item;
}

void CommandButton::OnCommand(WORD code) {
  if (code == BN_CLICKED && click_) click_();
}

void IntervalTimer::SetInterval(int milliseconds) {
  if (milliseconds > 0) {
    ::SetTimer(owner_, id(), static_cast<UINT>(milliseconds), nullptr);
  } else {
    ::KillTimer(owner_, id());
  }
}

// The common controls are loaded only when a window with tips opens, not at
// start-up, so that the idle program, with no window shown, does without them.
void ToolTips::Create(HWND form) {
  common_controls_.reset(::LoadLibraryW(L"comctl32.dll"));
  decltype(&::InitCommonControlsEx) register_classes = nullptr;
  FindFunction(common_controls_.get(), "InitCommonControlsEx", register_classes);
  if (register_classes != nullptr) {
    const INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES};
    register_classes(&classes);
  }
  window_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form,
                              nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

void ToolTips::Add(const Control& control, std::wstring_view text) {
  std::wstring tip(text);
  TOOLINFOW tool{};
  // The size that every version of the common controls accepts.
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = ::GetParent(control.hwnd());
  tool.uId = reinterpret_cast<UINT_PTR>(control.hwnd());
  tool.lpszText = tip.data();
  ::SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

PopupMenu::PopupMenu(std::initializer_list<Item> items) : menu_(::CreatePopupMenu()) {
  for (const Item& item : items) {
    if (item.caption == kSeparatorCaption) {
      ::AppendMenuW(menu_.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      const std::wstring caption(item.caption);
      ::AppendMenuW(menu_.get(), MF_STRING, item.command, caption.c_str());
    }
  }
}

UINT PopupMenu::Track(HWND owner, POINT at) const {
  // Our window must be in the foreground, or the menu would not close when
  // the user clicks elsewhere.
  ::SetForegroundWindow(owner);
  const BOOL chosen =
      ::TrackPopupMenuEx(menu_.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y,
                         owner, nullptr);
  // Lets the menu's own loop end properly, or the next popup would vanish at
  // once.
  ::PostMessageW(owner, WM_NULL, 0, 0);
  return static_cast<UINT>(chosen);
}

std::wstring WideText(std::string_view utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

std::string Utf8Text(std::wstring_view wide) {
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

UniqueIcon LoadIconResource(HINSTANCE instance, int resource_id, int size, LPCWSTR stand_in) {
  if (HANDLE icon = ::LoadImageW(instance, MAKEINTRESOURCEW(resource_id), IMAGE_ICON, size, size,
                                 LR_DEFAULTCOLOR)) {
    return UniqueIcon(static_cast<HICON>(icon));
  }
  // A stock icon is shared; a copy is ours to destroy like the others.
  return UniqueIcon(::CopyIcon(::LoadIconW(nullptr, stand_in)));
}

}  // namespace velmora::win32
