// The forms layer against real windows: the life of a form, the end of the
// process with the last form, layouts in twips at the window's DPI, and the
// about box as laid out.
#include "platform/win32/forms/form.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/win32_event_pump.h"
#include "shell/win32/form4.h"
#include "shell/win32/resource_ids.h"
#include "tests/win32/forms_fixture.h"

namespace velmora::win32 {
namespace {

class CountingForm final : public Form {
 public:
  explicit CountingForm(FormsRuntime& runtime)
      : Form(runtime, {.caption = L"Counting", .width = 6015, .height = 5490}) {
    Add(label, {.rect = {120, 240, 1500, 300}, .text = L"Étiquette"});
  }

  int loads = 0;
  int query_unloads = 0;
  Label label;

 protected:
  void OnLoad() override { ++loads; }
  void OnQueryUnload() override { ++query_unloads; }
};

// A form with a text box that records what reaches it while it unloads.
class RecordingForm final : public Form {
 public:
  explicit RecordingForm(FormsRuntime& runtime)
      : Form(runtime, {.caption = L"Recording", .width = 3000, .height = 1500}) {
    Add(text, {.rect = {120, 120, 1500, 285}, .text = L"10"});
    text.OnLostFocus([this] { ++lost_focus; });
  }

  struct Received {
    UINT message;
    HWND window;
    WPARAM wparam;
  };
  TextBox text;
  int lost_focus = 0;
  int query_unloads = 0;
  std::vector<Received> during_unload;

