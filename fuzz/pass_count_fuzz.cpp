// Fuzz target for the pass-count reader: any text a user can type or paste
// must give a count the sweep can use, and the same count as a slower reader
// built another way.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>

#include "shell/pass_count.h"

namespace {

// Strips every ignored blank first, then rounds by comparing the fraction's
// digits with "5" as text: no cursor and no digit-by-digit arithmetic shared
// with the reader under test.
std::int16_t ReferencePassCount(std::string_view box_text) {
  std::string text;
  for (const char c : box_text) {
    if (c != ' ' && c != '\t' && c != '\n') text += c;
  }
  std::size_t pos = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) pos = 1;
  const auto digits_end = [&text](std::size_t from) {
    return std::min(text.find_first_not_of("0123456789", from), text.size());
  };
  const std::size_t whole_end = digits_end(pos);
  std::string whole = text.substr(pos, whole_end - pos);
  std::string fraction;
  if (whole_end < text.size() && text[whole_end] == '.') {
    fraction = text.substr(whole_end + 1, digits_end(whole_end + 1) - whole_end - 1);
  }
  whole.erase(0, whole.find_first_not_of('0'));
  fraction.erase(fraction.find_last_not_of('0') + 1);
  if (whole.size() > 5) return 10;
  long value = whole.empty() ? 0 : std::stol(whole);
  if (fraction > "5" || (fraction == "5" && value % 2 == 1)) ++value;
  if (negative) value = -value;
  if (value == 0 || value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max()) {
    return 10;
  }
  return static_cast<std::int16_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  static_assert(std::is_same_v<decltype(velmora::ReadPassCount(text)), std::int16_t>);
  const std::int16_t count = velmora::ReadPassCount(text);
  const std::int16_t expected = ReferencePassCount(text);
  if (count == 0 || count != expected) {
    std::fprintf(stderr, "read %d where the reference reads %d\n", count, expected);
    std::abort();
  }
  return 0;
}
