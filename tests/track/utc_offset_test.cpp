#include "track/utc_offset.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "track_test_support.h"

namespace routelet {
namespace {

using testing::ScopedTimeZone;

constexpr std::int64_t kJanuary2024 = 1705320000;        // 2024-01-15 12:00:00 UTC
constexpr std::int64_t kJuly2024 = 1721044800;           // 2024-07-15 12:00:00 UTC
constexpr std::int64_t kBerlinSpring2024 = 1711846800;   // 2024-03-31 01:00:00 UTC, to summer time
constexpr std::int64_t kBerlinAutumn2024 = 1729990800;   // 2024-10-27 01:00:00 UTC, to winter time
constexpr std::int64_t kLordHoweSpring2024 = 1728142200;  // 2024-10-05 15:30:00 UTC, +10:30 to +11
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();  // no calendar holds it

TEST(GetUtcOffsetMinutes, GivesTheOffsetInEffectAtTheInstant) {
  const struct {
    const char* zone;
    std::int64_t unixTime;
    std::int32_t minutes;
  } cases[] = {
      {"Asia/Tokyo", kJuly2024, 540},           {"Europe/Berlin", kJanuary2024, 60},
      {"Europe/Berlin", kBerlinSpring2024 - 1, 60}, {"Europe/Berlin", kBerlinSpring2024, 120},
      {"Europe/Berlin", kBerlinAutumn2024 - 1, 120}, {"Europe/Berlin", kBerlinAutumn2024, 60},
      {"America/New_York", kJanuary2024, -300}, {"America/New_York", kJuly2024, -240},
      {"Asia/Kolkata", kJanuary2024, 330},      {"Asia/Tokyo", kNever, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " at " + std::to_string(c.unixTime));
    ScopedTimeZone zone(c.zone);
    EXPECT_EQ(GetUtcOffsetMinutes(c.unixTime), c.minutes);
  }
}

// The cache is asked for every second of a window around a change of offset, forwards and
// backwards, and must agree with the library each time, with few lookups of its own.
TEST(UtcOffsetCache, AgreesWithTheLibraryAcrossChangesOfOffset) {
  const struct {
    const char* zone;
    std::int64_t change;
    bool backwards;
  } cases[] = {
      {"Europe/Berlin", kBerlinSpring2024, false},       {"Europe/Berlin", kBerlinAutumn2024, false},
      {"Europe/Berlin", kBerlinSpring2024, true},        {"Australia/Lord_Howe", kLordHoweSpring2024, false},
      {"Australia/Lord_Howe", kLordHoweSpring2024, true},
  };
  constexpr std::int64_t kWindow = 3 * 3600;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + (c.backwards ? " backwards" : " forwards"));
    ScopedTimeZone zone(c.zone);
    UtcOffsetCache cache;
    int wrong = 0;
    for (std::int64_t step = 0; step <= 2 * kWindow; ++step) {
      const std::int64_t t = c.backwards ? c.change + kWindow - step : c.change - kWindow + step;
      if (cache.OffsetAt(t) != GetUtcOffsetMinutes(t)) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
    // 21,601 questions; a handful of stretches, each found with at most a dozen halvings.
    EXPECT_LT(cache.lookups(), 100);
  }
}

TEST(UtcOffsetCache, FollowsJumpsBetweenSeasons) {
  ScopedTimeZone zone("America/New_York");
  UtcOffsetCache cache;
  EXPECT_EQ(cache.OffsetAt(kJanuary2024), -300);
  EXPECT_EQ(cache.OffsetAt(kJuly2024), -240);
  EXPECT_EQ(cache.OffsetAt(kJanuary2024 + 1), -300);
  EXPECT_EQ(cache.OffsetAt(kNever), 0);
}

}  // namespace
}  // namespace routelet
