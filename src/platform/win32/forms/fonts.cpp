#include "platform/win32/forms/fonts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/forms/dpi.h"

namespace velmora::win32 {
namespace {

constexpr int kPointsPerInch = 72;
// After the named face: the successor of the raster "MS Sans Serif", with the
// same metrics, then the face that Wine and every system since 2000 ship.
// An empty face keeps the message font's.
constexpr std::array<std::wstring_view, 3> kFallbackFaces{L"Microsoft Sans Serif", L"Tahoma",
                                                          L""};

int CALLBACK NoteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one match is enough
}

// The faces of the chain that are installed, the named one first; the last
// is always the message font's.
std::vector<std::wstring_view> InstalledFaces(std::wstring_view named) {
  // No face named: the message font's alone.
  if (named.empty()) return {named};
  std::vector<std::wstring_view> faces;
  if (FaceInstalled(named)) faces.push_back(named);
  for (std::wstring_view face : kFallbackFaces) {
    if (face.empty() || FaceInstalled(face)) faces.push_back(face);
  }
  return faces;
}

LONG CharacterPixels(double points, UINT dpi) {
  return static_cast<LONG>(std::lround(points * dpi / kPointsPerInch));
}

LONG GrownPixels(const FontSpec& wanted, UINT dpi, LayoutScale scale) {
  return CharacterPixels(wanted.points * scale.numerator / scale.denominator, dpi);
}

UniqueFont CreateFace(const FontSpec& wanted, std::wstring_view face, LONG pixels, UINT dpi) {
  LOGFONTW font = MessageFont(dpi);
  if (!face.empty()) {
    const std::size_t copied = face.copy(font.lfFaceName, LF_FACESIZE - 1);
    font.lfFaceName[copied] = L'\0';
  }
  // A negative height asks for the character height, which is what a point
  // size measures.
  font.lfHeight = -pixels;
  font.lfWidth = 0;
  font.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = FALSE;
  font.lfUnderline = wanted.underline ? TRUE : FALSE;
  font.lfStrikeOut = FALSE;
  return UniqueFont(::CreateFontIndirectW(&font));
}

// The screen's DC with a font selected, to measure it; both are given back
// at the end of the scope.
class ScreenWithFont {
 public:
  explicit ScreenWithFont(HFONT font) : old_font_(::SelectObject(screen_.get(), font)) {}
  ~ScreenWithFont() { ::SelectObject(screen_.get(), old_font_); }
  ScreenWithFont(const ScreenWithFont&) = delete;
  ScreenWithFont& operator=(const ScreenWithFont&) = delete;

  HDC dc() const { return screen_.get(); }

 private:
  const WindowDc screen_{nullptr};
  HGDIOBJ old_font_;
};

// How many pixels `text` inks in `font`, drawn black on white.
int InkedPixels(HFONT font, std::wstring_view text) {
  const SIZE extent = TextExtent(font, text);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = extent.cx;
  info.bmiHeader.biHeight = -extent.cy;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
  const UniqueBitmap bitmap(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bits == nullptr) return 0;
  const HGDIOBJ old_bitmap = ::SelectObject(dc.get(), bitmap.get());
  const HGDIOBJ old_font = ::SelectObject(dc.get(), font);
  ::PatBlt(dc.get(), 0, 0, extent.cx, extent.cy, WHITENESS);
  ::TextOutW(dc.get(), 0, 0, text.data(), static_cast<int>(text.size()));
  ::GdiFlush();
  ::SelectObject(dc.get(), old_font);
  ::SelectObject(dc.get(), old_bitmap);
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  const std::ptrdiff_t count = static_cast<std::ptrdiff_t>(extent.cx) * extent.cy;
  constexpr std::uint32_t kWhite = 0xFFFFFF;
  return static_cast<int>(std::count_if(
      pixels, pixels + count, [](std::uint32_t pixel) { return (pixel & kWhite) != kWhite; }));
}

// Whether a bold font shows bold. Without font smoothing, as under Wine, a
// face's bold can keep one-pixel stems at some sizes and read as regular:
// Wine's own Tahoma Bold does at 18 pixels, where the message font's bold
// (DejaVu Sans Bold) has two-pixel stems. Bold that shows inks a third more.
bool ShowsBold(HFONT font) {
  constexpr std::wstring_view kSample = L"F10";
  LOGFONTW regular{};
  ::GetObjectW(font, sizeof(regular), &regular);
  regular.lfWeight = FW_NORMAL;
  const UniqueFont plain(::CreateFontIndirectW(&regular));
  return InkedPixels(font, kSample) * 3 >= InkedPixels(plain.get(), kSample) * 4;
}

// Whether the font drawn serves for the asked character height. A raster
// face such as MS Sans Serif comes in a few sizes only: the system gives the
// nearest one, which at a high DPI may be far smaller than asked, or
// stretches one to a multiple of its size, drawn coarse (under Wine, as small
// letters spread apart). At the size a layout names, a raster size a pixel
// off stands for it; a font grown with the text must grow, even by one pixel
// (from 8 to 9 pt), so it takes an outline face of its exact size. Either
// way a bold font must show bold.
bool Serves(HFONT font, const FontSpec& wanted, LONG pixels, LayoutScale scale) {
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(ScreenWithFont(font).dc(), &metrics);
  const LONG off = std::abs(metrics.tmHeight - metrics.tmInternalLeading - pixels);
  const bool size_serves = scale.numerator == scale.denominator
                               ? off <= 1
                               : off == 0 && (metrics.tmPitchAndFamily & TMPF_VECTOR) != 0;
  return size_serves && (!wanted.bold || ShowsBold(font));
}

}  // namespace

