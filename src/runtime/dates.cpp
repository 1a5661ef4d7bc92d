#include "runtime/dates.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace routelet {
namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (month 1..12).
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
  y -= m <= 2;
  const std::int64_t era = FloorDiv(y, 400);
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct CivilDate {
  std::int64_t year;
  int month;
  int day;
};

CivilDate CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = FloorDiv(z, 146097);
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (month <= 2), month, day};
}

// Day serial 0 is 1899-12-30, which is 25569 days before 1970-01-01.
constexpr std::int64_t kSerialZeroFromUnixDays = -25569;

// Day serials far outside any calendar anyone writes are not dates; keeping them out also keeps
// every conversion below inside the range of a 64-bit integer.
constexpr double kLargestSerial = 1e9;

bool IsLeapYear(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(std::int64_t year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

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
  const std::int64_t monthsFromZero = month - 1;
  year += FloorDiv(monthsFromZero, 12);
  month = monthsFromZero - FloorDiv(monthsFromZero, 12) * 12 + 1;
  const std::int64_t days = DaysFromCivil(year, month, 1) + (day - 1);
  return static_cast<double>(days - kSerialZeroFromUnixDays);
}

double TimeFromParts(std::int64_t hours, std::int64_t minutes, std::int64_t seconds) {
  return static_cast<double>(hours * 3600 + minutes * 60 + seconds) / (24.0 * 3600.0);
}

std::string DateText(DaySerial serial) {
  if (!std::isfinite(serial) || std::fabs(serial) > kLargestSerial) return {};
  const auto totalSeconds = static_cast<std::int64_t>(std::llround(serial * 86400.0));
  const std::int64_t days = FloorDiv(totalSeconds, 86400);
  const std::int64_t secondOfDay = totalSeconds - days * 86400;
  const CivilDate date = CivilFromDays(days + kSerialZeroFromUnixDays);
  if (date.year < 0 || date.year > 9999) {
    char text[64];
    std::snprintf(text, sizeof text, "%04lld/%02d/%02d %02d:%02d:%02d", static_cast<long long>(date.year),
                  date.month, date.day, static_cast<int>(secondOfDay / 3600),
                  static_cast<int>(secondOfDay / 60 % 60), static_cast<int>(secondOfDay % 60));
    return text;
  }
  // Every track point has one of these texts: written digit by digit, not through printf.
  std::string text = "0000/00/00 00:00:00";
  const auto put = [&](std::size_t at, std::int64_t value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10) text[at + static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
  };
  put(0, date.year, 4);
  put(5, date.month, 2);
  put(8, date.day, 2);
  put(11, secondOfDay / 3600, 2);
  put(14, secondOfDay / 60 % 60, 2);
  put(17, secondOfDay % 60, 2);
  return text;
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
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
  if (hours > 23 || minutes > 59 || seconds > 59) return std::nullopt;
  return DateFromParts(year, month, day) + TimeFromParts(hours, minutes, seconds);
}

}  // namespace routelet
