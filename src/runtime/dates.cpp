#include "runtime/dates.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace routelet {
namespace {

namespace chrono = std::chrono;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// The Gregorian calendar repeats every 400 years, which are 146097 days. chrono's years reach
// only -32767..32767, so a date is looked up within one 400-year cycle (years 0..399, days from
// 1970 to 2369) and the whole cycles are counted apart: every year stays in reach.
constexpr std::int64_t kDaysPer400Years = 146097;

// Days from 1970-01-01 to the 1st of a month (1..12) of the proleptic Gregorian calendar.
std::int64_t DaysToFirstOfMonth(std::int64_t year, unsigned month) {
  const std::int64_t cycles = FloorDiv(year, 400);
  const chrono::year yearInCycle(static_cast<int>(year - cycles * 400));
  const chrono::sys_days first = yearInCycle / chrono::month(month) / 1;
  return first.time_since_epoch().count() + cycles * kDaysPer400Years;
}

struct CivilDate {
  std::int64_t year;
  unsigned month;
  unsigned day;
};

CivilDate CivilFromDays(std::int64_t days) {
  const std::int64_t cycles = FloorDiv(days, kDaysPer400Years);
  const chrono::year_month_day date{chrono::sys_days{chrono::days{days - cycles * kDaysPer400Years}}};
  return {static_cast<int>(date.year()) + cycles * 400, static_cast<unsigned>(date.month()),
          static_cast<unsigned>(date.day())};
}

// Day serial 0 is 1899-12-30, which is 25569 days before 1970-01-01.
constexpr std::int64_t kSerialZeroFromUnixDays = -25569;

// Day serials far outside any calendar anyone writes are not dates; keeping them out also keeps
// every conversion below inside the range of a 64-bit integer.
constexpr double kLargestSerial = 1e9;

// Reads 1 to `maxDigits` digits at the start of `text` and removes them from it.
bool ReadNumber(std::string_view& text, std::size_t minDigits, std::size_t maxDigits, int& value) {
  std::size_t n = 0;
  while (n < text.size() && n < maxDigits && text[n] >= '0' && text[n] <= '9') ++n;
  if (n < minDigits) return false;
  std::from_chars(text.data(), text.data() + n, value);
  text.remove_prefix(n);
  return true;
}

bool Expect(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

}  // namespace

DaySerial DateFromParts(std::int64_t year, std::int64_t month, std::int64_t day) {
  const std::int64_t yearsCarried = FloorDiv(month - 1, 12);
  const auto monthInYear = static_cast<unsigned>(month - yearsCarried * 12);
  const std::int64_t days = DaysToFirstOfMonth(year + yearsCarried, monthInYear) + (day - 1);
  return static_cast<double>(days - kSerialZeroFromUnixDays);
}

double TimeFromParts(std::int64_t hours, std::int64_t minutes, std::int64_t seconds) {
  return static_cast<double>(hours * 3600 + minutes * 60 + seconds) / (24.0 * 3600.0);
}

char* WriteDateText(char* out, DaySerial serial) {
  if (!std::isfinite(serial) || std::fabs(serial) > kLargestSerial) return out;
  const auto totalSeconds = static_cast<std::int64_t>(std::llround(serial * 86400.0));
  const std::int64_t days = FloorDiv(totalSeconds, 86400);
  const std::int64_t secondOfDay = totalSeconds - days * 86400;
  const CivilDate date = CivilFromDays(days + kSerialZeroFromUnixDays);
  if (date.year < 0 || date.year > 9999) {
    const int length = std::snprintf(out, kLongestDateText, "%04lld/%02u/%02u %02d:%02d:%02d",
                                     static_cast<long long>(date.year), date.month, date.day,
                                     static_cast<int>(secondOfDay / 3600), static_cast<int>(secondOfDay / 60 % 60),
                                     static_cast<int>(secondOfDay % 60));
    return out + std::clamp(length, 0, static_cast<int>(kLongestDateText) - 1);
  }
  // Every track point has one of these texts: written digit by digit, not through printf.
  const auto put = [&](std::size_t at, std::int64_t value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10) out[at + static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
  };
  put(0, date.year, 4);
  out[4] = '/';
  put(5, date.month, 2);
  out[7] = '/';
  put(8, date.day, 2);
  out[10] = ' ';
  put(11, secondOfDay / 3600, 2);
  out[13] = ':';
  put(14, secondOfDay / 60 % 60, 2);
  out[16] = ':';
  put(17, secondOfDay % 60, 2);
  return out + 19;
}

std::optional<std::int64_t> SerialSeconds(DaySerial serial) {
  if (!std::isfinite(serial) || std::fabs(serial) > kLargestSerial) return std::nullopt;
  return static_cast<std::int64_t>(std::llround(serial * 86400.0));
}

std::string DateText(DaySerial serial) {
  char text[kLongestDateText];
  return {text, WriteDateText(text, serial)};
}

std::string IsoUtcText(std::int64_t unixTime, double fraction, int fractionDigits) {
  const std::int64_t days = FloorDiv(unixTime, 86400);
  const std::int64_t secondOfDay = unixTime - days * 86400;
  const CivilDate date = CivilFromDays(days);
  char text[96];
  int length = std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02d:%02d:%02d", static_cast<long long>(date.year),
                             date.month, date.day, static_cast<int>(secondOfDay / 3600),
                             static_cast<int>(secondOfDay / 60 % 60), static_cast<int>(secondOfDay % 60));
  if (fractionDigits > 0) {
    // "0.25": the digits from the point on. A fraction read from k digits prints back as those
    // k digits, since k is at most 15 and a double holds 15 significant digits exactly.
    char digits[48];
    std::snprintf(digits, sizeof digits, "%.*f", std::min(fractionDigits, 30), fraction);
    length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), "%s", digits + 1);
  }
  return std::string(text, static_cast<std::size_t>(length)) + "Z";
}

std::optional<DaySerial> ParseDateText(std::string_view text) {
  int year = 0, month = 0, day = 0, hours = 0, minutes = 0, seconds = 0;
  if (!ReadNumber(text, 4, 4, year) || !Expect(text, '/') || !ReadNumber(text, 1, 2, month) ||
      !Expect(text, '/') || !ReadNumber(text, 1, 2, day)) {
    return std::nullopt;
  }
  if (!text.empty()) {
    if (!Expect(text, ' ') || !ReadNumber(text, 1, 2, hours) || !Expect(text, ':') ||
        !ReadNumber(text, 1, 2, minutes) || !Expect(text, ':') ||
        !ReadNumber(text, 1, 2, seconds) || !text.empty()) {
      return std::nullopt;
    }
  }
  // Month 1..12 and day 1..the month's last; the digits read keep each part small enough to hold.
  const chrono::year_month_day date{chrono::year(year), chrono::month(static_cast<unsigned>(month)),
                                    chrono::day(static_cast<unsigned>(day))};
  if (!date.ok()) return std::nullopt;
  if (hours > 23 || minutes > 59 || seconds > 59) return std::nullopt;
  return DateFromParts(year, month, day) + TimeFromParts(hours, minutes, seconds);
}

}  // namespace routelet
