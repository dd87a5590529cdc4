#include "platform/win32/forms/fonts.h"

#include <cmath>
#include <string>

#include "platform/win32/forms/dpi.h"

namespace velmora::win32 {
namespace {

constexpr int kPointsPerInch = 72;
// Successor of the raster "MS Sans Serif", with the same metrics.
constexpr std::wstring_view kTrueTypeSansSerif = L"Microsoft Sans Serif";

int CALLBACK NoteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one match is enough
}

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

void SetFace(LOGFONTW& font, std::wstring_view face) {
  const std::size_t copied = face.copy(font.lfFaceName, LF_FACESIZE - 1);
  font.lfFaceName[copied] = L'\0';
}

}  // namespace

UniqueFont CreateDefaultFont(UINT dpi) {
  const LOGFONTW font = MessageFont(dpi);
  return UniqueFont(::CreateFontIndirectW(&font));
}

UniqueFont CreateNamedFont(const FontSpec& wanted, UINT dpi) {
  LOGFONTW font = MessageFont(dpi);
  if (FaceInstalled(wanted.face)) {
    SetFace(font, wanted.face);
  } else if (FaceInstalled(kTrueTypeSansSerif)) {
    SetFace(font, kTrueTypeSansSerif);
  }
  // A negative height asks for the character height, which is what a point
  // size measures.
  font.lfHeight = -static_cast<LONG>(std::lround(wanted.points * dpi / kPointsPerInch));
  font.lfWidth = 0;
  font.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = FALSE;
  font.lfUnderline = wanted.underline ? TRUE : FALSE;
  font.lfStrikeOut = FALSE;
  return UniqueFont(::CreateFontIndirectW(&font));
}

}  // namespace velmora::win32
