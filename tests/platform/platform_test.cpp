// The platform layer's behaviour that both builds must share: texts across UTF-8 and UTF-16,
// zone rules by name, and files with Japanese names read at offsets.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/files.h"
#include "platform/local_time.h"
#include "platform/replace_file.h"
#include "platform/text_encoding.h"
#include "platform/translations.h"
#include "platform/utf16.h"

namespace routelet::platform {
namespace {

TEST(Utf16, ConvertsBothWaysAndReplacesEachBadByte) {
  struct Case {
    std::string Utf8;
    std::u16string Utf16;
    std::string BackToUtf8;
  };
  const Case cases[] = {
      {"a/b\\c", u"a/b\\c", "a/b\\c"},
      {"東京の写真", u"東京の写真", "東京の写真"},
      {"\xF0\x9F\x97\xBB", u"\U0001F5FB", "\xF0\x9F\x97\xBB"},                   // a surrogate pair
      {"a\xFF\x80z", u"a\uFFFD\uFFFDz", "a\xEF\xBF\xBD\xEF\xBF\xBDz"},          // one U+FFFD per byte
      {"\xE6\x9D", u"\uFFFD\uFFFD", "\xEF\xBF\xBD\xEF\xBF\xBD"},                // cut off
      {"\xC0\xAF", u"\uFFFD\uFFFD", "\xEF\xBF\xBD\xEF\xBF\xBD"},                // overlong "/"
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.Utf8), c.Utf16) << c.Utf8;
    EXPECT_EQ(Utf16Length(c.Utf8), c.Utf16.size()) << c.Utf8;
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(c.Utf8)), c.BackToUtf8) << c.Utf8;
  }
  EXPECT_EQ(Utf16ToUtf8(u"x\xD800y"), "x\xEF\xBF\xBDy");  // an unpaired surrogate in a file name
}

