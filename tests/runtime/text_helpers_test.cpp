#include "runtime/text_helpers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace routelet {
namespace {

using ::testing::ElementsAre;

TEST(ReplaceAll, ReplacesLeftToRightWithoutRescanning) {
  const struct {
    const char *text, *find, *replacement, *expected;
  } cases[] = {
      {"abc", "[x]", "y", "abc"},                   // nothing to replace
      {"", "[x]", "y", ""},
      {"aaa", "aa", "b", "ba"},                     // no overlap, left to right
      {"a[x]b", "[x]", "[x][x]", "a[x][x]b"},       // an inserted replacement is not searched again
      {"[ti[time]me]", "[time]", "", "[time]"},     // nor what forms where the removal joins
      {"[lat] [LAT] [Lat]", "[lat]", "35", "35 [LAT] [Lat]"},  // letter case counts
      {"[a][a][a]", "[a]", "日本", "日本日本日本"},
      {"x[a]", "[a]", "", "x"},
      {"[a]", "", "z", "[a]"},                      // an empty find text changes nothing
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceAll(c.text, c.find, c.replacement), c.expected) << c.text;
  }
}

TEST(ReplaceAllInPlace, GivesWhatReplaceAllGives) {
  const char* texts[] = {"", "abc", "aaa", "a[x]b[x]c[x]", "[x][x]", "[[x]x]", "x[x", "[x]"};
  const char* replacements[] = {"", "y", "[x]", "longer text", "[x][x]"};
  for (const char* text : texts) {
    for (const char* replacement : replacements) {
      std::string inPlace = text;
      const bool changed = ReplaceAllInPlace(inPlace, "[x]", replacement);
      EXPECT_EQ(inPlace, ReplaceAll(text, "[x]", replacement)) << text << " -> " << replacement;
      EXPECT_EQ(changed, std::string_view(text).find("[x]") != std::string_view::npos);
    }
  }
  std::string aaa = "aaa";
  ReplaceAllInPlace(aaa, "aa", "b");
  EXPECT_EQ(aaa, "ba");
}

TEST(ReplaceAll, HandlesHalfAMillionMatches) {
  std::string body;
  for (int i = 0; i < 500000; ++i) body += "<td>[filename]</td>\r\n";
  const std::string result = ReplaceAll(body, "[filename]", "/home/user/trip.log");
  EXPECT_EQ(result.size(), body.size() + 500000 * (19 - 10));
  EXPECT_EQ(result.substr(0, 28), "<td>/home/user/trip.log</td>");
  EXPECT_EQ(result.find("[filename]"), std::string::npos);
}

TEST(SplitFields, GivesOnePieceMoreThanDelimiters) {
  EXPECT_THAT(SplitFields(",a,,b,", ","), ElementsAre("", "a", "", "b", ""));
  EXPECT_THAT(SplitFields("", ","), ElementsAre(""));
  EXPECT_THAT(SplitFields("abc", ","), ElementsAre("abc"));
  EXPECT_THAT(SplitFields("a::b:::c", "::"), ElementsAre("a", "b", ":c"));
  EXPECT_THAT(SplitFields("$GPRMC,150928,A", ","), ElementsAre("$GPRMC", "150928", "A"));
}

TEST(SplitFields, ReusesTheCallersVector) {
  std::vector<std::string_view> pieces{"stale", "stale", "stale", "stale"};
  SplitFields("x,y", ",", pieces);
  EXPECT_THAT(pieces, ElementsAre("x", "y"));
}

}  // namespace
}  // namespace routelet
