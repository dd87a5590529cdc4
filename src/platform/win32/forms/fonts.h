// The fonts of the forms: the system's message font by default, or a face,
// size and style that a layout names.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string_view>

#include "platform/win32/forms/dpi.h"
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

// The smallest size a label's text shrinks to so that it fits its label.
inline constexpr double kSmallestPoints = 7.0;

// Whether the system has a font of this face.
bool FaceInstalled(std::wstring_view face);

// The system's message font, as MessageFont reads it at the form's DPI: what
// controls without a named font use.
UniqueFont CreateDefaultFont(const LOGFONTW& message_font);

// The named font at `dpi`, grown by `scale` with the layout, so that no text
// stays at the size the user enlarged text from. Old faces are often missing
// (a user's own Wine prefix has none of them), so a face that is not
// installed gives way to the next of a chain of sans serifs: its TrueType
// successor, then Tahoma, then the message font's face, which is always there.
UniqueFont CreateNamedFont(const FontSpec& wanted, UINT dpi, LayoutScale scale);

// The named font at `dpi`, grown by `scale`, in which each of `texts` fits
// on one line of `box` (pixels): the first face of the chain that fits them;
// when none does, the same at each smaller pixel size down to
// kSmallestPoints, then the smallest size tried.
UniqueFont CreateFittingFont(const FontSpec& wanted, UINT dpi, LayoutScale scale,
                             std::initializer_list<std::wstring_view> texts, SIZE box);

// The message font at `dpi`, stepped down as CreateFittingFont steps a named
// font, for a caption that the message font is too large for.
UniqueFont CreateFittingMessageFont(UINT dpi, std::initializer_list<std::wstring_view> texts,
                                    SIZE box);

// Whether each of `texts` fits on one line of `box` (pixels) in `font`.
bool TextsFit(HFONT font, std::initializer_list<std::wstring_view> texts, SIZE box);

// The size of `text` on one line in `font`.
SIZE TextExtent(HFONT font, std::wstring_view text);

}  // namespace velmora::win32
