// Every text of every form fits its control, in no font below 7 pt, in
// whatever fonts the Wine prefix holds, at whatever DPI it runs and whatever
// its message font: tests/win32/legibility_test.sh runs these cases at
// several DPIs, in a prefix with Wine's fonts and in one without them, and
// with a wide message font of 8, 9, 13.5, 24 and 30 pt.
#include "tests/win32/forms_fixture.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "keeplist/win32/form2.h"
#include "platform/win32/forms/fonts.h"
#include "shell/win32/form3.h"
#include "shell/win32/form4.h"

namespace velmora::win32 {
namespace {

std::string Narrow(const std::wstring& text) { return Utf8Text(text); }

// What a font draws into a control's DC: its extent on one line, its face and
// its weight.
struct Drawn {
  SIZE extent{};
  std::wstring face;
  LONG weight = 0;
  LONG character_height = 0;
  bool outline = false;  // not a raster face
};

Drawn DrawnIn(HWND control, HFONT font, const std::wstring& text) {
  Drawn drawn;
  const HDC dc = ::GetDC(control);
  const HGDIOBJ old_font = ::SelectObject(dc, font);
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &drawn.extent);
  wchar_t face[LF_FACESIZE] = {};
  ::GetTextFaceW(dc, LF_FACESIZE, face);
  drawn.face = face;
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  drawn.weight = metrics.tmWeight;
  drawn.character_height = metrics.tmHeight - metrics.tmInternalLeading;
  drawn.outline = (metrics.tmPitchAndFamily & TMPF_VECTOR) != 0;
  ::SelectObject(dc, old_font);
  ::ReleaseDC(control, dc);
  return drawn;
}

HFONT FontOf(HWND control) {
  return reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
}

bool IsPushButton(HWND control) {
  wchar_t name[16] = {};
  ::GetClassNameW(control, name, 16);
  return std::wstring(name) == L"Button" &&
         (::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_PUSHBUTTON;
}

bool IsKeyBox(HWND control) {
  wchar_t name[16] = {};
  ::GetClassNameW(control, name, 16);
  return std::wstring(name) == L"Button" && (::GetWindowLongW(control, GWL_STYLE) & BS_BITMAP) != 0;
}

// Shown with its form, even while the form itself is hidden.
bool Shown(HWND control) { return (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0; }

// A key box keeps its text for screen readers alone, and so does the
// hidden label that names the keep list.
bool DrawsItsText(HWND control) { return Shown(control) && !IsKeyBox(control); }

// The title bar's text in the system's caption font.
SIZE CaptionExtent(HWND form) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
  const UniqueFont font(::CreateFontIndirectW(&metrics.lfCaptionFont));
  return DrawnIn(form, font.get(), TextOf(form)).extent;
}

// The title bar's room for its text: between the icon and the caption
// buttons.
LONG CaptionRoom(HWND form) {
  RECT window{};
  ::GetWindowRect(form, &window);
  const LONG style = ::GetWindowLongW(form, GWL_STYLE);
  const int buttons = (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) ? 3 : 1;
  const int frame = ::GetSystemMetrics((style & WS_THICKFRAME) ? SM_CXSIZEFRAME : SM_CXFIXEDFRAME);
  return window.right - window.left - 2 * frame - ::GetSystemMetrics(SM_CXSMICON) -
         buttons * ::GetSystemMetrics(SM_CXSIZE);
}

// The texts of the form's controls and of its title bar that do not fit or
// are drawn below 7 pt, one line each.
std::vector<std::string> CutTexts(HWND form) {
  const UINT dpi = WindowDpi(form);
  std::vector<std::string> cut;
  const auto note = [&](const std::wstring& text, SIZE needs, SIZE has) {
    if (needs.cx <= has.cx && needs.cy <= has.cy) return;
    cut.push_back("\"" + Narrow(text) + "\" needs " + std::to_string(needs.cx) + "x" +
                  std::to_string(needs.cy) + " px, has " + std::to_string(has.cx) + "x" +
                  std::to_string(has.cy) + " at " + std::to_string(dpi) + " dpi");
  };
  note(TextOf(form), CaptionExtent(form), {CaptionRoom(form), CaptionExtent(form).cy});
  RECT client{};
  ::GetClientRect(form, &client);
  for (HWND control = ::GetWindow(form, GW_CHILD); control;
       control = ::GetWindow(control, GW_HWNDNEXT)) {
    const std::wstring text = TextOf(control);
    if (text.empty() || !DrawsItsText(control)) continue;
    const RECT rect = PlaceOf(control);
    // A control that runs past the form's edge is cut by it.
    RECT shown{};
    ::IntersectRect(&shown, &rect, &client);
    // A push button draws its edges inside its rectangle.
    const int edge = IsPushButton(control) ? 2 * ::MulDiv(3, static_cast<int>(dpi), 96) : 0;
    const Drawn drawn = DrawnIn(control, FontOf(control), text);
    note(text, drawn.extent, {shown.right - shown.left - edge, shown.bottom - shown.top});
    // A font of 7 pt may draw a pixel short of it.
    if (drawn.character_height < ::MulDiv(7, static_cast<int>(dpi), 72) - 1) {
      cut.push_back("\"" + Narrow(text) + "\" drawn " + std::to_string(drawn.character_height) +
                    " px high at " + std::to_string(dpi) + " dpi");
    }
  }
  return cut;
}

class LegibilityTest : public FormsTest {
 protected:
  // Loads the form, notes its texts that are cut, and unloads it.
  void NoteCutTexts(Form& form, const std::string& what) {
    form.Load();
    for (const std::string& text : CutTexts(form.hwnd())) cut_.insert(what + ": " + text);
    form.Unload();
  }

  std::set<std::string> cut_;
};

class KeyBoxPixelsTest : public LegibilityTest {
 protected:
  void SetUp() override {
    form_.Load();
    form_.Show();
    for (HWND control = ::GetWindow(form_.hwnd(), GW_CHILD); control;
         control = ::GetWindow(control, GW_HWNDNEXT)) {
      if (IsKeyBox(control)) boxes_.push_back(control);
    }
    ASSERT_EQ(boxes_.size(), 12u);
  }
  void TearDown() override { form_.Unload(); }

  Form3 form_{runtime_, state_};
  std::vector<HWND> boxes_;
};

// A plain check box, wide and without a text, of the key box's height, in
// a window of its own: where its ink ends, the glyph does.
LONG GlyphWidthOf(HWND key_box) {
  constexpr int kWide = 200;
  const RECT place = PlaceOf(key_box);
  const int height = place.bottom - place.top;
  const UniqueWindow window(::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"",
                                              WS_POPUP | WS_VISIBLE, 0, 0, kWide, height,
                                              nullptr, nullptr, ::GetModuleHandleW(nullptr),
                                              nullptr));
  ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 0, 0, kWide,
                    height, window.get(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
  const std::vector<COLORREF> pixels = PixelsIn(window.get(), {0, 0, kWide, height});
  const COLORREF background = ::GetSysColor(COLOR_BTNFACE);
  LONG width = 0;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    if (pixels[i] != background) width = std::max(width, static_cast<LONG>(i % kWide) + 1);
  }
  return width;
}

// Whatever the text size, a box holds its glyph whole and nothing beside
// it: its name, which a wider box would draw, never shows.
TEST_F(KeyBoxPixelsTest, EveryBox_AtThisSize_DrawsItsGlyphAlone) {
  const LONG glyph = GlyphWidthOf(boxes_.back());
  ASSERT_GT(glyph, 0);
  const COLORREF background = ::GetSysColor(COLOR_BTNFACE);
  for (std::size_t box = 0; box < boxes_.size(); ++box) {
    RECT place = PlaceOf(boxes_[box]);
    EXPECT_GE(place.right - place.left, glyph) << "F" << box + 1;
    place.left += glyph;
    const std::vector<COLORREF> beside = PixelsIn(form_.hwnd(), place);
    EXPECT_EQ(std::count_if(beside.begin(), beside.end(),
                            [&](COLORREF pixel) { return pixel != background; }),
              0)
        << "F" << box + 1;
  }
}

TEST_F(LegibilityTest, EveryForm_AtThisDpiAndInTheseFonts_ShowsEveryTextWhole) {
  // The keep-list window's caption and prompt end with the capture key.
  for (state_.CaptureKey = kVkF1; state_.CaptureKey <= kVkF1 + 11; ++state_.CaptureKey) {
    Form2 keep_list(runtime_, state_, desktop_);
    NoteCutTexts(keep_list, "keep list");
  }
  Form3 configuration(runtime_, state_);
  NoteCutTexts(configuration, "configuration");
  Form4 about(runtime_);
  NoteCutTexts(about, "about");
  for (const std::string& text : cut_) ADD_FAILURE() << text;
}

TEST_F(LegibilityTest, KeyLabels_AtThisDpi_StayBoldInTheirFace) {
  Form3 form(runtime_, state_);
  form.Load();
  form.Show();
  for (HWND control = ::GetWindow(form.hwnd(), GW_CHILD); control;
       control = ::GetWindow(control, GW_HWNDNEXT)) {
    const std::wstring text = TextOf(control);
    if (text.size() < 2 || text.size() > 3 || text[0] != L'F' || !DrawsItsText(control)) continue;
    const Drawn drawn = DrawnIn(control, FontOf(control), text);
    EXPECT_GE(drawn.weight, FW_BOLD) << Narrow(text);
    // The raster MS Sans Serif has 8.25 pt at 96 and 144 dpi; elsewhere, and
    // grown with the text, the next face of the chain stands in.
    const UINT dpi = WindowDpi(form.hwnd());
    const LayoutScale scale = ExpectedLayoutScale(form.hwnd(), {3375, 3015});
    // Grown with the text, bold that shows, whatever weight the font
    // reports: a third more ink on the screen than the same face regular,
    // which one-pixel stems would not give. (Without growth at 192 dpi the
    // chain's last face in a prefix with Wine's fonts is Tahoma, whose bold
    // Wine draws with such stems.)
    if (scale.numerator != scale.denominator) {
      const RECT place = PlaceOf(control);
      const auto ink = [&] {
        const std::vector<COLORREF> pixels = PixelsIn(form.hwnd(), place);
        return std::count(pixels.begin(), pixels.end(), ::GetSysColor(COLOR_BTNTEXT));
      };
      const auto bold_ink = ink();
      LOGFONTW regular{};
      ::GetObjectW(FontOf(control), sizeof(regular), &regular);
      regular.lfWeight = FW_NORMAL;
      const UniqueFont plain(::CreateFontIndirectW(&regular));
      const HFONT bold = FontOf(control);
      ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(plain.get()), TRUE);
      EXPECT_GE(bold_ink * 3, ink() * 4) << Narrow(text) << " drawn regular in " << Narrow(drawn.face);
      ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(bold), TRUE);
    }
    if (FaceInstalled(L"MS Sans Serif") && (dpi == 96 || dpi == 144) &&
        scale.numerator == scale.denominator) {
      EXPECT_EQ(drawn.face, L"MS Sans Serif") << Narrow(text);
    }
  }
  form.Unload();
}