 protected:
  void OnQueryUnload() override { ++query_unloads; }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (query_unloads > 0) during_unload.push_back({message, hwnd(), wparam});
    return Form::HandleMessage(message, wparam, lparam);
  }
};

bool QuitPosted() {
  MSG message{};
  return ::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

// The colour the form gives the label's text.
COLORREF TextColourOf(HWND label) {
  const HDC dc = ::GetDC(label);
  ::SendMessageW(::GetParent(label), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(label));
  const COLORREF colour = ::GetTextColor(dc);
  ::ReleaseDC(label, dc);
  return colour;
}

class FormsLayerTest : public ::testing::Test {
 protected:
  void TearDown() override { QuitPosted(); }

  FormsRuntime runtime{::GetModuleHandleW(nullptr), kEyeIcon};
};

TEST_F(FormsLayerTest, LoadTwiceMakesOneHiddenWindowOfTheFormsOwnClass) {
  CountingForm form(runtime);
  form.Load();
  const HWND first = form.hwnd();
  form.Load();

  EXPECT_EQ(form.hwnd(), first);
  EXPECT_EQ(form.loads, 1);
  EXPECT_EQ(runtime.loaded_count(), 1);
  EXPECT_FALSE(::IsWindowVisible(first));
  // Never the dialog-box class, which a sweep closes.
  EXPECT_EQ(ClassOf(first), L"VelmoraForm");
  EXPECT_EQ(TextOf(form.label.hwnd()), L"Étiquette");
  form.Unload();
}

TEST_F(FormsLayerTest, UnloadRunsQueryUnloadOnceAndOnlyWhenLoaded) {
  CountingForm form(runtime);
  form.Unload();
  EXPECT_EQ(form.query_unloads, 0);

  form.Load();
  const HWND window = form.hwnd();
  form.Unload();
  form.Unload();

  EXPECT_EQ(form.query_unloads, 1);
  EXPECT_FALSE(form.IsLoaded());
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(form.label.hwnd(), nullptr);
}

TEST_F(FormsLayerTest, TheCloseBoxUnloadsTheForm) {
  CountingForm form(runtime);
  form.Load();
  ::SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);

  EXPECT_FALSE(form.IsLoaded());
  EXPECT_EQ(form.query_unloads, 1);
}

// The about box, which holds nothing that takes the focus, closes on Escape;
// the hidden main form, in the foreground after its menu, does not.
TEST_F(FormsLayerTest, EscapeClosesAShownFormOnly) {
  for (const bool shown : {true, false}) {
    SCOPED_TRACE(shown ? "shown" : "hidden");
    Form4 form(runtime);
    form.Load();
    if (shown) form.Show();
    MSG escape{form.hwnd(), WM_KEYDOWN, VK_ESCAPE, 1, 0, {}};
    EXPECT_TRUE(HandleDialogKeys(escape));
    EXPECT_EQ(form.IsLoaded(), !shown);
    form.Unload();
  }
}

TEST_F(FormsLayerTest, UnloadDestroysTheFormWithItsHandleAndTakesNoSecondLostFocus) {
  RecordingForm form(runtime);
  form.Load();
  form.Show();
  ::SetFocus(form.text.hwnd());
  ASSERT_EQ(::GetFocus(), form.text.hwnd());
  const HWND window = form.hwnd();

  form.Unload();

  EXPECT_FALSE(::IsWindow(window));
  EXPECT_FALSE(form.IsLoaded());
  bool destroyed = false;
  bool focus_left_the_text = false;
  for (const RecordingForm::Received& received : form.during_unload) {
    EXPECT_EQ(received.window, window) << "message " << received.message;
    destroyed = destroyed || received.message == WM_DESTROY;
    focus_left_the_text = focus_left_the_text || (received.message == WM_COMMAND &&
                                                  HIWORD(received.wparam) == EN_KILLFOCUS);
  }
  EXPECT_TRUE(destroyed);
  // The text box did lose the focus, and its notice took nothing.
  EXPECT_TRUE(focus_left_the_text);
  EXPECT_EQ(form.lost_focus, 0);
}

TEST_F(FormsLayerTest, TheLastUnloadedFormEndsTheMessageLoop) {
  CountingForm first(runtime);
  CountingForm second(runtime);
  first.Load();
  second.Load();

  first.Unload();
  EXPECT_FALSE(QuitPosted());
  second.Unload();
  EXPECT_TRUE(QuitPosted());
  EXPECT_EQ(runtime.loaded_count(), 0);
}

TEST_F(FormsLayerTest, SlotMakesAFreshInstanceAfterAnUnload) {
  FormSlot<CountingForm> slot([this] { return std::make_unique<CountingForm>(runtime); });
  EXPECT_EQ(slot.Loaded(), nullptr);
  slot.Unload();  // nothing loaded: nothing happens

  CountingForm& first = slot.Load();
  first.label.SetCaption(L"changée");
  EXPECT_EQ(&slot.Load(), &first);
  slot.Unload();
  EXPECT_EQ(slot.Loaded(), nullptr);

  CountingForm& second = slot.Load();
  EXPECT_EQ(second.loads, 1);
  EXPECT_EQ(TextOf(second.label.hwnd()), L"Étiquette");
  slot.Unload();
}

TEST_F(FormsLayerTest, LayoutIsInTwipsAtTheWindowsDpi) {
  CountingForm form(runtime);
  form.Load();
  const UINT dpi = WindowDpi(form.hwnd());
  RECT client{};
  ::GetClientRect(form.hwnd(), &client);
  const RECT label = PlaceOf(form.label.hwnd());

  EXPECT_EQ(client.right, TwipsToPixels(6015, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixels(5490, dpi));
  EXPECT_EQ(label.left, TwipsToPixels(120, dpi));
  EXPECT_EQ(label.top, TwipsToPixels(240, dpi));
  EXPECT_EQ(label.right - label.left, TwipsToPixels(1500, dpi));
  if (dpi == kDefaultDpi) {
    EXPECT_EQ(client.right, 401);  // 15 twips to a pixel
    EXPECT_EQ(client.bottom, 366);
  }
  form.Unload();
}

// One button of the given width, in twips.
class ButtonForm final : public Form {
 public:
  ButtonForm(FormsRuntime& runtime, int width)
      : Form(runtime, {.caption = L"Button", .width = 3000, .height = 1000}) {
    Add(button, {.rect = {120, 120, width, 375}, .text = L"Rafraîchir la liste"});
  }

  CommandButton button;
};

// Tahoma 8 pt draws the caption in 90 pixels: it fits 105 (99 inside the
// edges), and 93 (87 inside) only a size or two down, never below 7 pt.
TEST_F(FormsLayerTest, ButtonCaption_TooWideForTheMessageFont_StepsDownToFit) {
  for (const auto& [width, steps_down] : {std::pair{1575, false}, std::pair{1400, true}}) {
    SCOPED_TRACE(width);
    ButtonForm form(runtime, width);
    form.Load();
    const HWND button = form.button.hwnd();
    const UINT dpi = WindowDpi(form.hwnd());
    const HFONT font = reinterpret_cast<HFONT>(::SendMessageW(button, WM_GETFONT, 0, 0));
    LOGFONTW drawn{};
    ::GetObjectW(font, sizeof(drawn), &drawn);
    const RECT place = PlaceOf(button);
    EXPECT_LE(TextExtent(font, TextOf(button)).cx,
              place.right - place.left - 2 * PixelsAtDpi(3, dpi));
    EXPECT_EQ(std::abs(drawn.lfHeight) < std::abs(MessageFont(dpi).lfHeight), steps_down);
    EXPECT_GE(std::abs(drawn.lfHeight), ::MulDiv(7, static_cast<int>(dpi), 72));
    form.Unload();
  }
}

// Sets the message font's height for this session, and the one before back
// at the end of the scope, and tells the form of both changes: Windows
// broadcasts them; Wine sends nothing for a change it does not save.
class MessageFontHeight {
 public:
  MessageFontHeight(HWND form, LONG height) : form_(form) {
    saved_.cbSize = sizeof(saved_);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, saved_.cbSize, &saved_, 0);
    NONCLIENTMETRICSW changed = saved_;
    changed.lfMessageFont.lfHeight = height;
    Set(changed);
  }
  ~MessageFontHeight() { Set(saved_); }
  MessageFontHeight(const MessageFontHeight&) = delete;
  MessageFontHeight& operator=(const MessageFontHeight&) = delete;

 private:
  void Set(NONCLIENTMETRICSW& metrics) {
    ::SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    ::SendMessageW(form_, WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
  }

  HWND form_;
  NONCLIENTMETRICSW saved_{};
};

TEST_F(FormsLayerTest, OpenForm_FollowsTheMessageFontAndTheDpi) {
  CountingForm form(runtime);
  form.Load();
  const UINT dpi = WindowDpi(form.hwnd());
  ASSERT_EQ(dpi, kDefaultDpi) << "the font is set at 96 dpi";
  const auto label_left = [&] { return PlaceOf(form.label.hwnd()).left; };
  {
    // 150 % of the 8-pt font the layout was drawn in.
    const MessageFontHeight larger(form.hwnd(), -18);
    RECT client{};
    ::GetClientRect(form.hwnd(), &client);
    EXPECT_EQ(client.right, TwipsToPixels(6015, dpi, {18, 11}));
    EXPECT_EQ(label_left(), TwipsToPixels(120, dpi, {18, 11}));
  }
  EXPECT_EQ(label_left(), TwipsToPixels(120, dpi));

  // Moved to a monitor at 150 %: asked first, the form answers the layout's
  // own size for that DPI, then takes the rectangle the system suggests.
  SIZE size{};
  EXPECT_TRUE(
      ::SendMessageW(form.hwnd(), WM_GETDPISCALEDSIZE, 144, reinterpret_cast<LPARAM>(&size)));
  EXPECT_EQ(size.cx, WindowSizeForClient({TwipsToPixels(6015, 144), TwipsToPixels(5490, 144)},
                                         WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, 144).cx);
  RECT suggested{40, 30, 40 + size.cx, 30 + size.cy};
  ::SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
  RECT window{};
  ::GetWindowRect(form.hwnd(), &window);
  EXPECT_TRUE(::EqualRect(&window, &suggested));
  EXPECT_EQ(label_left(), TwipsToPixels(120, 144));

  // Back at 100 % under per-monitor v1, which asks nothing first and
  // suggests the old window scaled by the DPI alone: the form keeps the
  // corner and takes its layout's size.
  RECT scaled{60, 50, 60 + size.cx * 2 / 3 + 7, 50 + size.cy * 2 / 3 + 7};
  ::SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(96, 96),
                 reinterpret_cast<LPARAM>(&scaled));
  ::GetWindowRect(form.hwnd(), &window);
  const SIZE at_96 = WindowSizeForClient({TwipsToPixels(6015, 96), TwipsToPixels(5490, 96)},
                                         WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, 96);
  EXPECT_EQ(window.left, scaled.left);
  EXPECT_EQ(window.top, scaled.top);
  EXPECT_EQ(window.right - window.left, at_96.cx);
  EXPECT_EQ(window.bottom - window.top, at_96.cy);
  form.Unload();
}

// A relayout leaves a minimized form minimized and a maximized one over its
// work area; restored, each has the new size, inside the work area.
TEST_F(FormsLayerTest, MinimizedOrMaximizedForm_FollowsTheMessageFontInItsState) {
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  for (const int state : {SW_MINIMIZE, SW_MAXIMIZE}) {
    CountingForm form(runtime);
    form.Load();
    form.Show();
    ::ShowWindow(form.hwnd(), state);
    const MessageFontHeight larger(form.hwnd(), -18);
    RECT window{};
    RECT both{};
    ::GetWindowRect(form.hwnd(), &window);
    ::IntersectRect(&both, &window, &work);
    EXPECT_TRUE(state == SW_MINIMIZE ? ::IsIconic(form.hwnd())
                                     : ::IsZoomed(form.hwnd()) && ::EqualRect(&both, &work))
        << state;
    ::ShowWindow(form.hwnd(), SW_RESTORE);
    ::GetWindowRect(form.hwnd(), &window);
    ::IntersectRect(&both, &window, &work);
    EXPECT_TRUE(::EqualRect(&both, &window)) << state;
    ::GetClientRect(form.hwnd(), &window);
    EXPECT_EQ(window.right, TwipsToPixels(6015, kDefaultDpi, {18, 11})) << state;
    EXPECT_EQ(window.bottom, TwipsToPixels(5490, kDefaultDpi, {18, 11})) << state;
    form.Unload();
  }
}

// A form grows with the text as far as its monitor has room, to the pixel,
// and never shrinks below the size it was drawn at.
TEST(ScaleToFitTest, GrowsAsFarAsTheRoomHolds) {
  struct Case {
    SIZE twips;
    UINT dpi;
    LayoutScale wanted;
    SIZE room, client;  // pixels
  } const cases[] = {
      {{6015, 5490}, 96, {40, 11}, {1018, 743}, {814, 743}},      // as tall as the room
      {{6006, 1500}, 96, {40, 11}, {800, 2000}, {800, 200}},      // 400.4 px at 1
      {{6015, 5490}, 144, {41, 17}, {1900, 1000}, {1096, 1000}},  // 225 %, 1080p
      {{6015, 5490}, 96, {40, 11}, {300, 300}, {401, 366}},       // never below 1
  };
  for (const Case& test : cases) {
    const LayoutScale scale = ScaleToFit(test.wanted, test.twips, test.dpi, test.room);
    EXPECT_EQ(TwipsToPixels(test.twips.cx, test.dpi, scale), test.client.cx) << test.room.cx;
    EXPECT_EQ(TwipsToPixels(test.twips.cy, test.dpi, scale), test.client.cy) << test.room.cx;
  }
}

TEST_F(FormsLayerTest, AboutBoxIsAnOrdinaryFixedWindowWithItsRedTitle) {
  Form4 about(runtime);
  about.Load();
  const HWND window = about.hwnd();
  const UINT dpi = WindowDpi(window);
  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
  const LONG_PTR ex_style = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  const HWND label = ::FindWindowExW(window, nullptr, L"STATIC", nullptr);
  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)), sizeof(font),
               &font);
  RECT client{};
  ::GetClientRect(window, &client);
  const RECT place = PlaceOf(label);

  const LayoutScale scale = ExpectedLayoutScale(window, {6015, 5490});
  EXPECT_EQ(client.right, TwipsToPixels(6015, dpi, scale));
  EXPECT_EQ(client.bottom, TwipsToPixels(5490, dpi, scale));
  EXPECT_EQ(place.left, TwipsToPixels(2040, dpi, scale));
  EXPECT_EQ(place.top, 0);
  EXPECT_EQ(place.right - place.left, TwipsToPixels(1815, dpi, scale));
  EXPECT_EQ(place.bottom - place.top, TwipsToPixels(375, dpi, scale));
  EXPECT_EQ(TextColourOf(label), RGB(255, 0, 0));
  // The raster MS Sans Serif has no 13.5 pt at most DPIs; its chain's
  // TrueType successors then draw the title at its size.
  EXPECT_THAT(std::wstring(font.lfFaceName),
              ::testing::AnyOf(L"MS Sans Serif", L"Microsoft Sans Serif", L"Tahoma"));

  EXPECT_EQ(TextOf(window), L"Velmora (V 1.0) - Torvane (18/03/2001)");
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
  EXPECT_FALSE(ex_style & WS_EX_TOPMOST);
  EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_EQ(TextOf(label), L"VELMORA");
  EXPECT_TRUE(font.lfUnderline);
  EXPECT_EQ(font.lfWeight, FW_NORMAL);
  // 13.5 points at the window's DPI (18 pixels at 96 dpi), grown with the
  // layout.
  EXPECT_EQ(font.lfHeight, -std::lround(13.5 * scale.numerator / scale.denominator * dpi / 72));
  about.Unload();
}

}  // namespace
}  // namespace velmora::win32
