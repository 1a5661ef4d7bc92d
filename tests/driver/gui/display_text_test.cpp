// Texts on their way into GTK: valid UTF-8 passes unchanged, every bad byte becomes U+FFFD.
#include "driver/gtk/display_text.h"

#include <gtest/gtest.h>

namespace routelet {
namespace {

TEST(DisplayableTextTest, ReplacesEachInvalidByteAndKeepsTheRest) {
  const std::string kReplacement = "\xEF\xBF\xBD";  // U+FFFD
  struct Case {
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      {"", ""},
      {"GPSデータ解析中：100行目", "GPSデータ解析中：100行目"},
      {"/tmp/旅行 2023/track.log", "/tmp/旅行 2023/track.log"},
      {"abc\xFF" "def", "abc" + kReplacement + "def"},
      // "あ" in Shift_JIS, as an old file name may spell it
      {"\x82\xA0.log", kReplacement + kReplacement + ".log"},
      // a UTF-8 sequence cut short at the end
      {"GPS\xE3\x81", "GPS" + kReplacement + kReplacement},
      // a NUL must not cut the text short where GTK reads it as a C string
      {std::string("a\0b", 3), "a" + kReplacement + "b"},
      {"\xF0\x9F\x9A\x97 4-byte", "\xF0\x9F\x9A\x97 4-byte"},
  };
  for (const Case& c : cases) EXPECT_EQ(DisplayableText(c.input), c.expected) << c.input;
}

}  // namespace
}  // namespace routelet
