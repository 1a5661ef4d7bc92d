#include "runtime/text_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace routelet {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  LineReader reader(text);
  for (std::string_view line; reader.Next(line);) lines.emplace_back(line);
  return lines;
}

TEST(LineReader, EndsLinesAtCrLfOrALoneCr) {
  EXPECT_THAT(Lines(""), ElementsAre());
  EXPECT_THAT(Lines("a\r\nb\r\n"), ElementsAre("a", "b"));
  EXPECT_THAT(Lines("a\r\nb"), ElementsAre("a", "b"));  // a last line without an ending
  EXPECT_THAT(Lines("a\rb\r"), ElementsAre("a", "b"));
  EXPECT_THAT(Lines("a\nb\nc"), ElementsAre("a\nb\nc"));  // a lone LF stays in the line
  EXPECT_THAT(Lines("\r\n\r\nx"), ElementsAre("", "", "x"));
  EXPECT_THAT(Lines("a\r\r\nb"), ElementsAre("a", "", "b"));
  EXPECT_THAT(Lines("\r"), ElementsAre(""));
}

TEST(DecodeText, KeepsUtf8AndDropsItsByteOrderMark) {
  EXPECT_EQ(DecodeText("\xEF\xBB\xBF*body\r\n日本"), "*body\r\n日本");
  EXPECT_EQ(DecodeText("$GPRMC,1"), "$GPRMC,1");
  EXPECT_EQ(DecodeText(""), "");
}

TEST(DecodeText, ReadsShiftJis) {
  // "テンプレート" and "ルートデータ" in Shift_JIS.
  EXPECT_EQ(DecodeText("\x83\x65\x83\x93\x83\x76\x83\x8C\x81\x5B\x83\x67"), "テンプレート");
  EXPECT_EQ(DecodeText("*photolist\r\n\x83\x8B\x81\x5B\x83\x67\x83\x66\x81\x5B\x83\x5E"),
            "*photolist\r\nルートデータ");
  // The yen sign and tilde bytes stay ASCII, as Windows reads them.
  EXPECT_EQ(DecodeText("\\~\x82\xA0"), "\\~あ");
}

TEST(DecodeText, ReplacesUndecodableBytes) {
  EXPECT_EQ(DecodeText("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(DecodeText("a\x83"), "a\xEF\xBF\xBD");  // a lead byte cut off at the end
  EXPECT_EQ(DecodeText("\x85\x40\x83\x65"), "\xEF\xBF\xBD@テ");  // an unassigned pair
}

TEST(ReadTextFile, ReportsWhyAFileCannotBeRead) {
  testing::TempDir dir;
  const std::string path = dir.Write("t.dat", "\x83\x65\r\nx");
  std::string text, error;
  ASSERT_TRUE(ReadTextFile(path, text, error));
  EXPECT_EQ(text, "テ\r\nx");
  EXPECT_FALSE(ReadTextFile(dir.File("missing"), text, error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(ReadTextFile(dir.path().string(), text, error));  // a folder
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace routelet