// Both systems give the same text for the same bytes, bad bytes included.
TEST(CodePage932, DecodesAndReplacesEachBadByteAsBothSystemsDo) {
  const std::pair<std::string, std::string> cases[] = {
      {"\x93\x8C\x8B\x9E abc", "東京 abc"},
      {"\xB1\xB2", "ｱｲ"},                                 // half-width katakana, one byte each
      {"\x87\x40\xED\x40", "①纊"},                       // NEC and IBM extensions
      {"\x82", "\xEF\xBF\xBD"},                              // a lead byte cut off
      {"\x82\x20x", "\xEF\xBF\xBD x"},                      // a lead byte without its trail
      {"a\x85\x40" "b", "a\xEF\xBF\xBD@b"},                    // an empty row: one U+FFFD, then "@"
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(DecodeCodePage932(bytes), text) << bytes;
}

// The offsets a named zone gives either side of its changes, the same on both systems.
TEST(LocalTime, NamedZonesFollowTheirRules) {
  struct Case {
    const char* Zone;
    std::int64_t UnixTime;
    std::int32_t Minutes;
  };
  const Case cases[] = {
      {"Asia/Tokyo", 1720000000, 540},
      {"America/New_York", 1710053999, -300},  // 2024-03-10 06:59:59 UTC: still standard time
      {"America/New_York", 1710054000, -240},  // 07:00:00 UTC: summer time
      {"America/New_York", 1730613599, -240},  // 2024-11-03 05:59:59 UTC
      {"America/New_York", 1730613600, -300},
      {"Europe/Rome", 1704067200, 60},
      {"Europe/Rome", 1719792000, 120},
      {"UTC", 1719792000, 0},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(ZoneExists(c.Zone)) << c.Zone;
    const ScopedTimeZone zone(c.Zone);
    EXPECT_EQ(UtcOffsetMinutesAt(c.UnixTime), c.Minutes) << c.Zone << " " << c.UnixTime;
  }
  EXPECT_FALSE(ZoneExists("Europe"));
  EXPECT_FALSE(ZoneExists("Mars/Olympus_Mons"));
}

TEST(Files, ReadsAFileWithAJapaneseNameAtOffsetsAndKnowsItUnderAnyName) {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const std::string folder = Utf8Path(std::filesystem::temp_directory_path()) + "/routelet-旅行-" + std::to_string(stamp);
  std::filesystem::create_directories(NativePath(folder));
  const std::string path = folder + "/記録.log";
  std::ofstream(NativePath(path), std::ios::binary) << "0123456789";

  SystemError error = 0;
  const NativeFile file = OpenForReading(path, true, error);
  ASSERT_NE(file, kNoFile) << ErrorText(error);
  std::uint8_t bytes[4] = {};
  EXPECT_EQ(ReadAt(file, 6, bytes, error), 4);
  EXPECT_EQ(std::string(bytes, bytes + 4), "6789");
  EXPECT_EQ(ReadAt(file, 10, bytes, error), 0);
  FileStatus opened;
  FileStatus named;
  FileStatus other;
  ASSERT_TRUE(StatusOf(file, opened, error));
  CloseFile(file);
  ASSERT_TRUE(StatusOfPath(folder + "/./記録.log", named, error));
  ASSERT_TRUE(StatusOfPath(folder, other, error));
  EXPECT_EQ(opened.Kind, FileKind::kRegular);
  EXPECT_EQ(opened.Size, 10u);
  EXPECT_EQ(opened.Identity, named.Identity);
  EXPECT_EQ(other.Kind, FileKind::kDirectory);
  EXPECT_FALSE(StatusOfPath(folder + "/無い.log", named, error));
  EXPECT_TRUE(IsNotFoundError(error));
  std::filesystem::remove_all(NativePath(folder));
}

#ifdef _WIN32
std::string ReadWhole(const std::string& path) {
  std::ifstream file(NativePath(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// A program reading the page as most do: others may read it too, but neither write nor delete it.
HANDLE HoldOpen(const std::string& path) {
  return CreateFileW(std::filesystem::path(NativePath(path)).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}

// A page replaced whole once its reader lets go during the retries, or, while a reader holds it
// open past them, left as it was; no temporary file stays either way.
TEST(ReplacementFile, ReplacesWholeOrLeavesTheOldFileAndNoTemporary) {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const std::string folder = Utf8Path(std::filesystem::temp_directory_path()) + "\\頁-" + std::to_string(stamp);
  std::filesystem::create_directories(NativePath(folder));
  const std::string page = folder + "\\旅.html";
  std::ofstream(NativePath(page), std::ios::binary) << "old";
  SystemError error = 0;
  {
    const HANDLE reader = HoldOpen(page);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    ReplacementFile replacement;
    ASSERT_FALSE(replacement.Create(page));
    ASSERT_TRUE(replacement.Write("new", error));
    EXPECT_EQ(replacement.Commit(), ERROR_SHARING_VIOLATION);  // "in use by another program"
    CloseHandle(reader);
  }
  EXPECT_EQ(ReadWhole(page), "old");
  {
    const HANDLE reader = HoldOpen(page);
    ReplacementFile replacement;
    ASSERT_FALSE(replacement.Create(page));
    ASSERT_TRUE(replacement.Write("new", error));
    std::thread letGo([reader] { CloseHandle(reader); });  // while Commit tries, or before
    EXPECT_FALSE(replacement.Commit());
    letGo.join();
  }
  EXPECT_EQ(ReadWhole(page), "new");
  const auto entries = std::distance(std::filesystem::directory_iterator(NativePath(folder)), {});
  EXPECT_EQ(entries, 1);
  std::filesystem::remove_all(NativePath(folder));
}
#endif

// Values go in as they are, even with a "%" of their own; "%2$s" takes a value out of turn.
TEST(FillPattern, PutsTheValuesInTheirPlaces) {
  EXPECT_EQ(FillPattern("%sが見つかりません", {"50%s.log"}), "50%s.logが見つかりません");
  EXPECT_EQ(FillPattern("%s/%s %s", {"1", "2", "a b"}), "1/2 a b");
  EXPECT_EQ(FillPattern("%2$s of %1$s", {"x", "y"}), "y of x");
  EXPECT_EQ(FillPattern("100% %s%", {"sure"}), "100% sure%");
  EXPECT_EQ(FillPattern("%s and %s", {"one"}), "one and ");
}

}  // namespace
}  // namespace routelet::platform
