// The keep-list window and the configuration dialog as real windows: where
// their controls lie, what they show, what a screen reader calls them, and
// how the controls reach the settings through the mouse and the keyboard.
#include "tests/win32/forms_fixture.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "keeplist/win32/form2.h"
#include "shell/win32/form3.h"
#include "shell/win32/form4.h"
#include "state/module1.h"

namespace velmora::win32 {
namespace {

// One control of a form's table, in z-order.
struct Expected {
  const wchar_t* window_class;
  std::wstring text;
  // No width and height for a label sized to its text.
  TwipsRect twips;
  // What a screen reader reads.
  std::wstring name = {};
  // The control's place in the Tab order, from 1; 0 when Tab passes it by.
  int tab = 0;
};

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  std::wstring lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(), ::towlower);
  return lower;
}

// The form's controls in z-order, which is also their keyboard order.
std::vector<HWND> ControlsOf(HWND form) {
  std::vector<HWND> controls;
  for (HWND child = ::GetWindow(form, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    controls.push_back(child);
  }
  return controls;
}

// The name that the system's accessibility proxy gives a control: its own
// text, but for an edit or list box, which have none to show, the text of
// the label just before it in z-order.
std::wstring ProxyName(HWND control) {
  const std::wstring kind = ClassOf(control);
  if (kind != L"edit" && kind != L"listbox") return TextOf(control);
  const HWND before = ::GetWindow(control, GW_HWNDPREV);
  return before != nullptr && ClassOf(before) == L"static" ? TextOf(before) : std::wstring();
}

// Posts a key to the focused control as the keyboard would, with Shift up
// or down, and lets the message loop's dialog keys take it.
void PressKey(EventPump& pump, WORD key, bool shift = false) {
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  ::SetKeyboardState(keys);
  const HWND focus = ::GetFocus();
  ::PostMessageW(focus, WM_KEYDOWN, key, 1);
  ::PostMessageW(focus, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
  pump.DoEvents();
  keys[VK_SHIFT] = 0;
  ::SetKeyboardState(keys);
}

// Where a control's focus mark shows: on it, or for a key box, whose glyph
// has no room for one, on its label just before it.
RECT FocusArea(HWND control) {
  RECT area = PlaceOf(control);
  if (const HWND label = ::GetWindow(control, GW_HWNDPREV); ClassOf(label) == L"static") {
    const RECT label_place = PlaceOf(label);
    ::UnionRect(&area, &area, &label_place);
  }
  ::InflateRect(&area, 2, 2);
  return area;
}

// The shown form's controls have the table's names, the focus is on the
// first place of the Tab order, Tab goes once round it, and each place
// shows its focus: its area changes when the focus leaves it.
void ExpectNamesAndTabOrder(HWND form, const std::vector<Expected>& expected, EventPump& pump) {
  const std::vector<HWND> controls = ControlsOf(form);
  ASSERT_EQ(controls.size(), expected.size());
  std::map<int, HWND> by_tab;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    EXPECT_EQ(ProxyName(controls[i]), expected[i].name) << i;
    if (expected[i].tab != 0) by_tab[expected[i].tab] = controls[i];
  }
  for (int place = 0; place <= static_cast<int>(by_tab.size()); ++place) {
    const HWND focused = by_tab[place % static_cast<int>(by_tab.size()) + 1];
    EXPECT_EQ(::GetFocus(), focused) << place;
    const std::vector<COLORREF> with_focus = PixelsIn(form, FocusArea(focused));
    PressKey(pump, VK_TAB);
    EXPECT_NE(PixelsIn(form, FocusArea(focused)), with_focus) << "no focus shown at " << place;
  }
}

RECT ClientRectOf(HWND control) {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Within a pixel of the twips at the form's DPI, grown by the layout's scale.
void ExpectLayout(HWND form, SIZE client_twips, const std::vector<Expected>& expected) {
  const UINT dpi = WindowDpi(form);
  const LayoutScale scale = ExpectedLayoutScale(form, client_twips);
  const auto expect_within_a_pixel = [&](LONG pixels, int twips, const std::wstring& what) {
    const double wanted = static_cast<double>(twips) * dpi * scale.numerator /
                          (1440.0 * scale.denominator);
    EXPECT_LE(std::abs(pixels - wanted), 1.0)
        << std::string(what.begin(), what.end()) << ": " << pixels << " px for " << twips
        << " twips at " << dpi << " dpi, grown " << scale.numerator << "/" << scale.denominator;
  };
  RECT client{};
  ::GetClientRect(form, &client);
  expect_within_a_pixel(client.right, client_twips.cx, L"client width");
  expect_within_a_pixel(client.bottom, client_twips.cy, L"client height");
  const std::vector<HWND> controls = ControlsOf(form);
  ASSERT_EQ(controls.size(), expected.size());
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const Expected& want = expected[i];
    SCOPED_TRACE(std::string(want.text.begin(), want.text.end()) + " at " + std::to_string(i));
    EXPECT_EQ(ClassOf(controls[i]), want.window_class);
    EXPECT_EQ(TextOf(controls[i]), want.text);
    const RECT rect = ClientRectOf(controls[i]);
    expect_within_a_pixel(rect.left, want.twips.left, L"left");
    expect_within_a_pixel(rect.top, want.twips.top, L"top");
    if (want.twips.width == 0) continue;
    expect_within_a_pixel(rect.right, want.twips.left + want.twips.width, L"right");
    expect_within_a_pixel(rect.bottom, want.twips.top + want.twips.height, L"bottom");
  }
}

// The tooltips that the form's tooltip window holds, by control.
std::map<HWND, std::wstring> ToolTipsOf(HWND form) {
  std::map<HWND, std::wstring> tips;
  for (HWND tooltip = ::FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); tooltip;
       tooltip = ::FindWindowExW(nullptr, tooltip, TOOLTIPS_CLASSW, nullptr)) {
    if (::GetWindow(tooltip, GW_OWNER) != form) continue;
    const auto count = ::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
    for (WPARAM index = 0; static_cast<LRESULT>(index) < count; ++index) {
      wchar_t text[128] = {};
      TOOLINFOW tool{};
      tool.cbSize = TTTOOLINFOW_V2_SIZE;
      tool.lpszText = text;
      ::SendMessageW(tooltip, TTM_ENUMTOOLSW, index, reinterpret_cast<LPARAM>(&tool));
      tips[reinterpret_cast<HWND>(tool.uId)] = text;
    }
  }
  return tips;
}

