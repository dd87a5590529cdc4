// The controls that forms place: each is a child window created from a small
// args struct, and the notifications its form receives for it are routed
// back to the control object.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "platform/forms.h"
#include "platform/win32/forms/dpi.h"
#include "platform/win32/forms/fonts.h"
#include "platform/win32/unique_handle.h"

namespace velmora::win32 {

// Left, top, width and height in twips, in the form's client area.
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// What a form lays its controls out with.
struct LayoutContext {
  UINT dpi = 0;  // 0 until the form first lays the control out
  LayoutScale scale;
  // The message font, for controls without a named one.
  HFONT default_font = nullptr;
};

struct ControlArgs {
  TwipsRect rect = {};
  std::wstring_view text = {};
  // The form's default font when not given.
  const FontSpec* font = nullptr;
  // A label that the layout sizes to its text takes the text's size in its
  // font; any other keeps its size, and a named font shrinks to fit it.
  bool sized_to_text = false;
  // Another text that a fixed label's font must fit as well: the other line
  // of a sentence laid out over two labels, so that both lines keep one size.
  std::wstring_view fits_also = {};
  DWORD style = 0;
  DWORD ex_style = 0;
};

class Control {
 public:
  Control() = default;
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // Null until the form is loaded. The form's window owns its controls'
  // windows: they are destroyed with it.
  HWND hwnd() const { return window_; }
  std::wstring Text() const;

  // Creates the child window, hidden until the form first lays it out.
  void Create(HWND parent, const ControlArgs& args);
  // Sizes, places and sets the font for the DPI and scale the form is drawn
  // at.
  void Layout(const LayoutContext& context);
  // Lays the control out again for its new text, once it has been laid out.
  void Relayout();
  // The parent's window is being destroyed, and this window with it.
  void Detach() { window_ = nullptr; }

  // The control that owns a child window of a form, or null.
  static Control* FromWindow(HWND window);

  // Notifications that the form routes here.
  virtual void OnCommand(WORD /*code*/) {}
  // A brush for the background, having set the colours on `dc`; null keeps
  // the system's colours.
  virtual HBRUSH OnColor(HDC /*dc*/) { return nullptr; }

 protected:
  virtual const wchar_t* WindowClass() const = 0;
  virtual DWORD KindStyle() const = 0;
  virtual DWORD KindExStyle() const { return 0; }
  virtual void OnCreated() {}
  // Where the control lies, from where the layout puts it.
  virtual RECT Placed(const RECT& laid_out, const LayoutContext& /*context*/) const {
    return laid_out;
  }
  // A control that is never shown is never laid out either.
  virtual bool Shown() const { return true; }
  // The room a fixed caption leaves on each side of its text, in pixels at
  // 96 dpi; none for a control whose text is not a caption to fit, such as a
  // text box's, which the user types.
  virtual std::optional<int> CaptionEdge() const { return std::nullopt; }

 private:
  HWND window_ = nullptr;
  TwipsRect rect_;
  std::optional<FontSpec> font_spec_;
  bool sized_to_text_ = false;
  std::wstring fits_also_;
  // How the form last laid the control out.
  LayoutContext layout_;
  // A control with a named font owns one, and so does a caption that the
  // message font is too large for; the others use the form's.
  UniqueFont own_font_;
};

class Label final : public Control {
 public:
  void SetCaption(std::wstring_view caption);
  // The text's colour, but for a contrast theme's, which wins.
  void SetTextColor(COLORREF color) { text_color_ = color; }
  HBRUSH OnColor(HDC dc) override;
  // Before the form loads: the label shows the keyboard focus of `control`,
  // which has no room to show it itself, as the system's focus rectangle
  // around the label's text, and with the system's rules: while `control`
  // has the focus, and unless the focus marks are hidden (after a click,
  // until a key is used). The text stays where it was laid out.
  void ShowFocusOf(const Control& control) { focus_of_ = &control; }
  bool ShowsFocusNow() const;

 protected:
  const wchar_t* WindowClass() const override { return L"STATIC"; }
  DWORD KindStyle() const override;
  std::optional<int> CaptionEdge() const override { return 0; }
  void OnCreated() override;
  RECT Placed(const RECT& laid_out, const LayoutContext& context) const override;

 private:
  static LRESULT CALLBACK FocusProcedure(HWND window, UINT message, WPARAM wparam,
                                         LPARAM lparam);

  std::optional<COLORREF> text_color_;
  const Control* focus_of_ = nullptr;
  WNDPROC static_procedure_ = nullptr;
};

// A text that is never shown: the name that a screen reader gives the
// control after it, which takes the name of the label just before it.
class HiddenLabel final : public Control {
 public:
  void SetCaption(std::wstring_view caption);

 protected:
  const wchar_t* WindowClass() const override { return L"STATIC"; }
  DWORD KindStyle() const override { return SS_LEFT | SS_NOPREFIX; }
  bool Shown() const override { return false; }
};

// A one-line text box.
class TextBox final : public Control {
 public:
  // Sets the text and redraws the box at once.
  void SetText(std::wstring_view text);
  void OnLostFocus(std::function<void()> handler) { lost_focus_ = std::move(handler); }
  void OnCommand(WORD code) override;

