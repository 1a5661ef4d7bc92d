#include "track/build_track.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "runtime/dates.h"
#include "runtime/numbers.h"
#include "runtime/text_helpers.h"
#include "runtime/utf8.h"
#include "track/great_circle.h"
#include "track/nmea_sentence.h"
#include "track/utc_offset.h"

namespace routelet {
namespace {

using Fields = std::vector<std::string_view>;

// Both kinds are read up to field 9; a sentence with fewer fields is cut off or damaged.
constexpr std::size_t kMinFields = 10;

// Field numbers of a position sentence: $xxRMC,time,status,lat,N/S,lng,E/W,speed,course,date,...
constexpr std::size_t kRmcTime = 1;
constexpr std::size_t kRmcStatus = 2;
constexpr std::size_t kRmcLat = 3;
constexpr std::size_t kRmcNorthSouth = 4;
constexpr std::size_t kRmcLng = 5;
constexpr std::size_t kRmcEastWest = 6;
constexpr std::size_t kRmcDate = 9;
// Field number of the altitude above mean sea level in a fix sentence: $xxGGA,...,alt,M,...
constexpr std::size_t kGgaAltitude = 9;

constexpr std::size_t kTimeDigits = 6;  // hhmmss, and ddmmyy
constexpr int kMaxFractionDigits = 15;  // beyond these a digit cannot change the double

// The instant of Unix time 0 for a track before any timed fix: the day serial 0.
constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kUnixTimeOfSerialZero =
    -static_cast<std::int64_t>(kUnixEpochSerial) * kSecondsPerDay;

// What a usable position sentence says.
struct PositionFix {
  double lat = 0;
  double lng = 0;
  bool timed = false;
  DaySerial instant = 0;  // UTC, whole seconds; only when timed
  std::int64_t unixTime = 0;
  double fraction = 0;
  int fractionDigits = 0;  // the digits that make `fraction`, as many as the log wrote (at most 15)
};

// "ddmm.mmmm" or "dddmm.mmmm" to degrees: the whole degrees are the integer part (rounded
// half to even) divided by 100; the rest are minutes. False when the number is too large.
bool NmeaDegrees(std::string_view field, double& degrees) {
  const double raw = Val(field);
  const std::optional<std::int32_t> whole = ToInt32(raw);
  if (!whole) return false;
  const std::int32_t wholeDegrees = *whole / 100;
  degrees = (raw - wholeDegrees * 100) / 60 + wholeDegrees;
  return true;
}

// A time field "hhmmss" or "hhmmss." followed by digits: the six digits' text, the fraction
// of a second and how many of its digits were read. False for every other form, which leaves the
// record untimed.
bool SplitTimeField(std::string_view field, std::string_view& wholeSeconds, double& fraction, int& used) {
  fraction = 0;
  used = 0;
  if (Utf16Length(field) == kTimeDigits) {
    wholeSeconds = field;
    return true;
  }
  const std::string_view head = field.substr(0, kTimeDigits);
  if (field.size() < kTimeDigits + 2 || field[kTimeDigits] != '.' ||
      Utf16Length(head) != kTimeDigits) {
    return false;
  }
  std::uint64_t digits = 0;
  double scale = 1;
  for (char c : field.substr(kTimeDigits + 1)) {
    if (c < '0' || c > '9') return false;
    if (used++ < kMaxFractionDigits) {
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      scale *= 10;
    }
  }
  wholeSeconds = head;
  used = std::min(used, kMaxFractionDigits);
  fraction = static_cast<double>(digits) / scale;
  return true;
}

// The UTC instant of a time "hhmmss" and a date "ddmmyy" (years 2000 + yy); parts out of range
// carry into the next larger unit. False when a number cannot be converted.
bool ReadInstant(std::string_view time, std::string_view date, PositionFix& fix) {
  const std::optional<std::int32_t> t = ToInt32(Val(time));
  const std::optional<std::int32_t> d = ToInt32(Val(date));
  if (!t || !d) return false;
  fix.instant = DateFromParts(2000 + *d % 100, (*d / 100) % 100, *d / 10000) +
                TimeFromParts(*t / 10000, (*t / 100) % 100, *t % 100);
  const std::optional<std::int64_t> unixTime =
      ToInt64((fix.instant - kUnixEpochSerial) * 60 * 60 * 24);
  if (!unixTime) return false;
  fix.unixTime = *unixTime;
  return true;
}

// A position sentence's fix, or false when it makes no record: too few fields, no fix (status
// "V" or an empty coordinate), or a number that cannot be converted.
bool ReadPosition(const Fields& f, PositionFix& fix) {
  if (f.size() < kMinFields) return false;
  if (f[kRmcStatus] == "V" || f[kRmcLat].empty() || f[kRmcLng].empty()) return false;
  if (!NmeaDegrees(f[kRmcLat], fix.lat) || !NmeaDegrees(f[kRmcLng], fix.lng)) return false;
  if (f[kRmcNorthSouth] == "S") fix.lat = -fix.lat;
  if (f[kRmcEastWest] == "W") fix.lng = -fix.lng;

  std::string_view wholeSeconds;
  fix.timed = SplitTimeField(f[kRmcTime], wholeSeconds, fix.fraction, fix.fractionDigits) &&
              Utf16Length(f[kRmcDate]) == kTimeDigits;
  if (!fix.timed) {
    fix.fraction = 0;
    fix.fractionDigits = 0;
    return true;
  }
  return ReadInstant(wholeSeconds, f[kRmcDate], fix);
}

// The altitude that position sentences carry: the latest fix sentence's, as a 32-bit float.
struct CarriedAltitude {
  float metres = 0;
  bool known = false;  // the sentence had an altitude; an empty field reads as 0 but is not known
};

// A fix sentence's altitude as the nearest 32-bit float, or false when it has too few fields or
// an altitude no float can hold.
bool ReadAltitude(const Fields& f, CarriedAltitude& altitude) {
  if (f.size() < kMinFields) return false;
  const double metres = Val(f[kGgaAltitude]);
  if (!(std::fabs(metres) <= std::numeric_limits<float>::max())) return false;
  altitude = {static_cast<float>(metres), !f[kGgaAltitude].empty()};
  return true;
}

// A receiver that reports each fix under two talkers ($GPRMC and $GARMC) gives the same fix twice.
bool RepeatsRecord(const TrackRecord& previous, const PositionFix& fix) {
  return fix.timed && previous.UnixTime == fix.unixTime && previous.Fraction == fix.fraction &&
         previous.Lat == fix.lat && previous.Lng == fix.lng;
}

// Builds the records sentence by sentence; distances and speeds follow once all are in.
class TrackBuilder {
 public:
  TrackBuilder(std::vector<TrackRecord>& records, TimeSpan& span) : records_(records), span_(span) {}