bool IsTopMost(HWND window) { return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

LOGFONTW FontOf(HWND control) {
  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font),
               &font);
  return font;
}

TwipsRect InFrame(TwipsRect rect) { return {240 + rect.left, 120 + rect.top, rect.width, rect.height}; }

// With the capture key F5.
std::vector<Expected> KeepListTable() {
  const std::wstring first_line = L"Positionnez la souris sur le titre de la fenêtre de navigation à";
  const std::wstring second_line = L"conserver et appuyez sur la touche F5";
  const std::wstring sentence = first_line + L" " + second_line;
  return {{L"static", first_line, {120, 120, 4575, 375}, first_line},
          {L"static", second_line, {120, 360, 4575, 375}, second_line},
          // Never shown: the list's name.
          {L"static", sentence, {}, sentence},
          {L"listbox", L"", {360, 1080, 4095, 1815}, sentence, 1},
          {L"button", L"Rafraîchir la liste", {480, 3000, 1575, 375}, L"Rafraîchir la liste", 2},
          {L"button", L"Effacer la liste", {2760, 3000, 1575, 375}, L"Effacer la liste", 3},
          {L"button", L"", {120, 840, 4575, 2775}}};
}

TEST_F(FormsTest, KeepListWindow_Layout_MatchesTwipsWithinAPixel) {
  state_.CaptureKey = 116;  // F5
  Form2 form(runtime_, state_, desktop_);
  form.Load();
  ExpectLayout(form.hwnd(), {4860, 3705}, KeepListTable());
  EXPECT_EQ(TextOf(form.hwnd()), L"A conserver... (F5)");
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(form.hwnd(), GWL_STYLE));
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
            static_cast<DWORD>(WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(IsTopMost(form.hwnd()));
  EXPECT_EQ(ClassOf(form.hwnd()), L"velmoraform");
  const std::map<HWND, std::wstring> tips = ToolTipsOf(form.hwnd());
  ASSERT_EQ(tips.size(), 1u);
  EXPECT_EQ(tips.begin()->first, form.List().hwnd());
  EXPECT_EQ(tips.begin()->second, L"Positionner la souris sur le titre de la f");
}

TEST_F(FormsTest, KeepListWindow_NamesAndTabOrder_AsTheTableSays) {
  state_.CaptureKey = 116;  // F5
  Form2 form(runtime_, state_, desktop_);
  form.Load();
  form.Show();
  ExpectNamesAndTabOrder(form.hwnd(), KeepListTable(), pump_);
}