TEST_F(LegibilityTest, KeepListPrompt_WithTheWidestKey_KeepsOneSizeOnBothLines) {
  state_.CaptureKey = kVkF1 + 11;  // F12
  Form2 form(runtime_, state_, desktop_);
  form.Load();
  std::vector<LONG> heights;
  for (HWND control = ::GetWindow(form.hwnd(), GW_CHILD); control;
       control = ::GetWindow(control, GW_HWNDNEXT)) {
    wchar_t name[16] = {};
    ::GetClassNameW(control, name, 16);
    if (std::wstring(name) != L"Static" || !Shown(control)) continue;
    const Drawn drawn = DrawnIn(control, FontOf(control), TextOf(control));
    heights.push_back(drawn.character_height);
    // Grown with the text, never a raster face stretched to a multiple.
    const LayoutScale scale = ExpectedLayoutScale(form.hwnd(), {4860, 3705});
    EXPECT_TRUE(drawn.outline || scale.numerator == scale.denominator) << Narrow(drawn.face);
  }
  ASSERT_EQ(heights.size(), 2u);
  EXPECT_EQ(heights[0], heights[1]);
  form.Unload();
}

// A raster face gives only its own sizes, the nearest of them when asked for
// another: the title would come out far smaller than laid out.
TEST_F(LegibilityTest, AboutBoxTitle_AtThisDpi_KeepsItsSize) {
  Form4 about(runtime_);
  about.Load();
  const HWND title = ::GetWindow(about.hwnd(), GW_CHILD);
  const Drawn drawn = DrawnIn(title, FontOf(title), TextOf(title));
  // 13.5 points, grown with the layout.
  const LayoutScale scale = ExpectedLayoutScale(about.hwnd(), {6015, 5490});
  EXPECT_NEAR(drawn.character_height,
              13.5 * scale.numerator / scale.denominator * WindowDpi(about.hwnd()) / 72, 1)
      << Narrow(drawn.face);
  about.Unload();
}

}  // namespace
}  // namespace velmora::win32
