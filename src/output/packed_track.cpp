#include "output/packed_track.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

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

// The digits 0 to 63: digits 32 and above carry five bits of a number and are followed by more.
constexpr std::string_view kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// Writes the change of one number and keeps its value as the last; "." for no value. The change
// is folded to a count (0, -1, 1, -2, 2... as 0, 1, 2, 3, 4...) written five bits a digit, the
// highest first.
char* WriteChange(char* out, std::optional<std::int64_t> value, std::int64_t& last) {
  if (!value) {
    *out = '.';
    return out + 1;
  }
  const std::int64_t change = *value - last;
  last = *value;
  std::uint64_t folded = change < 0 ? (static_cast<std::uint64_t>(-(change + 1)) << 1) | 1
                                    : static_cast<std::uint64_t>(change) << 1;
  std::uint64_t groups[13];  // five bits each, the lowest first
  int count = 0;
  do {
    groups[count++] = folded & 31;
    folded >>= 5;
  } while (folded != 0);
  while (--count > 0) *out++ = kDigits[32 + groups[count]];
  *out++ = kDigits[groups[0]];
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
  text.reserve(records.size() * 16);
  std::int64_t time = 0, local = 0, lat = 0, lng = 0, alt = 0, dist = 0, speed = 0;
  for (const TrackRecord& record : records) {
    char item[8 * 24];
    char* end = WriteChange(item, Bounded(record.UnixTime), time);
    end = WriteChange(end, LocalLessUtc(record.LocalTime, time), local);
    end = WriteChange(end, TenMillionthDegrees(record.Lat), lat);
    end = WriteChange(end, TenMillionthDegrees(record.Lng), lng);
    end = WriteChange(end, record.AltKnown ? Hundredths(record.Alt) : std::nullopt, alt);
    end = WriteChange(end, Hundredths(record.Dist), dist);
    end = WriteChange(end, Hundredths(record.Speed), speed);
    *end++ = ';';
    text.append(item, end);
  }
  return text;
}

}  // namespace routelet
