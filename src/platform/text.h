// Text conversions at the seam. The core holds all text as UTF-8; Windows
// hands out UTF-16, which may hold lone surrogates.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Lone surrogates become U+FFFD, so the result is always valid UTF-8.
std::string Utf16ToUtf8(std::u16string_view text);
// Invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// What GetWindowText(window, buffer, max_count) yields from the window's full
// text: the text up to its first NUL, cut to max_count - 1 UTF-16 units. A cut
// that would split a surrogate pair drops its first half instead, so a title
// never ends in broken text.
std::string CutWindowText(std::u16string_view text, int max_count);

// The text with A to Z lowered and every other byte as it is: how Windows
// compares file names and command-line options, without the locale.
std::string AsciiLowerCase(std::string_view text);

}  // namespace velmora
