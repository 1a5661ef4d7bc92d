#include "template/section_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace routelet {
namespace {

using ::testing::ElementsAre;

SectionStore Parse(std::string_view text) {
  SectionStore store;
  ParseSections(text, store);
  return store;
}

TEST(ParseSections, CutsAtHeaderLines) {
  const SectionStore store = Parse("<html>\r\n[recordlist]\r\n*recordlist\r\n<tr>[index]</tr>\r\n*photolist\r\n<img>");
  EXPECT_THAT(store.Names(), ElementsAre("body", "recordlist", "photolist"));
  EXPECT_EQ(GetSection(store, "body"), "<html>\r\n[recordlist]");
  EXPECT_EQ(GetSection(store, "recordlist"), "<tr>[index]</tr>");
  EXPECT_EQ(GetSection(store, "photolist"), "<img>");
}

TEST(ParseSections, DropsLeadingEmptyLinesOnly) {
  const SectionStore store = Parse("*x\r\n\r\n\r\na\r\n\r\nb\r\n\r\n");
  EXPECT_EQ(GetSection(store, "x"), "a\r\n\r\nb\r\n");
}

TEST(ParseSections, KeepsBodyFirstEvenWhenEmpty) {
  const struct {
    const char* text;
    std::vector<std::string> names;
    const char* body;
  } cases[] = {
      {"", {"body"}, ""},
      {"just text", {"body"}, "just text"},
      {"*recordlist\r\nr", {"body", "recordlist"}, ""},
      {"b\r\n*last", {"body", "last"}, "b"},
      {"a\n*recordlist\nr", {"body"}, "a\n*recordlist\nr"},  // LF alone does not end a line
      {"*x\n*y", {"body", "x\n*y"}, ""},
      {"b\r\n*\r\ne", {"body", ""}, "b"},                   // the empty name is a name too
  };
  for (const auto& c : cases) {
    const SectionStore store = Parse(c.text);
    EXPECT_EQ(store.Names(), c.names) << c.text;
    EXPECT_EQ(GetSection(store, "body"), c.body) << c.text;
  }
}

TEST(ParseSections, OnlyAnAsteriskInTheFirstColumnStartsASection) {
  const SectionStore store = Parse("a\r\n *x\r\n＊y\r\n*recordlist \r\nr");
  EXPECT_EQ(GetSection(store, "body"), "a\r\n *x\r\n＊y");
  EXPECT_EQ(GetSection(store, "recordlist"), "");  // the stored name ends in a blank
  EXPECT_EQ(GetSection(store, "recordlist "), "r");
}

TEST(ParseSections, ALaterSectionOfTheSameNameWins) {
  const SectionStore store = Parse("*body\r\nnew body\r\n*List\r\nfirst\r\n*LIST\r\nsecond");
  EXPECT_THAT(store.Names(), ElementsAre("body", "List"));
  EXPECT_EQ(GetSection(store, "body"), "new body");
  EXPECT_EQ(GetSection(store, "list"), "second");
}

TEST(GetSection, IgnoresLetterCaseAndGivesEmptyForMissing) {
  const SectionStore store = Parse("*RECORDLIST\r\nr");
  EXPECT_EQ(GetSection(store, "recordlist"), "r");
  EXPECT_EQ(GetSection(store, "photolist"), "");
  EXPECT_EQ(store.Find("photolist"), nullptr);
}

}  // namespace
}  // namespace routelet
