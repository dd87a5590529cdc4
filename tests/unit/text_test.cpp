#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace velmora {
namespace {

struct CutCase {
  const char* name;
  std::u16string text;
  int max_count;
  std::string expected;

  friend void PrintTo(const CutCase& c, std::ostream* out) { *out << c.name; }
};

class CutWindowTextTest : public ::testing::TestWithParam<CutCase> {};

// Read from a view with a low surrogate beyond its end, which a cut must not see.
TEST_P(CutWindowTextTest, MatchesGetWindowText) {
  const std::u16string padded = GetParam().text + u'\xDC00';
  const std::u16string_view text = std::u16string_view(padded).substr(0, GetParam().text.size());
  EXPECT_EQ(CutWindowText(text, GetParam().max_count), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, CutWindowTextTest,
    ::testing::Values(
        CutCase{"Short", u"abc", 119, "abc"},
        CutCase{"ExactlyFits", u"abcd", 5, "abcd"},
        CutCase{"CutToMaxCountLessOne", u"abcdef", 5, "abcd"},
        CutCase{"StopsAtNul", std::u16string(u"ab\0cd", 5), 119, "ab"},
        CutCase{"OneAndTwoByteBoundary", u"\x7F\x80", 119, "\x7F\xC2\x80"},
        CutCase{"Cyrillic", u"Привет", 119, "Привет"},
        CutCase{"CjkCut", u"漢字仮名", 3, "漢字"},
        // U+1F600 is two UTF-16 units; a cut between them drops both.
        CutCase{"PairNotSplit", u"ab\U0001F600", 4, "ab"},
        CutCase{"PairKeptWhenItFits", u"ab\U0001F600", 5, "ab\U0001F600"},
        CutCase{"LoneSurrogateReplaced", std::u16string{u'a', char16_t{0xD800}, u'b'}, 119,
                "a\uFFFDb"},
        CutCase{"LoneHighSurrogateAtEnd", std::u16string{u'a', char16_t{0xDBFF}}, 119,
                "a\uFFFD"},
        CutCase{"HighSurrogateJustFits", std::u16string{u'a', char16_t{0xD800}}, 3, "a\uFFFD"},
        CutCase{"ZeroCount", u"abc", 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf8ToUtf16Test, RoundTripsEveryPlane) {
  const std::string text = "Ça va? Привет 漢字 \U00010000\U0001F600";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
}

TEST(Utf8ToUtf16Test, InvalidBytesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");        // overlong
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  // Truncated, though the bytes beyond the view would complete it.
  EXPECT_EQ(Utf8ToUtf16(std::string_view("\xE2\x82\xAC", 2)), u"\uFFFD\uFFFD");
}

}  // namespace
}  // namespace velmora
