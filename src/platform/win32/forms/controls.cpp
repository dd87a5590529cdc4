#include "platform/win32/forms/controls.h"

#include "platform/win32/forms/dpi.h"

namespace velmora::win32 {
namespace {

constexpr std::wstring_view kSeparatorCaption = L"-";

}  // namespace

void Control::Create(HWND parent, const ControlArgs& args) {
  rect_ = args.rect;
  if (args.font != nullptr) font_spec_ = *args.font;
  const std::wstring text(args.text);
  window_ = ::CreateWindowExW(args.ex_style, WindowClass(), text.c_str(),
                              WS_CHILD | KindStyle() | args.style, 0, 0, 0, 0, parent, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
  if (window_ == nullptr) return;
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  OnCreated();
}

void Control::Layout(UINT dpi, HFONT default_font) {
  if (window_ == nullptr) return;
  if (font_spec_) own_font_ = CreateNamedFont(*font_spec_, dpi);
  const HFONT font = own_font_ ? own_font_.get() : default_font;
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ::SetWindowPos(window_, nullptr, TwipsToPixels(rect_.left, dpi), TwipsToPixels(rect_.top, dpi),
                 TwipsToPixels(rect_.width, dpi), TwipsToPixels(rect_.height, dpi),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

Control* Control::FromWindow(HWND window) {
  return reinterpret_cast<Control*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

void Label::SetCaption(std::wstring_view caption) {
  const std::wstring text(caption);
  ::SetWindowTextW(hwnd(), text.c_str());
}

HBRUSH Label::OnColor(HDC dc) {
  if (!text_color_) return nullptr;
  ::SetTextColor(dc, *text_color_);
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  // A system colour brush belongs to the system and is never deleted.
  return ::GetSysColorBrush(COLOR_BTNFACE);
}

void ImageHolder::SetPicture(UniqueIcon picture) {
  picture_ = std::move(picture);
  OnCreated();
}

void ImageHolder::OnCreated() {
  if (hwnd() == nullptr) return;
  ::SendMessageW(hwnd(), STM_SETICON, reinterpret_cast<WPARAM>(picture_.get()), 0);
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

UINT PopupMenu::Track(HWND owner) const {
  POINT mouse{};
  ::GetCursorPos(&mouse);
  // Our window must be in the foreground, or the menu would not close when
  // the user clicks elsewhere.
  ::SetForegroundWindow(owner);
  const BOOL chosen =
      ::TrackPopupMenuEx(menu_.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, mouse.x,
                         mouse.y, owner, nullptr);
  // Lets the menu's own loop end properly, or the next popup would vanish at
  // once.
  ::PostMessageW(owner, WM_NULL, 0, 0);
  return static_cast<UINT>(chosen);
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