TEST_F(FormsTest, KeepListWindow_TitlesInAnyScript_ShowUnchangedAndInOrder) {
  Form2 form(runtime_, state_, desktop_);
  form.Load();
  ListBox& list = form.List();
  list.AddItem("Zürich – Accueil");
  list.AddItem("Ελληνικά 日本語 😀");
  list.AddItem("Abc");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Item(0), L"Zürich – Accueil");
  EXPECT_EQ(list.Item(1), L"Ελληνικά 日本語 😀");
  EXPECT_EQ(list.Item(2), L"Abc");
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

// A browser window of this process, which the sweep's rule lists as any other.
class BrowserWindow {
 public:
  explicit BrowserWindow(const wchar_t* title) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = &::DefWindowProcW;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"IEFrame";
    ::RegisterClassW(&window_class);  // fails harmlessly once registered
    window_.reset(::CreateWindowExW(0, L"IEFrame", title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                    nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
  }
  WindowHandle handle() const { return ToWindowHandle(window_.get()); }
  void Close() { window_.reset(); }

 private:
  UniqueWindow window_;
};

TEST_F(FormsTest, KeepListWindow_RefreshButton_DropsAClosedWindow) {
  BrowserWindow open(L"Ouverte");
  BrowserWindow closing(L"Fermée");
  state_.keep.KeepSlots[0].handle = open.handle();
  state_.keep.KeepSlots[1].handle = closing.handle();
  Form2 form(runtime_, state_, desktop_);
  form.Load();
  form.Show();
  ASSERT_EQ(form.List().Count(), 2);

  closing.Close();
  const HWND refresh = ControlsOf(form.hwnd())[4];
  ASSERT_EQ(TextOf(refresh), L"Rafraîchir la liste");
  ::SendMessageW(refresh, BM_CLICK, 0, 0);

  ASSERT_EQ(form.List().Count(), 1);
  EXPECT_EQ(form.List().Item(0), L"Ouverte");
  EXPECT_EQ(state_.keep.KeepSlots[1].handle, 0);
}

// Windows' IsDialogMessageW sends a window that is not a dialog box IDOK
// for Enter on a push button that it never made the default one.
TEST_F(FormsTest, KeepListWindow_Enter_PressesTheFocusedButton) {
  BrowserWindow kept(L"Gardée");
  state_.keep.KeepSlots[0].handle = kept.handle();
  Form2 form(runtime_, state_, desktop_);
  form.Load();
  form.Show();
  ::SetFocus(ControlsOf(form.hwnd())[5]);  // "Effacer la liste"
  PressKey(pump_, VK_RETURN);
  EXPECT_EQ(form.List().Count(), 0);
}

// Under a contrast scheme, light on black, each form shows the scheme's
// colours alone, on its background. Wine cannot switch high contrast on,
// which gives the about box's red title the scheme's text colour: here the
// title stays red.
TEST_F(FormsTest, ContrastScheme_FormsDrawInTheSchemesColoursOnly) {
  constexpr COLORREF kBlack = RGB(0, 0, 0);
  constexpr COLORREF kWhite = RGB(255, 255, 255);
  constexpr std::array<int, 8> kElements{COLOR_BTNFACE,    COLOR_WINDOW,     COLOR_BTNTEXT,
                                         COLOR_WINDOWTEXT, COLOR_BTNSHADOW,  COLOR_BTNHIGHLIGHT,
                                         COLOR_3DDKSHADOW, COLOR_3DLIGHT};
  constexpr std::array<COLORREF, 8> kScheme{kBlack, kBlack, kWhite, kWhite,
                                            kWhite, kWhite, kWhite, kWhite};
  std::array<COLORREF, 8> saved{};
  std::transform(kElements.begin(), kElements.end(), saved.begin(), ::GetSysColor);
  ::SetSysColors(8, kElements.data(), kScheme.data());
  Form2 keep_list(runtime_, state_, desktop_);
  Form3 configuration(runtime_, state_);
  Form4 about(runtime_);
  for (Form* form : std::initializer_list<Form*>{&keep_list, &configuration, &about}) {
    form->Load();
    form->Show();
    ::UpdateWindow(form->hwnd());
    RECT client{};
    ::GetClientRect(form->hwnd(), &client);
    const std::vector<COLORREF> pixels = PixelsIn(form->hwnd(), client);
    std::set<COLORREF> shown(pixels.begin(), pixels.end());
    if (form == &about) std::erase_if(shown, [](COLORREF c) { return c != 0 && c <= 0xFF; });
    EXPECT_EQ(pixels.front(), kBlack) << "the background of " << Utf8Text(TextOf(form->hwnd()));
    EXPECT_EQ(shown, (form == &about ? std::set{kBlack} : std::set{kBlack, kWhite}));
    form->Unload();
  }
  ::SetSysColors(8, kElements.data(), saved.data());
}

std::vector<Expected> ConfigurationLayout() {
  struct Key {
    int left_of_label, left_of_box, top;
  };
  // F1 to F12.
  const Key keys[] = {{630, 960, 720},    {630, 960, 945},    {630, 960, 1170},
                      {630, 960, 1395},   {630, 960, 1620},   {630, 960, 1845},
                      {1530, 1935, 720},  {1530, 1935, 945},  {1530, 1935, 1170},
                      {1530, 1935, 1395}, {1530, 1935, 1620}, {1530, 1935, 1845}};
  std::vector<Expected> layout{{L"static", L"Définir la touche capture",
                                 InFrame({405, 270, 0, 0}), L"Définir la touche capture"}};
  for (int index = 1; index <= 12; ++index) {
    const Key& key = keys[index - 1];
    const std::wstring name = L"F" + std::to_wstring(index);
    // The label's rectangle leaves room round its text for the box's focus.
    layout.push_back(
        {L"static", name, InFrame({key.left_of_label - 30, key.top - 30, 0, 0}), name});
    // The box draws no text: its text is its name alone, and its width is
    // its glyph's (LegibilityTest).
    layout.push_back({L"button", name, InFrame({key.left_of_box, key.top, 0, 0}), name, index});
  }
  layout.push_back({L"static", L"", InFrame({0, 2160, 2940, 15})});
  layout.push_back({L"static", L"Durée du traitement  :", InFrame({600, 2280, 1680, 255}),
                    L"Durée du traitement  :"});
  layout.push_back({L"edit", L"10", {2520, 2400, 495, 285}, L"Durée du traitement  :", 13});
  layout.push_back({L"button", L"", {240, 120, 2940, 2715}});
  return layout;
}

// Positions in ControlsOf(form) of the configuration dialog.
constexpr std::size_t kHeading = 0;
constexpr std::size_t kLine1 = 25;
constexpr std::size_t kLabel1 = 26;
constexpr std::size_t kText1 = 27;
std::size_t BoxPosition(int box) { return static_cast<std::size_t>(2 * box); }
std::size_t KeyLabelPosition(int box) { return static_cast<std::size_t>(2 * box - 1); }

TEST_F(FormsTest, ConfigurationDialog_Layout_MatchesTwipsWithinAPixel) {
  Form3 form(runtime_, state_);
  form.Load();
  ExpectLayout(form.hwnd(), {3375, 3015}, ConfigurationLayout());
  EXPECT_EQ(TextOf(form.hwnd()), L"Configuration");
  EXPECT_EQ(ClassOf(form.hwnd()), L"velmoraform");
  EXPECT_TRUE(IsTopMost(form.hwnd()));
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(form.hwnd(), GWL_STYLE));
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

