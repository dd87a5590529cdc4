// The fonts of the forms: the system's message font by default, or a face,
// size and style that a layout names.
#pragma once

#include <windows.h>

#include <string_view>

#include "platform/win32/unique_handle.h"

namespace velmora::win32 {

struct FontSpec {
  std::wstring_view face;
  double points = 8.25;
  bool bold = false;
  bool underline = false;
};

// The face and size the forms' layouts were drawn in. A text laid out to
// fill its label fits only in it: wider faces, such as the message font of
// recent systems, would wrap it onto a line that the label hides.
inline constexpr FontSpec kLayoutFont{.face = L"MS Sans Serif", .points = 8.25};

// The system's message font at `dpi`: what controls without a named font use.
UniqueFont CreateDefaultFont(UINT dpi);

// The named font at `dpi`. A face that is not installed (old faces are often
// missing, under Wine for instance) gives way to its TrueType successor, then
// to the message font's face, so the text keeps a sans serif of the asked size.
UniqueFont CreateNamedFont(const FontSpec& wanted, UINT dpi);

}  // namespace velmora::win32
