#include "shell/pass_count.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "state/module1.h"

namespace velmora {
namespace {

// Exponents and "&H" / "&O" prefixes are not read: a letter ends the number
// like any other character that cannot continue it, so "1e3" reads 1 and
// "&H10" reads nothing. The box holds seconds; one rule for every letter is
// easier to foresee than a few letters that suddenly scale the count.

// A whole part past this is out of range whatever its fraction; holding it
// there lets a thousand typed digits read without overflow.
constexpr std::int32_t kTooLarge = 100'000;

// Walks the box's text, stepping over the blanks, tabs and line feeds that
// the reading ignores wherever they stand, even between digits.
class NumberCursor {
 public:
  explicit NumberCursor(std::string_view text) : text_(text) {}

  bool Take(char wanted) {
    SkipIgnored();
    if (pos_ == text_.size() || text_[pos_] != wanted) return false;
    ++pos_;
    return true;
  }

  std::optional<int> TakeDigit() {
    SkipIgnored();
    if (pos_ == text_.size() || text_[pos_] < '0' || text_[pos_] > '9') return std::nullopt;
    return text_[pos_++] - '0';
  }

 private:
  void SkipIgnored() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n')) {
      ++pos_;
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

// As much of the number's decimal digits as rounding needs, so that
// "2.5000000000000000001" rounds up where a binary double would see a tie.
struct Magnitude {
  std::int32_t whole = 0;  // held at kTooLarge once past it
  int first_fraction_digit = 0;
  bool nonzero_after_first = false;
};

// A text that does not begin with a number reads as magnitude 0.
Magnitude ReadMagnitude(NumberCursor& cursor) {
  Magnitude magnitude;
  while (const auto digit = cursor.TakeDigit()) {
    magnitude.whole = std::min(magnitude.whole * 10 + *digit, kTooLarge);
  }
  if (!cursor.Take('.')) return magnitude;
  if (const auto digit = cursor.TakeDigit()) magnitude.first_fraction_digit = *digit;
  while (const auto digit = cursor.TakeDigit()) {
    if (*digit != 0) magnitude.nonzero_after_first = true;
  }
  return magnitude;
}

std::int32_t RoundHalfToEven(const Magnitude& magnitude) {
  const int first = magnitude.first_fraction_digit;
  const bool past_half = first == 5 && magnitude.nonzero_after_first;
  const bool half_from_odd = first == 5 && magnitude.whole % 2 == 1;
  return first > 5 || past_half || half_from_odd ? magnitude.whole + 1 : magnitude.whole;
}

}  // namespace

std::int16_t ReadPassCount(std::string_view box_text) {
  NumberCursor cursor(box_text);
  const bool negative = cursor.Take('-');
  if (!negative) cursor.Take('+');
  const std::int32_t rounded = RoundHalfToEven(ReadMagnitude(cursor));
  const std::int32_t count = negative ? -rounded : rounded;
  if (count == 0 || count < std::numeric_limits<std::int16_t>::min() ||
      count > std::numeric_limits<std::int16_t>::max()) {
    return kDefaultPassCount;
  }
  return static_cast<std::int16_t>(count);
}

}  // namespace velmora
