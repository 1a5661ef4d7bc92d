#pragma once
// Dates as day serials, and the texts of dates that the page shows and photos hold.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace routelet {

// Days since 1899-12-30; the fraction is the time of day (0.5 is noon).
using DaySerial = double;

// 1970-01-01 00:00:00.
inline constexpr DaySerial kUnixEpochSerial = 25569.0;

// Midnight of a date in the proleptic Gregorian calendar. Months outside 1..12 carry into the
// year; days outside the month carry into the neighbouring months (day 0 is the day before the 1st).
DaySerial DateFromParts(std::int64_t year, std::int64_t month, std::int64_t day);

// (hours * 3600 + minutes * 60 + seconds) / 86400; may reach or pass 1.
double TimeFromParts(std::int64_t hours, std::int64_t minutes, std::int64_t seconds);

// "yyyy/mm/dd hh:nn:ss", rounded to the nearest second.
std::string DateText(DaySerial serial);
// DateText written at `out`, which has room for kLongestDateText characters, without a text of
// its own (a page writes one per track point); returns the end.
inline constexpr std::size_t kLongestDateText = 64;
char* WriteDateText(char* out, DaySerial serial);
// The whole seconds since 1899-12-30 00:00 that DateText writes the serial as; empty for a
// serial DateText writes as nothing (not finite, or far outside any calendar).
std::optional<std::int64_t> SerialSeconds(DaySerial serial);

// Unix seconds as a UTC time in ISO 8601, "yyyy-mm-ddThh:nn:ssZ". With `fractionDigits` above 0,
// `fraction` (0 <= fraction < 1) follows the seconds with that many digits ("...:28.25Z").
std::string IsoUtcText(std::int64_t unixTime, double fraction = 0, int fractionDigits = 0);

// Reads "yyyy/mm/dd" optionally followed by one blank and "hh:nn:ss". Empty unless the numbers
// form a real calendar date (month 1..12, day within the month) and time (0..23, 0..59, 0..59).
std::optional<DaySerial> ParseDateText(std::string_view text);

}  // namespace routelet
