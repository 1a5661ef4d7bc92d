#include "track/utc_offset.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "track_test_support.h"

namespace routelet {
namespace {

using testing::ScopedTimeZone;

constexpr std::int64_t kNov2011 = 1320505768;     // 2011-11-05 15:09:28 UTC
constexpr std::int64_t kJanuary2024 = 1705320000;  // 2024-01-15 12:00:00 UTC
constexpr std::int64_t kJuly2024 = 1721044800;     // 2024-07-15 12:00:00 UTC
constexpr std::int64_t kBerlinSpring2024 = 1711846800;   // 2024-03-31 01:00:00 UTC, to summer time
constexpr std::int64_t kBerlinAutumn2024 = 1729990800;   // 2024-10-27 01:00:00 UTC, to winter time
constexpr std::int64_t kLordHoweSpring2024 = 1728142200;  // 2024-10-05 15:30:00 UTC, +10:30 to +11

struct OffsetCase {
  const char* zone;
  std::int64_t unixTime;
  std::int32_t minutes;
};

TEST(GetUtcOffsetMinutes, GivesTheOffsetInEffectAtTheInstant) {
  const OffsetCase cases[] = {
      {"Asia/Tokyo", kNov2011, 540},
      {"Asia/Tokyo", kJuly2024, 540},
      {"Europe/Berlin", kJanuary2024, 60},
      {"Europe/Berlin", kJuly2024, 120},
      {"Europe/Berlin", kBerlinSpring2024 - 1, 60},
      {"Europe/Berlin", kBerlinSpring2024, 120},
      {"Europe/Berlin", kBerlinAutumn2024 - 1, 120},
      {"Europe/Berlin", kBerlinAutumn2024, 60},
      {"America/New_York", kJanuary2024, -300},
      {"America/New_York", kJuly2024, -240},
      {"Asia/Kolkata", kJanuary2024, 330},
      {"UTC", kJuly2024, 0},
  };
  for (const OffsetCase& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " at " + std::to_string(c.unixTime));
    ScopedTimeZone zone(c.zone);
    EXPECT_EQ(GetUtcOffsetMinutes(c.unixTime), c.minutes);
  }
}

TEST(GetUtcOffsetMinutes, GivesZeroForAnInstantTheLibraryCannotConvert) {
  ScopedTimeZone zone("Asia/Tokyo");
  EXPECT_EQ(GetUtcOffsetMinutes(std::numeric_limits<std::int64_t>::max()), 0);
}

// Asks the cache for every second of a window around a change of offset, in the given direction,
// and compares each answer with the library's.
void ExpectCacheAgreesAround(const char* zoneName, std::int64_t change, bool backwards) {
  SCOPED_TRACE(zoneName);
  ScopedTimeZone zone(zoneName);
  UtcOffsetCache cache;
  constexpr std::int64_t kWindow = 3 * 3600;
  int wrong = 0;
  for (std::int64_t step = 0; step <= 2 * kWindow; ++step) {
    const std::int64_t t = backwards ? change + kWindow - step : change - kWindow + step;
    if (cache.OffsetAt(t) != GetUtcOffsetMinutes(t)) ++wrong;
  }
  EXPECT_EQ(wrong, 0);
  // 21,601 questions; a handful of stretches, each found with at most a dozen halvings.
  EXPECT_LT(cache.lookups(), 100);
}

TEST(UtcOffsetCache, AgreesWithTheLibraryAcrossChangesOfOffset) {
  ExpectCacheAgreesAround("Europe/Berlin", kBerlinSpring2024, false);
  ExpectCacheAgreesAround("Europe/Berlin", kBerlinAutumn2024, false);
  ExpectCacheAgreesAround("Europe/Berlin", kBerlinSpring2024, true);
  ExpectCacheAgreesAround("Australia/Lord_Howe", kLordHoweSpring2024, false);
  ExpectCacheAgreesAround("Australia/Lord_Howe", kLordHoweSpring2024, true);
}

TEST(UtcOffsetCache, FollowsJumpsBetweenSeasons) {
  ScopedTimeZone zone("America/New_York");
  UtcOffsetCache cache;
  EXPECT_EQ(cache.OffsetAt(kJanuary2024), -300);
  EXPECT_EQ(cache.OffsetAt(kJuly2024), -240);
  EXPECT_EQ(cache.OffsetAt(kJanuary2024 + 1), -300);
  EXPECT_EQ(cache.OffsetAt(std::numeric_limits<std::int64_t>::max()), 0);
}

}  // namespace
}  // namespace routelet
