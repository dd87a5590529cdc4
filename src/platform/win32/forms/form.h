// Forms over plain Win32 windows: Load creates the window and its controls
// hidden, Show brings it up, Unload runs QueryUnload and destroys it. The
// program's windows are of their own class, never the dialog-box class that
// a sweep closes, so they are never built from dialog templates.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/win32/forms/controls.h"
#include "platform/win32/forms/dpi.h"
#include "platform/win32/unique_handle.h"

namespace velmora::win32 {

// What the forms of the process share: their window class, their icon, and
// the count of loaded forms, which ends the process when it drops to zero.
class FormsRuntime {
 public:
  static constexpr const wchar_t* kWindowClass = L"VelmoraForm";

  FormsRuntime(HINSTANCE instance, int icon_resource);
  ~FormsRuntime();
  FormsRuntime(const FormsRuntime&) = delete;
  FormsRuntime& operator=(const FormsRuntime&) = delete;

  HINSTANCE instance() const { return instance_; }
  int icon_resource() const { return icon_resource_; }
  int loaded_count() const { return loaded_count_; }

  void FormLoaded() { ++loaded_count_; }
  // Posts WM_QUIT when the last loaded form is gone.
  void FormUnloaded();

 private:
  HINSTANCE instance_;
  int icon_resource_;
  int loaded_count_ = 0;
};

struct FormArgs {
  std::wstring_view caption = {};
  // The client area, in twips.
  int width = 0;
  int height = 0;
  // A fixed single border with only a close box.
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  DWORD ex_style = 0;
};

class Form {
 public:
  Form(FormsRuntime& runtime, const FormArgs& args);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Creates the window and its controls, hidden and centred on the screen,
  // then runs OnLoad. Nothing when already loaded.
  void Load();
  // Makes the form visible and brings it to the front.
  void Show();
  // Runs OnQueryUnload, which cannot cancel, then destroys the window.
  // Nothing when not loaded.
  void Unload();

  bool IsLoaded() const { return static_cast<bool>(window_); }
  HWND hwnd() const { return window_.get(); }

 protected:
  // Declares a control of the layout; it is created when the form loads.
  void Add(Control& control, const ControlArgs& args);

  // Once the window and its controls exist, before the layout: what must
  // not wait for it.
  virtual void OnCreated() {}
  virtual void OnLoad() {}
  virtual void OnQueryUnload() {}
  // Messages the form does not handle go to the base, and from there to
  // DefWindowProcW.
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  friend class FormsRuntime;  // registers the window procedure

  // The control's args with their own copies of the texts and the font.
  struct Placement {
    Control* control;
    std::wstring text;
    std::wstring fits_also;
    std::optional<FontSpec> font;
    ControlArgs args;
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // The layout's growth at `dpi` on a monitor with this work area.
  LayoutScale ScaleAt(UINT dpi, const RECT& work_area) const;
  // The window's outer size for its client area at `dpi` and `scale`.
  SIZE OuterSize(UINT dpi, LayoutScale scale) const;
  void Layout(UINT dpi, const RECT& work_area);
  void SizeAndCentre(const RECT& work_area);
  // Lays the form out again at `dpi` for the monitor that holds
  // `suggested`, or the window's own, and gives it its new size in the
  // state it is in: a minimized or maximized form stays so, and comes back
  // at the new size when restored. A normal form moves to `suggested`:
  // takes it whole when it `suggested_fits` the layout, else its corner.
  void Relayout(UINT dpi, const RECT* suggested, bool suggested_fits);
  LRESULT OnDpiChanged(WPARAM wparam, LPARAM lparam);
  LRESULT OnGetDpiScaledSize(WPARAM wparam, LPARAM lparam);
  void OnSettingChange(WPARAM wparam);
  void OnNcDestroy(HWND window);
  // Escape closes the form and Enter presses the focused button; true when
  // `command` was one of those keys.
  bool OnDialogKey(WORD command);
  // Like a dialog box, the form gives the focus back to the control that had
  // it when the form was last deactivated, or to its first tab stop.
  void RememberFocus();
  bool RestoreFocus();

  FormsRuntime& runtime_;
  std::wstring caption_;
  SIZE client_twips_;
  DWORD style_;
  DWORD ex_style_;
  // A deque, since each placement's args point into the placement itself: a
  // vector's growth would move short texts (kept inside the string) away.
  std::deque<Placement> placements_;
  UINT dpi_ = kDefaultDpi;
  LayoutScale scale_;
  UniqueFont default_font_;
  UniqueIcon big_icon_;
  UniqueIcon small_icon_;
  // From QueryUnload to the end of the window's destruction.
  bool unloading_ = false;
  // Between the answer to WM_GETDPISCALEDSIZE and the WM_DPICHANGED after it.
  bool dpi_size_answered_ = false;
  HWND focus_ = nullptr;
  UniqueWindow window_;
};

// One instance per form, re-created on the next use after an unload, so that
// a form always opens from its layout. The old instance stays until then: it
// may still be on the stack when it unloads itself from one of its handlers.
template <typename FormType>
class FormSlot {
 public:
  explicit FormSlot(std::function<std::unique_ptr<FormType>()> make) : make_(std::move(make)) {}

  // The loaded form, loading a fresh instance when none is loaded.
  FormType& Load() {
    if (!form_ || !form_->IsLoaded()) {
      form_ = make_();
      form_->Load();
    }
    return *form_;
  }
  void Unload() {
    if (form_) form_->Unload();
  }
  FormType* Loaded() const { return form_ && form_->IsLoaded() ? form_.get() : nullptr; }

 private:
  std::function<std::unique_ptr<FormType>()> make_;
  std::unique_ptr<FormType> form_;
};

}  // namespace velmora::win32
