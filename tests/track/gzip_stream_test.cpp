// Inflating gzip data hands over its bytes, however the compressed bytes come, and tells data
// that was cut short or damaged from data that ended well.
#include "track/gzip_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "support/awkward_log.h"
#include "support/gzipped.h"

namespace routelet {
namespace {

// The bytes `data` inflates to, given to the inflater `blockBytes` at a time, and whether it
// was broken.
std::tuple<std::string, bool> Inflate(const std::string& data, std::size_t blockBytes) {
  std::size_t at = 0;
  GzipStream inflated([&]() -> std::optional<std::string_view> {
    const std::string_view block = std::string_view(data).substr(at, blockBytes);
    at += block.size();
    return block;
  });
  std::string bytes;
  for (std::optional<std::string_view> block; (block = inflated()) && !block->empty();) bytes += *block;
  EXPECT_EQ(inflated(), std::string_view()) << "the end stays the end";
  return {bytes, inflated.Broken()};
}

TEST(GzipStream, InflatesWholeDataAndTellsDataCutShortOrDamaged) {
  const std::string text = testing::AwkwardLog(300);
  const std::string gz = testing::Gzipped(text), members = testing::Gzipped(text, 1000);
  std::string damaged = gz;
  damaged[damaged.size() / 2] ^= 0x55;
  std::string badCheck = gz;
  badCheck[badCheck.size() - 6] ^= 1;  // the CRC of the inflated bytes
  const std::tuple<std::string, std::string, std::string, bool> cases[] = {
      {"one member", gz, text, false},
      {"members", members, text, false},
      {"zeros after the last member, as a tape's blocks leave", gz + std::string(512, '\0'), text, false},
      {"something else after the last member", gz + "trailing words", text, false},
      {"no bytes of a member yet", members.substr(0, 1), "", true},
      {"cut inside the last member's check", gz.substr(0, gz.size() - 3), text, true},
      {"damaged", damaged, "", true},
      {"its check does not match", badCheck, text, true},
  };
  for (const auto& [what, data, expected, broken] : cases) {
    for (const std::size_t blockBytes : {std::size_t{1}, std::size_t{7}, data.size()}) {
      const auto [bytes, wasBroken] = Inflate(data, blockBytes);
      EXPECT_EQ(wasBroken, broken) << what << ", in blocks of " << blockBytes;
      // What damaged data gives is whatever inflated before the damage showed.
      if (what != std::string("damaged")) {
        EXPECT_EQ(bytes, expected) << what << ", in blocks of " << blockBytes;
      }
    }
  }
}

// Cut after any byte, the data gives a start of the text and is told as cut short.
TEST(GzipStream, DataCutAnywhereGivesAStartOfItsBytes) {
  const std::string text = testing::AwkwardLog(40);
  const std::string gz = testing::Gzipped(text);
  for (std::size_t size = 1; size < gz.size(); ++size) {
    const auto [bytes, broken] = Inflate(gz.substr(0, size), 64);
    ASSERT_TRUE(broken && text.starts_with(bytes)) << "cut after " << size << " bytes";
  }
}

}  // namespace
}  // namespace routelet