  const std::vector<HWND> controls = ControlsOf(form.hwnd());
  const std::map<HWND, std::wstring> tips = ToolTipsOf(form.hwnd());
  EXPECT_EQ(tips, (std::map<HWND, std::wstring>{{controls[kText1], L"temps en seconde"},
                                                 {controls[kLabel1], L"temps en seconde"}}));
  EXPECT_EQ(::GetWindowLongW(controls[kLine1], GWL_STYLE) & SS_TYPEMASK, SS_WHITERECT);
}

TEST_F(FormsTest, ConfigurationDialog_Fonts_AsLaidOut) {
  Form3 form(runtime_, state_);
  form.Load();
  const std::vector<HWND> controls = ControlsOf(form.hwnd());
  struct Case {
    std::size_t position;
    LONG height;  // pixels at 96 dpi
    LONG weight;
  } const cases[] = {{kHeading, -13, FW_NORMAL},          // 9.75 pt
                     {KeyLabelPosition(1), -11, FW_BOLD},  // F1, 8.25 pt
                     {KeyLabelPosition(12), -11, FW_BOLD},  // F12
                     {kLabel1, -11, FW_NORMAL}};
  for (const Case& test : cases) {
    const LOGFONTW font = FontOf(controls[test.position]);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"MS Sans Serif") << test.position;
    EXPECT_EQ(font.lfHeight, test.height) << test.position;
    EXPECT_EQ(font.lfWeight, test.weight) << test.position;
  }
}

class ConfigurationDialogTest : public FormsTest {
 protected:
  void SetUp() override {
    form_.Load();
    form_.Show();
    controls_ = ControlsOf(form_.hwnd());
  }

