// Text helpers: replacing, splitting, decoding, UTF-16 lengths and paths. Escaping is checked
// through the page's placeholders (photo_list_test.cpp, page_text_test.cpp).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "runtime/files.h"
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
      {"\x83\xBF\x81\x98", "α§"},                       // two-byte UTF-8
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(DecodeText(bytes), text) << bytes;
}

// Lengths in UTF-16 code units decide whether an NMEA time field has its six digits.
TEST(Utf16Length, CountsCodeUnits) {
  EXPECT_EQ(Utf16Length("aé日"), 3u);
  EXPECT_EQ(Utf16Length("\xF0\x9F\x98\x80"), 2u);  // U+1F600 needs a surrogate pair
}

TEST(Paths, SplitAtTheLastSlashAndFindTheProgram) {
  EXPECT_EQ(DirectoryOf("/home/u/trip.log"), "/home/u");
  EXPECT_EQ(DirectoryOf("trip.log"), ".");
  EXPECT_EQ(DirectoryOf("/trip.log"), "/");
  EXPECT_EQ(JoinPath("/", "x.jpg"), "/x.jpg");
  EXPECT_TRUE(PathExists(JoinPath(ProgramDirectory(), "routelet_runtime_tests")));
}

}  // namespace
}  // namespace routelet
