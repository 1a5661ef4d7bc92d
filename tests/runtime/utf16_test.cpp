#include "runtime/utf16.h"

#include <gtest/gtest.h>

namespace routelet {
namespace {

TEST(Utf16Length, CountsCodeUnits) {
  EXPECT_EQ(Utf16Length(""), 0u);
  EXPECT_EQ(Utf16Length("$GPRMC,"), 7u);
  EXPECT_EQ(Utf16Length("aé日"), 3u);
  EXPECT_EQ(Utf16Length("\xF0\x9F\x98\x80"), 2u);  // U+1F600 needs a surrogate pair
}

TEST(Utf16Left, ClampsAndKeepsCharactersWhole) {
  EXPECT_EQ(Utf16Left("$GPRMC,150928", 7), "$GPRMC,");
  EXPECT_EQ(Utf16Left("abc", 10), "abc");
  EXPECT_EQ(Utf16Left("日本語", 2), "日本");
  EXPECT_EQ(Utf16Left("a\xF0\x9F\x98\x80", 2), "a");  // half a pair is not taken
  EXPECT_EQ(Utf16Left("a\xF0\x9F\x98\x80", 3), "a\xF0\x9F\x98\x80");
}

TEST(Utf8Validity, RejectsMalformedSequences) {
  EXPECT_TRUE(IsValidUtf8("plain ASCII text that is longer than eight bytes"));
  EXPECT_TRUE(IsValidUtf8("日本語 \xF0\x9F\x98\x80"));
  const char* bad[] = {"\x80", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                       "\xE6\x97", "abcdefgh\xFF", "\x83\x65\x83\x93"};
  for (const char* b : bad) EXPECT_FALSE(IsValidUtf8(b)) << b;
  EXPECT_EQ(SanitizeUtf8("a\xFF" "b\xE6\x97"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(AppendUtf8, WritesOneToFourBytes) {
  std::string out;
  for (char32_t cp : {U'\x7F', U'\x80', U'\x7FF', U'\x800', U'\x1F600', U'\xD800'}) AppendUtf8(out, cp);
  EXPECT_EQ(out, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xF0\x9F\x98\x80\xEF\xBF\xBD");
}

}  // namespace
}  // namespace routelet
