#include "output/packed_track.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

#include "runtime/dates.h"
#include "runtime/value_texts.h"

namespace routelet {
namespace {

// Every number stays within this, so that a script's doubles hold each of them, and each change
// between two of them, exactly.
constexpr double kLargestPacked = 1e15;

// Seconds from 1899-12-30, where day serials begin, to 1970-01-01.
constexpr std::int64_t kUnixEpochSeconds = static_cast<std::int64_t>(kUnixEpochSerial) * 86400;

std::optional<std::int64_t> Bounded(std::int64_t value) {
  if (std::fabs(static_cast<double>(value)) > kLargestPacked) return std::nullopt;
  return value;
}

std::optional<std::int64_t> TenMillionthDegrees(double degrees) {
  if (!std::isfinite(degrees) || std::fabs(degrees) > 360) return std::nullopt;
  return std::llround(degrees * 1e7);
}

// The value as the page's two-decimal texts write it (".50", "-1.25"), counted in hundredths:
// the same rounding as the texts, read from them.
std::optional<std::int64_t> Hundredths(double value) {
  char text[kLongestValueText];
  const char* const end = WriteNumberText(text, value, 2);
  const bool negative = end != text && text[0] == '-';
  std::int64_t hundredths = 0;
  int digits = 0;
  for (const char* at = text + (negative ? 1 : 0); at != end; ++at) {
    if (*at == '.') continue;
    if (*at < '0' || *at > '9' || ++digits > 15) return std::nullopt;  // "inf", "nan", or too large
    hundredths = hundredths * 10 + (*at - '0');
  }
  if (digits == 0) return std::nullopt;
  return negative ? -hundredths : hundredths;
}

// Writes the change of one number, nothing for none, and keeps its value as the last; "n" for
// no value.
char* WriteChange(char* out, std::optional<std::int64_t> value, std::int64_t& last) {
  if (!value) {
    *out = 'n';
    return out + 1;
  }
  if (*value != last) out = std::to_chars(out, out + 24, *value - last).ptr;
  last = *value;
  return out;
}

// The local clock less the UTC time (the running one), in seconds: constant but where the zone's
// offset changes, so its change is nearly always none.
std::optional<std::int64_t> LocalLessUtc(DaySerial local, std::int64_t utc) {
  const std::optional<std::int64_t> seconds = SerialSeconds(local);
  if (!seconds) return std::nullopt;
  return *seconds - kUnixEpochSeconds - utc;
}

}  // namespace

std::string PackedTrackText(const std::vector<TrackRecord>& records) {
  std::string text;
  text.reserve(records.size() * 24);
  std::int64_t time = 0, local = 0, lat = 0, lng = 0, alt = 0, dist = 0, speed = 0;
  for (const TrackRecord& record : records) {
    char item[8 * 24];
    char* end = WriteChange(item, Bounded(record.UnixTime), time);
    *end++ = ',';
    end = WriteChange(end, LocalLessUtc(record.LocalTime, time), local);
    *end++ = ',';
    end = WriteChange(end, TenMillionthDegrees(record.Lat), lat);
    *end++ = ',';
    end = WriteChange(end, TenMillionthDegrees(record.Lng), lng);
    *end++ = ',';
    end = WriteChange(end, record.AltKnown ? Hundredths(record.Alt) : std::nullopt, alt);
    *end++ = ',';
    end = WriteChange(end, Hundredths(record.Dist), dist);
    *end++ = ',';
    end = WriteChange(end, Hundredths(record.Speed), speed);
    *end++ = ';';
    text.append(item, end);
  }
  return text;
}

}  // namespace routelet
