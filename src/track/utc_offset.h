#pragma once
// The local time zone's offset from UTC, as the C library's time-zone rules give it (TZ honoured).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/local_time.h"

namespace routelet {

// Minutes east of UTC (local time = UTC + offset) in effect at `unixTime`, so that a winter fix
// and a summer fix of the same zone each get their own offset. 0 when the instant cannot be
// converted.
std::int32_t GetUtcOffsetMinutes(std::int64_t unixTime);

// The offset that turns a wall-clock time of the local zone (`localSeconds`, counted like Unix
// seconds) into UTC. A time that occurs twice, in the hour repeated when summer time ends, takes
// the earlier instant; a time that never occurs, in the hour skipped when it begins, takes the
// offset in effect before the change (as if the clock had not yet been put forward).
std::int32_t UtcOffsetOfLocalTime(std::int64_t localSeconds);

// True when the system's zone rules (on POSIX: TZDIR, else /usr/share/zoneinfo) hold a zone of
// this name, such as "Europe/Rome". Names that climb out of that folder are refused.
bool IsZoneName(std::string_view name);

// While it lives, the local zone is the named one (on POSIX: TZ set to it); the zone in effect
// before comes back when it ends. A zone set for one task and put back at its end changes nothing
// for the rest of the run: no other thread reads local times meanwhile (the track's threads are
// all done before the photos are looked at).
using platform::ScopedTimeZone;

// While it lives, the local zone is `offsetMinutes` east of UTC all year (the page's zone given as
// "+hh:mm"); given none, the zone rules again (a camera's named zone put in place inside a fixed
// page zone). The offset before comes back when it ends; as with ScopedTimeZone, no other thread
// reads local times meanwhile.
class ScopedFixedOffset {
 public:
  explicit ScopedFixedOffset(std::optional<std::int32_t> offsetMinutes);
  ~ScopedFixedOffset();
  ScopedFixedOffset(const ScopedFixedOffset&) = delete;
  ScopedFixedOffset& operator=(const ScopedFixedOffset&) = delete;

 private:
  std::optional<std::int32_t> previous_;
};

// An offset as a page names its zone: "UTC+09:00", "UTC-04:30", and "UTC" for none.
std::string ZoneOffsetText(std::int32_t offsetMinutes);

// Answers GetUtcOffsetMinutes for many instants in a row while asking the C library only a few
// times: it remembers the last stretch of time (up to an hour either side of the instant it
// looked up) over which the offset is known not to change, so a log read forwards or backwards
// costs a few look-ups per hour of track.
// Create one per task; it does not notice a change of TZ made while it is in use.
class UtcOffsetCache {
 public:
  std::int32_t OffsetAt(std::int64_t unixTime);

 private:
  void LearnStretchFrom(std::int64_t unixTime, std::int32_t offset);
  std::int64_t ReachOfOffset(std::int64_t unixTime, std::int32_t offset, std::int64_t span);

  bool known_ = false;
  std::int64_t from_ = 0;  // offset_ holds for every second from from_ to to_, both included
  std::int64_t to_ = 0;
  std::int32_t offset_ = 0;
};

}  // namespace routelet
