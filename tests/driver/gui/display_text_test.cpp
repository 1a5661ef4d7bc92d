// Texts on their way into GTK: valid UTF-8 passes unchanged, every bad byte becomes U+FFFD.
#include "driver/gtk/display_text.h"

#include <gtest/gtest.h>

namespace routelet {
namespace {

TEST(DisplayableText, ReplacesEachInvalidByteAndKeepsTheRest) {
  const std::string r = "\xEF\xBF\xBD";  // U+FFFD
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"/tmp/旅行 2023/track.log", "/tmp/旅行 2023/track.log"},
      {"\xF0\x9F\x9A\x97 4-byte", "\xF0\x9F\x9A\x97 4-byte"},
      {"abc\xFF" "def", "abc" + r + "def"},
      {"\x82\xA0.log", r + r + ".log"},         // "あ" in Shift_JIS, as an old file name may spell it
      {"GPS\xE3\x81", "GPS" + r + r},           // a UTF-8 sequence cut short at the end
      {std::string("a\0b", 3), "a" + r + "b"},  // a NUL would cut the text short where GTK reads it
  };
  for (const auto& [input, expected] : cases) EXPECT_EQ(DisplayableText(input), expected) << input;
}

}  // namespace
}  // namespace routelet
