#include "platform/local_time.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

#include "platform/win32.h"

namespace routelet::platform {
namespace {

struct ZoneEntry {
  std::string_view Name;
  std::string_view WindowsZone;
};

constexpr ZoneEntry kWindowsZones[] = {
#include "platform/windows_zones.inc"
};

std::optional<std::string_view> WindowsZoneOf(std::string_view name) {
  const auto* found = std::lower_bound(std::begin(kWindowsZones), std::end(kWindowsZones), name,
                                       [](const ZoneEntry& entry, std::string_view key) { return entry.Name < key; });
  if (found == std::end(kWindowsZones) || found->Name != name) return std::nullopt;
  return found->WindowsZone;
}

// The Windows zone a ScopedTimeZone put in place; empty: the system's own zone.
std::wstring gZoneKey;

// 100-nanosecond ticks from 1601 (FILETIME) to the Unix epoch.
constexpr std::int64_t kEpochTicks = 116444736000000000LL;
constexpr std::int64_t kTicksPerSecond = 10000000;

}  // namespace

// The zone's rules for the instant's own year (GetTimeZoneInformationForYear), applied by
// SystemTimeToTzSpecificLocalTime. Not the ...Ex variant, which takes the dynamic rules itself
// but crashes under wine 8. TZ plays no part.
std::optional<std::int32_t> UtcOffsetMinutesAt(std::int64_t unixTime) {
  // FILETIME reaches from 1601 to 30828; SYSTEMTIME's years are 1601 to 30827.
  constexpr std::int64_t kFirst = -11644473600LL;
  constexpr std::int64_t kLast = 910692730085LL;
  if (unixTime < kFirst || unixTime > kLast) return std::nullopt;
  const std::uint64_t ticks = static_cast<std::uint64_t>(unixTime * kTicksPerSecond + kEpochTicks);
  FILETIME instant{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc{};
  if (!FileTimeToSystemTime(&instant, &utc)) return std::nullopt;
  DYNAMIC_TIME_ZONE_INFORMATION named{};
  DYNAMIC_TIME_ZONE_INFORMATION* zone = nullptr;
  if (!gZoneKey.empty()) {
    gZoneKey.copy(named.TimeZoneKeyName, std::size(named.TimeZoneKeyName) - 1);
    zone = &named;
  }
  TIME_ZONE_INFORMATION rules{};
  if (!GetTimeZoneInformationForYear(utc.wYear, zone, &rules)) return std::nullopt;
  SYSTEMTIME local{};
  FILETIME localInstant{};
  if (!SystemTimeToTzSpecificLocalTime(&rules, &utc, &local) || !SystemTimeToFileTime(&local, &localInstant)) {
    return std::nullopt;
  }
  const std::int64_t localTicks =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(localInstant.dwHighDateTime) << 32) | localInstant.dwLowDateTime);
  // Whole seconds: SYSTEMTIME keeps the milliseconds, which the instant did not have.
  return static_cast<std::int32_t>((localTicks - static_cast<std::int64_t>(ticks)) / kTicksPerSecond / 60);
}

bool ZoneExists(std::string_view name) { return WindowsZoneOf(name).has_value(); }

ScopedTimeZone::ScopedTimeZone(const std::string& name) {
  previous_ = Narrow(gZoneKey);
  const std::optional<std::string_view> windowsZone = WindowsZoneOf(name);
  gZoneKey = Wide(windowsZone ? *windowsZone : std::string_view("UTC"));
}

ScopedTimeZone::~ScopedTimeZone() { gZoneKey = Wide(previous_.value_or(std::string())); }

}  // namespace routelet::platform