  void Add(std::string_view line) {
    const SentenceKind kind = KindOfSentence(line);
    std::string_view body;
    if (kind == SentenceKind::kOther || !CheckSentence(line, body)) return;
    // Fields past the last one read stay in one piece: a line of a million commas costs what a
    // short one does.
    SplitFields(body, ",", fields_, kMinFields + 1);
    if (kind == SentenceKind::kFix) {
      ReadAltitude(fields_, altitude_);
      return;
    }
    PositionFix fix;
    if (!ReadPosition(fields_, fix)) return;
    if (!records_.empty() && RepeatsRecord(records_.back(), fix)) return;
    if (fix.timed) NoteTimedFix(fix);
    AppendRecord(fix);
  }

 private:
  void NoteTimedFix(const PositionFix& fix) {
    lastFixInstant_ = fix.instant;
    lastFixUnixTime_ = fix.unixTime;
    span_.Widen(fix.unixTime);
  }

  void AppendRecord(const PositionFix& fix) {
    TrackRecord& record = records_.emplace_back();
    record.UnixTime = fix.timed ? fix.unixTime : 0;
    record.Fraction = fix.fraction;
    record.FractionDigits = static_cast<std::uint8_t>(fix.fractionDigits);
    record.Lat = fix.lat;
    record.Lng = fix.lng;
    record.Alt = altitude_.metres;
    record.AltKnown = altitude_.known;
    // Local time of the latest timed fix, with the offset in effect at that instant.
    const std::int32_t offset = offsets_.OffsetAt(lastFixUnixTime_);
    record.LocalTime = offset / 60.0 / 24.0 + lastFixInstant_;
  }

  std::vector<TrackRecord>& records_;
  TimeSpan& span_;
  Fields fields_;
  UtcOffsetCache offsets_;
  CarriedAltitude altitude_;
  DaySerial lastFixInstant_ = 0;
  std::int64_t lastFixUnixTime_ = kUnixTimeOfSerialZero;
};

// km/h for `km` covered from `from` to `to`; 0 unless both are timed and time moved forward.
double SpeedKmh(double km, const TrackRecord& from, const TrackRecord& to) {
  if (!IsTimed(from) || !IsTimed(to)) return 0;
  const double seconds =
      static_cast<double>(to.UnixTime - from.UnixTime) + (to.Fraction - from.Fraction);
  if (!(seconds > 0)) return 0;
  return km * 3600 / seconds;
}

void AddDistances(std::vector<TrackRecord>& r) {
  for (std::size_t i = 1; i < r.size(); ++i) {
    r[i].Dist = r[i - 1].Dist + GreatCircleKm(r[i - 1].Lat, r[i - 1].Lng, r[i].Lat, r[i].Lng);
  }
}

// Each inner point's speed is taken across its two neighbours; the ends use their one neighbour.
void AddSpeeds(std::vector<TrackRecord>& r) {
  const std::size_t n = r.size();
  if (n < 2) return;
  for (std::size_t i = 1; i + 1 < n; ++i) {
    r[i].Speed = SpeedKmh(r[i + 1].Dist - r[i - 1].Dist, r[i - 1], r[i + 1]);
  }
  r[0].Speed = SpeedKmh(r[1].Dist, r[0], r[1]);
  r[n - 1].Speed = SpeedKmh(r[n - 1].Dist - r[n - 2].Dist, r[n - 2], r[n - 1]);
}

// The whole distance over the time from the first timed record to the last.
double AverageSpeed(const std::vector<TrackRecord>& r, double totalKm) {
  const TrackRecord* first = nullptr;
  const TrackRecord* last = nullptr;
  for (const TrackRecord& record : r) {
    if (!IsTimed(record)) continue;
    if (first == nullptr) first = &record;
    last = &record;
  }
  return first != nullptr ? SpeedKmh(totalKm, *first, *last) : 0;
}

std::size_t CountPositionSentences(const GpsLog& log) {
  std::size_t count = 0;
  for (std::string_view line : log.Lines) {
    if (KindOfSentence(line) == SentenceKind::kPosition) ++count;
  }
  return count;
}

}  // namespace

Track BuildTrack(const GpsLog& log) {
  Track track;
  std::vector<TrackRecord>& records = track.Records;
  records.reserve(CountPositionSentences(log));
  TrackBuilder builder(records, track.Span);
  for (std::string_view line : log.Lines) builder.Add(line);
  records.shrink_to_fit();

  AddDistances(records);
  AddSpeeds(records);
  track.TotalDist = records.empty() ? 0 : records.back().Dist;
  track.AvgSpeed = AverageSpeed(records, track.TotalDist);
  return track;
}

}  // namespace routelet
