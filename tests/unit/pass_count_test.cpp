#include "shell/pass_count.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace velmora {
namespace {

using namespace std::string_literals;

struct ReadCase {
  const char* name;
  std::string text;
  std::int16_t expected;

  friend void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }
};

class ReadPassCountTest : public ::testing::TestWithParam<ReadCase> {};

// Read from a view with a blank and a digit beyond its end, which the reading must not see.
TEST_P(ReadPassCountTest, GivesValueInForce) {
  const std::string padded = GetParam().text + " 9";
  EXPECT_EQ(ReadPassCount(std::string_view(padded).substr(0, GetParam().text.size())),
            GetParam().expected);
}

const std::string kThousandZeros(1000, '0');

INSTANTIATE_TEST_SUITE_P(
    NoNumberGivesDefault, ReadPassCountTest,
    ::testing::Values(ReadCase{"Empty", "", 10}, ReadCase{"Zero", "0", 10},
                      ReadCase{"NegativeZero", "-0", 10}, ReadCase{"Letters", "abc", 10},
                      ReadCase{"OnlyBlanks", " \t\n ", 10}, ReadCase{"LoneMinus", "-", 10},
                      ReadCase{"LonePlus", "+", 10}, ReadCase{"LonePeriod", ".", 10},
                      ReadCase{"SignAndPeriod", "-.", 10}, ReadCase{"SignThenBlank", "- ", 10},
                      ReadCase{"DoubleSign", "--5", 10}, ReadCase{"MixedSigns", "+-5", 10},
                      ReadCase{"CommaFirst", ",5", 10}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Rounding, ReadPassCountTest,
    ::testing::Values(
        ReadCase{"BelowHalfToZero", "0.4", 10}, ReadCase{"HalfToEvenZero", "0.5", 10},
        ReadCase{"NegativeBelowHalfToZero", "-0.4", 10},
        ReadCase{"NegativeHalfToZero", "-0.5", 10}, ReadCase{"NegativePastHalf", "-0.6", -1},
        ReadCase{"HalfDownToEven", "2.5", 2}, ReadCase{"HalfUpToEven", "3.5", 4},
        ReadCase{"NegativeHalfDownToEven", "-2.5", -2},
        ReadCase{"NegativeHalfUpToEven", "-3.5", -4}, ReadCase{"PastHalf", "2.51", 3},
        // A binary double reads both of these as an exact half.
        ReadCase{"PastHalfInTwentiethDigit", "2.5000000000000000001", 3},
        ReadCase{"BelowHalfInTwentiethDigit", "3.4999999999999999999", 3},
        ReadCase{"LeadingPeriod", ".5", 10}, ReadCase{"LeadingPeriodPastHalf", ".6", 1},
        ReadCase{"TrailingPeriod", "5.", 5},
        ReadCase{"LongZerosAfterPoint", "7." + kThousandZeros, 7},
        ReadCase{"NonZeroAfterLongZeros", "0." + kThousandZeros + "1", 10},
        ReadCase{"HalfThenLongZerosThenDigit", "2.5" + kThousandZeros + "1", 3}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Range, ReadPassCountTest,
    ::testing::Values(
        ReadCase{"Largest", "32767", 32767}, ReadCase{"Smallest", "-32768", -32768},
        ReadCase{"PastLargest", "32768", 10}, ReadCase{"PastSmallest", "-32769", 10},
        ReadCase{"LargestHalfRoundsOut", "32767.5", 10},
        ReadCase{"SmallestHalfRoundsIn", "-32768.5", -32768},
        ReadCase{"PastSmallestHalf", "-32768.51", 10},
        ReadCase{"WholePartOfTooLarge", "100000", 10},
        ReadCase{"ThousandDigits", std::string(1000, '9'), 10},
        ReadCase{"ThousandDigitsNegative", "-" + std::string(1000, '9'), 10},
        ReadCase{"LeadingZeros", "0007", 7},
        ReadCase{"ThousandLeadingZeros", kThousandZeros + "7", 7}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    WhereReadingStops, ReadPassCountTest,
    ::testing::Values(
        ReadCase{"TrailingLetters", "12abc", 12}, ReadCase{"Negative", "-5", -5},
        ReadCase{"ExplicitPlus", "+7", 7}, ReadCase{"CommaEndsNumber", "7,9", 7},
        ReadCase{"SecondPeriodEndsNumber", "1.2.9", 1},
        ReadCase{"BlanksAroundAndBetweenDigits", " 1 5 ", 15},
        ReadCase{"TabsAndLineFeedsBetweenDigits", "\t1\n2\t3\n", 123},
        ReadCase{"BlanksAroundPeriod", "1 \t. \n6", 2},
        ReadCase{"BlanksBeforeMinus", " \t-5", -5},
        ReadCase{"BlanksAfterMinus", "-  \t5", -5}, ReadCase{"BlanksAfterPlus", "+\n 7", 7},
        ReadCase{"CarriageReturnEndsNumber", "1\r5", 1},
        ReadCase{"NonBreakingSpaceEndsNumber", "1\u00A05", 1},
        // Exponents and base prefixes are not read: a letter ends the number.
        ReadCase{"ExponentNotRead", "1e3", 1}, ReadCase{"UpperExponentNotRead", "2E2", 2},
        ReadCase{"HexPrefixNotRead", "&H10", 10}, ReadCase{"CHexPrefixNotRead", "0x1F", 10},
        ReadCase{"OctalPrefixNotRead", "&O17", 10},
        ReadCase{"LeadingZeroNotOctal", "017", 17},
        ReadCase{"AccentFirst", "\u00E95", 10}, ReadCase{"EuroAfter", "5\u20AC", 5},
        ReadCase{"FullWidthDigits", "\uFF11\uFF12", 10},
        ReadCase{"ArabicIndicDigits", "\u0663", 10},
        ReadCase{"InvalidUtf8After", "4\xFF\xFE", 4},
        ReadCase{"NulEndsNumber", "1\0"s "5", 1}, ReadCase{"NulFirst", "\0"s "5", 10}),
    [](const auto& info) { return std::string(info.param.name); });

// What the box shows after a reading must read back to the same count, or the
// count would drift each time the focus leaves the box.
TEST(ReadPassCountTest, EveryShownCountReadsBackUnchanged) {
  for (int count = std::numeric_limits<std::int16_t>::min();
       count <= std::numeric_limits<std::int16_t>::max(); ++count) {
    if (count == 0) continue;
    ASSERT_EQ(ReadPassCount(std::to_string(count)), count) << count;
  }
}

}  // namespace
}  // namespace velmora
