#include "runtime/escape.h"

#include <gtest/gtest.h>

namespace routelet {
namespace {

TEST(HtmlEscape, WritesMarkupCharactersAndBracketsAsReferences) {
  EXPECT_EQ(HtmlEscape("plain 旅.jpg"), "plain 旅.jpg");
  EXPECT_EQ(HtmlEscape("<a href=\"x\">'&'</a>"), "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
  EXPECT_EQ(HtmlEscape("[filename].jpg"), "&#91;filename&#93;.jpg");
  EXPECT_EQ(HtmlEscape("&amp;"), "&amp;amp;");  // already escaped text is escaped again
}

TEST(UrlPathSegmentEscape, KeepsOnlyUnreservedBytes) {
  EXPECT_EQ(UrlPathSegmentEscape("IMG_0001-a.b~c.JPG"), "IMG_0001-a.b~c.JPG");
  EXPECT_EQ(UrlPathSegmentEscape("a b#c?d%e/f\\g"), "a%20b%23c%3Fd%25e%2Ff%5Cg");
  EXPECT_EQ(UrlPathSegmentEscape("旅"), "%E6%97%85");
  EXPECT_EQ(UrlPathSegmentEscape("\"<'>[]"), "%22%3C%27%3E%5B%5D");
}

}  // namespace
}  // namespace routelet