 protected:
  const wchar_t* WindowClass() const override { return L"EDIT"; }
  DWORD KindStyle() const override { return WS_TABSTOP | ES_AUTOHSCROLL; }
  DWORD KindExStyle() const override { return WS_EX_CLIENTEDGE; }

 private:
  std::function<void()> lost_focus_;
};

// A check box that a click or the space bar toggles, drawn as the box alone.
// Its text is the name a screen reader reads and is never drawn: the box is
// exactly as wide as its glyph, which leaves the text no room. Its Press
// comes when any mouse button or the space bar goes down on it, before the
// button's own handling toggles it.
class CheckBox final : public Control {
 public:
  bool Ticked() const;
  void SetTicked(bool ticked);
  void OnPress(std::function<void()> handler) { press_ = std::move(handler); }
  // Before the form loads: the box's focus shows on its label, since the box
  // has no room to show it.
  void ShowFocusOn(Label& label);

 protected:
  const wchar_t* WindowClass() const override { return L"BUTTON"; }
  DWORD KindStyle() const override { return WS_TABSTOP | BS_AUTOCHECKBOX | BS_BITMAP; }
  void OnCreated() override;
  RECT Placed(const RECT& laid_out, const LayoutContext& context) const override;

 private:
  static LRESULT CALLBACK BoxProcedure(HWND window, UINT message, WPARAM wparam,
                                       LPARAM lparam);
  int GlyphWidth(UINT dpi) const;

  WNDPROC box_procedure_ = nullptr;
  std::function<void()> press_;
  const Label* focus_label_ = nullptr;
};

// An unsorted list box: lines are added at the end and never reordered. Its
// size is kept exactly as laid out rather than cut to whole lines.
class ListBox final : public Control, public ListBoxView {
 public:
  void Clear() override;
  void AddItem(std::string_view text) override;
  void Refresh() override;
  int Count() const;
  std::wstring Item(int index) const;

 protected:
  const wchar_t* WindowClass() const override { return L"LISTBOX"; }
  DWORD KindStyle() const override {
    return WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
  }
  DWORD KindExStyle() const override { return WS_EX_CLIENTEDGE; }
};

class CommandButton final : public Control {
 public:
  void OnClick(std::function<void()> handler) { click_ = std::move(handler); }
  void OnCommand(WORD code) override;

 protected:
  const wchar_t* WindowClass() const override { return L"BUTTON"; }
  DWORD KindStyle() const override { return WS_TABSTOP | BS_PUSHBUTTON; }
  // A push button draws its edges and its focus inside its rectangle.
  std::optional<int> CaptionEdge() const override { return 3; }

 private:
  std::function<void()> click_;
};

// A frame that surrounds other controls of the form. It lies behind them (the
// form declares it after them) and never paints over them.
class Frame final : public Control {
 protected:
  const wchar_t* WindowClass() const override { return L"BUTTON"; }
  DWORD KindStyle() const override { return WS_CLIPSIBLINGS | BS_GROUPBOX; }
};

// A line, drawn as a thin rectangle in the colour of window backgrounds.
class Line final : public Control {
 protected:
  const wchar_t* WindowClass() const override { return L"STATIC"; }
  DWORD KindStyle() const override { return SS_WHITERECT; }
};

// An interval timer of a form; its ticks reach the form as WM_TIMER with id().
class IntervalTimer {
 public:
  void Attach(HWND owner) { owner_ = owner; }
  // 0 stops the timer. The timer also stops when its form's window goes.
  void SetInterval(int milliseconds);
  UINT_PTR id() const { return reinterpret_cast<UINT_PTR>(this); }

 private:
  HWND owner_ = nullptr;
};

// The tooltips of a form's controls. The tooltip window is owned by the
// form's window, so the system destroys it with the form.
class ToolTips {
 public:
  void Create(HWND form);
  // Controls that are static texts need SS_NOTIFY, or they never see the
  // mouse and their tip never shows.
  void Add(const Control& control, std::wstring_view text);

 private:
  // Released after the tip window, which the form destroys with itself.
  UniqueModule common_controls_;
  HWND window_ = nullptr;
};

// A menu shown at the mouse. Captions of "-" are separators.
class PopupMenu {
 public:
  struct Item {
    std::wstring_view caption;
    UINT command = 0;
  };

  explicit PopupMenu(std::initializer_list<Item> items);

  // Shows the menu at that point of the screen and returns the chosen item's
  // command once the menu is dismissed, or 0 when none was chosen.
  UINT Track(HWND owner, POINT at) const;

 private:
  UniqueMenu menu_;
};

// The core's UTF-8 texts and the wide calls' UTF-16 (wchar_t is 16 bits on
// Windows), so that texts in any script survive whatever the code page.
std::wstring WideText(std::string_view utf8);
std::string Utf8Text(std::wstring_view wide);

// A system resource id such as IDI_APPLICATION or IDC_ARROW for the wide
// calls: the ids are small integers, the same whatever the character set.
inline LPCWSTR SystemResource(LPCSTR id) { return reinterpret_cast<LPCWSTR>(id); }

// The program's icon at a size, from the executable's resources; a stock
// icon stands in when the resource is missing, so there is always a picture.
UniqueIcon LoadIconResource(HINSTANCE instance, int resource_id, int size, LPCWSTR stand_in);

}  // namespace velmora::win32