bool FaceInstalled(std::wstring_view face) {
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  face.copy(query.lfFaceName, LF_FACESIZE - 1);
  bool found = false;
  const HDC screen = ::GetDC(nullptr);
  ::EnumFontFamiliesExW(screen, &query, &NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
  ::ReleaseDC(nullptr, screen);
  return found;
}

UniqueFont CreateDefaultFont(const LOGFONTW& message_font) {
  return UniqueFont(::CreateFontIndirectW(&message_font));
}

UniqueFont CreateNamedFont(const FontSpec& wanted, UINT dpi, LayoutScale scale) {
  const LONG pixels = GrownPixels(wanted, dpi, scale);
  UniqueFont font;
  for (std::wstring_view face : InstalledFaces(wanted.face)) {
    font = CreateFace(wanted, face, pixels, dpi);
    if (Serves(font.get(), wanted, pixels, scale)) break;
  }
  return font;
}

UniqueFont CreateFittingFont(const FontSpec& wanted, UINT dpi, LayoutScale scale,
                             std::initializer_list<std::wstring_view> texts, SIZE box) {
  const std::vector<std::wstring_view> faces = InstalledFaces(wanted.face);
  const LONG smallest = CharacterPixels(kSmallestPoints, dpi);
  UniqueFont font;
  LONG pixels = GrownPixels(wanted, dpi, scale);
  do {
    for (std::wstring_view face : faces) {
      font = CreateFace(wanted, face, pixels, dpi);
      if (Serves(font.get(), wanted, pixels, scale) && TextsFit(font.get(), texts, box)) {
        return font;
      }
    }
  } while (--pixels >= smallest);
  return font;
}

UniqueFont CreateFittingMessageFont(UINT dpi, std::initializer_list<std::wstring_view> texts,
                                    SIZE box) {
  const LONG pixels = std::abs(MessageFont(dpi).lfHeight);
  const FontSpec message{.face = {}, .points = static_cast<double>(pixels) * kPointsPerInch / dpi};
  return CreateFittingFont(message, dpi, {}, texts, box);
}

bool TextsFit(HFONT font, std::initializer_list<std::wstring_view> texts, SIZE box) {
  return std::all_of(texts.begin(), texts.end(), [&](std::wstring_view text) {
    const SIZE extent = TextExtent(font, text);
    return extent.cx <= box.cx && extent.cy <= box.cy;
  });
}

SIZE TextExtent(HFONT font, std::wstring_view text) {
  SIZE extent{};
  ::GetTextExtentPoint32W(ScreenWithFont(font).dc(), text.data(), static_cast<int>(text.size()),
                          &extent);
  return extent;
}

}  // namespace velmora::win32
