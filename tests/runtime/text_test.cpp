// Text helpers: replacing, splitting, escaping, decoding and UTF-8/UTF-16 measures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "runtime/escape.h"
#include "runtime/text_file.h"
#include "runtime/text_helpers.h"
#include "runtime/utf16.h"

namespace routelet {
namespace {

using ::testing::ElementsAre;

TEST(ReplaceAll, ReplacesLeftToRightWithoutRescanningInPlaceAlike) {
  const struct {
    const char *text, *find, *replacement, *expected;
  } cases[] = {
      {"abc", "[x]", "y", "abc"},                              // nothing to replace
      {"aaa", "aa", "b", "ba"},                                // no overlap, left to right
      {"a[x]b[x]", "[x]", "[x][x]", "a[x][x]b[x][x]"},         // an inserted text is not searched again
      {"[ti[time]me]", "[time]", "", "[time]"},                // nor what forms where a removal joins
      {"[lat] [LAT] [Lat]", "[lat]", "35", "35 [LAT] [Lat]"},  // letter case counts
      {"[a][a][a]", "[a]", "日本", "日本日本日本"},
      {"x[a]", "[a]", "", "x"},
      {"[a]", "", "z", "[a]"},                                 // an empty find text changes nothing
      {"", "[x]", "longer text", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceAll(c.text, c.find, c.replacement), c.expected) << c.text;
    std::string inPlace = c.text;
    const bool changed = ReplaceAllInPlace(inPlace, c.find, c.replacement);
    EXPECT_EQ(inPlace, c.expected) << c.text;
    EXPECT_EQ(changed, inPlace != c.text) << c.text;
  }
}

TEST(SplitFields, GivesOnePieceMoreThanDelimitersIntoTheCallersVector) {
  EXPECT_THAT(SplitFields(",a,,b,", ","), ElementsAre("", "a", "", "b", ""));
  EXPECT_THAT(SplitFields("", ","), ElementsAre(""));
  EXPECT_THAT(SplitFields("a::b:::c", "::"), ElementsAre("a", "b", ":c"));
  std::vector<std::string_view> pieces{"stale", "stale", "stale", "stale"};
  SplitFields("x,y", ",", pieces);
  EXPECT_THAT(pieces, ElementsAre("x", "y"));
}

TEST(Escape, MarkupCharactersAndBracketsBecomeReferencesAndLinksKeepOnlyUnreservedBytes) {
  EXPECT_EQ(HtmlEscape("plain 旅.jpg"), "plain 旅.jpg");
  EXPECT_EQ(HtmlEscape("<a href=\"x\">'&'</a>"), "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
  EXPECT_EQ(HtmlEscape("[filename]&amp;"), "&#91;filename&#93;&amp;amp;");
  EXPECT_EQ(UrlPathSegmentEscape("IMG_0001-a.b~c.JPG"), "IMG_0001-a.b~c.JPG");
  EXPECT_EQ(UrlPathSegmentEscape("a b#c?d%e/f\\g\"<'>[]"), "a%20b%23c%3Fd%25e%2Ff%5Cg%22%3C%27%3E%5B%5D");
  EXPECT_EQ(UrlPathSegmentEscape("旅"), "%E6%97%85");
}

TEST(DecodeText, KeepsUtf8ReadsShiftJisAndReplacesTheRest) {
  const std::pair<std::string, std::string> cases[] = {
      {"\xEF\xBB\xBF*body\r\n日本", "*body\r\n日本"},  // a UTF-8 byte-order mark is dropped
      {"$GPRMC,1", "$GPRMC,1"},
      {"", ""},
      {"*photolist\r\n\x83\x8B\x81\x5B\x83\x67\x83\x66\x81\x5B\x83\x5E", "*photolist\r\nルートデータ"},
      {"\\~\x82\xA0", "\\~あ"},  // the yen sign and tilde bytes stay ASCII, as Windows reads them
      {"a\xFF" "b", "a\xEF\xBF\xBD" "b"},
      {"a\x83", "a\xEF\xBF\xBD"},                      // a lead byte cut off at the end
      {"\x85\x40\x83\x65", "\xEF\xBF\xBD@テ"},         // an unassigned pair
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(DecodeText(bytes), text) << bytes;
}

TEST(LineReader, EndsLinesAtCrLfOrALoneCr) {
  const auto lines = [](std::string_view text) {
    std::vector<std::string> out;
    LineReader reader(text);
    for (std::string_view line; reader.Next(line);) out.emplace_back(line);
    return out;
  };
  EXPECT_THAT(lines(""), ElementsAre());
  EXPECT_THAT(lines("a\r\nb"), ElementsAre("a", "b"));
  EXPECT_THAT(lines("a\rb\r"), ElementsAre("a", "b"));
  EXPECT_THAT(lines("a\nb\nc"), ElementsAre("a\nb\nc"));  // a lone LF stays in the line
  EXPECT_THAT(lines("\r\n\r\nx"), ElementsAre("", "", "x"));
  EXPECT_THAT(lines("a\r\r\nb"), ElementsAre("a", "", "b"));
}

TEST(Utf8AndUtf16, MeasureCutValidateAndWrite) {
  EXPECT_EQ(Utf16Length("aé日"), 3u);
  EXPECT_EQ(Utf16Length("\xF0\x9F\x98\x80"), 2u);  // U+1F600 needs a surrogate pair
  EXPECT_EQ(Utf16Left("日本語", 2), "日本");
  EXPECT_EQ(Utf16Left("abc", 10), "abc");
  EXPECT_EQ(Utf16Left("a\xF0\x9F\x98\x80", 2), "a");  // half a pair is not taken
  EXPECT_TRUE(IsValidUtf8("plain ASCII text that is longer than eight bytes, 日本語 \xF0\x9F\x98\x80"));
  for (const char* bad : {"\x80", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE6\x97",
                          "abcdefgh\xFF", "\x83\x65\x83\x93"}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  }
  EXPECT_EQ(SanitizeUtf8("a\xFF" "b\xE6\x97"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD");
  std::string out;
  for (char32_t cp : {U'\x7F', U'\x80', U'\x7FF', U'\x800', U'\x1F600', U'\xD800'}) AppendUtf8(out, cp);
  EXPECT_EQ(out, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xF0\x9F\x98\x80\xEF\xBF\xBD");
}

}  // namespace
}  // namespace routelet
