#include "track/utc_offset.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>

#include "platform/local_time.h"

namespace routelet {
namespace {

// Zones change their offset at most a few times a year, and never twice within an hour. So when
// an instant and the instant one hour away have the same offset, every second between has it too.
constexpr std::int64_t kStretchSeconds = 3600;

// Nor twice within two days: the offsets a day either side of a time are those before and after
// any change near it.
constexpr std::int64_t kDaySeconds = 86400;

// The fixed offset a ScopedFixedOffset put in place; empty: the zone rules.
std::optional<std::int32_t> gFixedOffset;

}  // namespace

std::int32_t GetUtcOffsetMinutes(std::int64_t unixTime) {
  if (gFixedOffset) return *gFixedOffset;
  return platform::UtcOffsetMinutesAt(unixTime).value_or(0);
}

ScopedFixedOffset::ScopedFixedOffset(std::optional<std::int32_t> offsetMinutes) : previous_(gFixedOffset) {
  gFixedOffset = offsetMinutes;
}

ScopedFixedOffset::~ScopedFixedOffset() { gFixedOffset = previous_; }

std::string ZoneOffsetText(std::int32_t offsetMinutes) {
  if (offsetMinutes == 0) return "UTC";
  const std::int32_t size = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  char text[16];
  std::snprintf(text, sizeof text, "UTC%c%02d:%02d", offsetMinutes < 0 ? '-' : '+', static_cast<int>(size / 60),
                static_cast<int>(size % 60));
  return text;
}

std::int32_t UtcOffsetOfLocalTime(std::int64_t localSeconds) {
  const std::int32_t before = GetUtcOffsetMinutes(localSeconds - kDaySeconds);
  const std::int32_t after = GetUtcOffsetMinutes(localSeconds + kDaySeconds);
  // An offset fits the wall-clock time when it is in effect at the instant it gives.
  const auto fits = [&](std::int32_t offset) { return GetUtcOffsetMinutes(localSeconds - offset * 60LL) == offset; };
  if (fits(before) || !fits(after)) return before;
  return after;
}

bool IsZoneName(std::string_view name) {
  const bool plain = std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '_' || c == '-' || c == '+';
  });
  if (name.empty() || name.front() == '/' || !plain) return false;
  return platform::ZoneExists(name);
}

std::int32_t UtcOffsetCache::OffsetAt(std::int64_t unixTime) {
  if (known_ && unixTime >= from_ && unixTime <= to_) return offset_;
  const std::int32_t offset = GetUtcOffsetMinutes(unixTime);
  LearnStretchFrom(unixTime, offset);
  return offset;
}

// Learns the stretch around `unixTime` over which `offset` holds, up to an hour each way.
void UtcOffsetCache::LearnStretchFrom(std::int64_t unixTime, std::int32_t offset) {
  known_ = true;
  offset_ = offset;
  from_ = ReachOfOffset(unixTime, offset, -kStretchSeconds);
  to_ = ReachOfOffset(unixTime, offset, kStretchSeconds);
}

// The instant farthest from `unixTime`, at most `span` seconds away (either sign), up to which
// `offset` holds without a break: the far end when it has the offset too, otherwise the last
// second before the change, found by halving.
std::int64_t UtcOffsetCache::ReachOfOffset(std::int64_t unixTime, std::int32_t offset,
                                           std::int64_t span) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  if ((span > 0 && unixTime > kMax - span) || (span < 0 && unixTime < kMin - span)) {
    return unixTime;
  }
  std::int64_t same = unixTime;
  std::int64_t other = unixTime + span;
  if (GetUtcOffsetMinutes(other) == offset) return other;
  while (other - same > 1 || same - other > 1) {  // `same` has the offset, `other` has another
    const std::int64_t middle = same + (other - same) / 2;
    if (GetUtcOffsetMinutes(middle) == offset) {
      same = middle;
    } else {
      other = middle;
    }
  }
  return same;
}

}  // namespace routelet
