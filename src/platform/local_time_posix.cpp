#include "platform/local_time.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <limits>

namespace routelet::platform {

std::optional<std::int32_t> UtcOffsetMinutesAt(std::int64_t unixTime) {
  if (unixTime < std::numeric_limits<std::time_t>::min() || unixTime > std::numeric_limits<std::time_t>::max()) {
    return std::nullopt;
  }
  const std::time_t instant = static_cast<std::time_t>(unixTime);
  std::tm local{};
  if (localtime_r(&instant, &local) == nullptr) return std::nullopt;
  return static_cast<std::int32_t>(local.tm_gmtoff / 60);
}

bool ZoneExists(std::string_view name) {
  const char* folder = std::getenv("TZDIR");
  const std::string path = std::string(folder && *folder ? folder : "/usr/share/zoneinfo") + "/" + std::string(name);
  // A compiled zone file begins with "TZif"; a folder such as "Europe" does not read at all.
  char magic[4] = {};
  std::ifstream file(path, std::ios::binary);
  return file.read(magic, sizeof magic) && std::string_view(magic, sizeof magic) == "TZif";
}

ScopedTimeZone::ScopedTimeZone(const std::string& name) {
  if (const char* tz = std::getenv("TZ")) previous_ = tz;
  ::setenv("TZ", name.c_str(), 1);
  ::tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
  if (previous_) {
    ::setenv("TZ", previous_->c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
}

}  // namespace routelet::platform