  HWND Box(int box) const { return controls_[BoxPosition(box)]; }
  HWND Text1() const { return controls_[kText1]; }
  std::vector<int> TickedBoxes() const {
    std::vector<int> ticked;
    for (int box = 1; box <= 12; ++box) {
      if (::SendMessageW(Box(box), BM_GETCHECK, 0, 0) == BST_CHECKED) ticked.push_back(box);
    }
    return ticked;
  }
  // Released where it went down, or well outside the box.
  void Press(HWND box, UINT down, UINT up, bool released_outside) {
    ::SendMessageW(box, down, 0, MAKELPARAM(5, 5));
    ::SendMessageW(box, up, 0, released_outside ? MAKELPARAM(200, 200) : MAKELPARAM(5, 5));
  }

  Form3 form_{runtime_, state_};
  std::vector<HWND> controls_;
};

TEST_F(ConfigurationDialogTest, Opening_ShowsPassCountAndOnlyTheCaptureKeyTicked) {
  EXPECT_EQ(TextOf(Text1()), L"10");
  EXPECT_EQ(TickedBoxes(), std::vector<int>{9});
  EXPECT_EQ(::GetFocus(), Box(1));
}

TEST_F(ConfigurationDialogTest, LeavingTheBox_ShowsAndTakesTheValueInForce) {
  ::SetFocus(Text1());
  ::SetWindowTextW(Text1(), L"2.5");
  ::SetFocus(Box(3));
  EXPECT_EQ(TextOf(Text1()), L"2");
  EXPECT_EQ(state_.PassCount, 2);
}

TEST_F(ConfigurationDialogTest, Clicks_TickOneBoxAndClosingStoresBothSettings) {
  struct Case {
    const char* what;
    int box;
    UINT down, up;
    std::vector<int> ticked;
    bool released_outside = false;
  } const cases[] = {
      {"a left click on a clear box ticks it alone", 5, WM_LBUTTONDOWN, WM_LBUTTONUP, {5}},
      {"a right click clears the others, toggles nothing", 7, WM_RBUTTONDOWN, WM_RBUTTONUP, {}},
      {"a left click ticks it again", 5, WM_LBUTTONDOWN, WM_LBUTTONUP, {5}},
      {"a press released outside clears the others, toggles nothing", 8, WM_LBUTTONDOWN,
       WM_LBUTTONUP, {}, true},
      {"a left click ticks it once more", 5, WM_LBUTTONDOWN, WM_LBUTTONUP, {5}},
      {"a left click on the ticked box clears it", 5, WM_LBUTTONDOWN, WM_LBUTTONUP, {}},
      {"then another box", 11, WM_LBUTTONDOWN, WM_LBUTTONUP, {11}},
  };
  for (const Case& test : cases) {
    Press(Box(test.box), test.down, test.up, test.released_outside);
    EXPECT_EQ(TickedBoxes(), test.ticked) << test.what;
  }
  ::SetWindowTextW(Text1(), L"7,9");
  form_.Unload();
  EXPECT_EQ(state_.CaptureKey, 122);  // F11
  EXPECT_EQ(state_.PassCount, 7);
}

TEST_F(ConfigurationDialogTest, NamesAndTabOrder_AsTheTableSays) {
  ExpectNamesAndTabOrder(form_.hwnd(), ConfigurationLayout(), pump_);
}

TEST_F(ConfigurationDialogTest, Keyboard_SpaceTicksOneBoxAndEscapeStoresAndCloses) {
  struct Case {
    const char* what;
    WORD key;
    bool shift;
    int focused_box;
    std::vector<int> ticked;
  } const cases[] = {
      {"Tab goes to F2", VK_TAB, false, 2, {9}},
      {"Space ticks F2 and clears F9", VK_SPACE, false, 2, {2}},
      {"Space again clears F2", VK_SPACE, false, 2, {}},
      {"Shift+Tab goes back to F1", VK_TAB, true, 1, {}},
      {"Space ticks F1", VK_SPACE, false, 1, {1}},
      {"Enter on a box changes nothing", VK_RETURN, false, 1, {1}},
  };
  for (const Case& test : cases) {
    PressKey(pump_, test.key, test.shift);
    EXPECT_EQ(::GetFocus(), Box(test.focused_box)) << test.what;
    EXPECT_EQ(TickedBoxes(), test.ticked) << test.what;
  }
  ::SetWindowTextW(Text1(), L"4");
  PressKey(pump_, VK_ESCAPE);
  EXPECT_FALSE(form_.IsLoaded());
  EXPECT_EQ(state_.CaptureKey, 112);  // F1
  EXPECT_EQ(state_.PassCount, 4);
}

}  // namespace
}  // namespace velmora::win32
