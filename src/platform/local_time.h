#pragma once
// The local time zone's rules: the offset from UTC at an instant, whether a zone of a given name
// exists, and a zone put in place of the local one for a while. POSIX takes the C library's
// rules (TZ honoured, zone files under TZDIR or /usr/share/zoneinfo); Windows takes the system's
// zone and the rules of each instant's year, ignores TZ, and finds a named zone's rules under the
// Windows zone that holds them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace routelet::platform {

// Minutes east of UTC in effect at `unixTime` in the local zone (or the zone a ScopedTimeZone
// put in place); nothing when the instant cannot be converted.
std::optional<std::int32_t> UtcOffsetMinutesAt(std::int64_t unixTime);

// True when the system holds rules for a zone of this name, such as "Europe/Rome". The name has
// been checked to be plain (letters, digits, "/", "_", "-", "+", not starting with "/").
bool ZoneExists(std::string_view name);

// While it lives, the local zone is the named one; the one before comes back when it ends. No
// other thread may read local times meanwhile.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const std::string& name);
  ~ScopedTimeZone();
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<std::string> previous_;  // POSIX: TZ before (empty: not set); Windows: the zone before
};

}  // namespace routelet::platform
