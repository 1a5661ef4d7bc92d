#include "nmea_log_writer.h"

#include <cmath>
#include <cstdarg>
#include <ctime>
#include <string>

namespace routelet::bench {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMetresPerDegreeLat = 111320.0;
constexpr double kKnotsPerMetrePerSecond = 3600.0 / 1852.0;
constexpr std::int64_t kStartUnixTime = 1320451200;  // 2011-11-05 00:00:00 UTC

// A small, fast generator with a fixed sequence for a given seed (xorshift64*).
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  double Uniform() {  // [0, 1)
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<double>((state_ * 0x2545F4914F6CDD1Dull) >> 11) * 0x1.0p-53;
  }
  double Between(double low, double high) { return low + (high - low) * Uniform(); }

 private:
  std::uint64_t state_;
};

// A vehicle on city and country roads: speed eases toward a target that changes now and then,
// with stops; the heading wanders and sometimes turns.
struct Vehicle {
  double lat = 35.6812;
  double lng = 139.7671;
  double altitude = 40;
  double speed = 0;  // m/s
  double targetSpeed = 12;
  double heading = 45;  // degrees from north

  void Step(Random& random) {
    if (random.Uniform() < 0.01) targetSpeed = random.Uniform() < 0.15 ? 0 : random.Between(5, 30);
    speed += std::fmax(-3.0, std::fmin(2.0, (targetSpeed - speed) * 0.2));
    if (speed < 0.05) speed = 0;
    heading += random.Between(-2, 2);
    if (random.Uniform() < 0.005) heading += random.Uniform() < 0.5 ? 90 : -90;
    heading = std::fmod(heading + 360, 360);
    altitude = std::fmax(-10.0, std::fmin(2500.0, altitude + random.Between(-0.5, 0.5)));
    const double north = speed * std::cos(heading * kPi / 180);
    const double east = speed * std::sin(heading * kPi / 180);
    lat += north / kMetresPerDegreeLat;
    lng += east / (kMetresPerDegreeLat * std::cos(lat * kPi / 180));
    if (lat > 89 || lat < -89) heading = std::fmod(heading + 180, 360);
    if (lng > 180) lng -= 360;
    if (lng < -180) lng += 360;
  }
};

// Appends one sentence: "$" + body + "*" + checksum + CR LF.
void AppendSentence(std::string& out, const char* format, ...) {
  char body[160];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(body, sizeof body, format, args);
  va_end(args);
  if (length < 0) return;
  unsigned sum = 0;
  for (int i = 0; i < length && i < static_cast<int>(sizeof body) - 1; ++i) {
    sum ^= static_cast<unsigned char>(body[i]);
  }
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  out.append("$").append(body).append(tail);
}

// "ddmm.mmmmm" (or "dddmm.mmmmm") and the hemisphere letter.
void NmeaCoordinate(double degrees, int degreeDigits, char positive, char negative, char* text,
                    std::size_t size, char& hemisphere) {
  hemisphere = degrees < 0 ? negative : positive;
  // Rounded once, in units of 0.00001 minute, so that 59.999996 minutes never prints as "60".
  constexpr long long kUnitsPerDegree = 60LL * 100000;
  const long long units = std::llround(std::fabs(degrees) * kUnitsPerDegree);
  std::snprintf(text, size, "%0*lld%02lld.%05lld", degreeDigits, units / kUnitsPerDegree,
                units % kUnitsPerDegree / 100000, units % 100000);
}

void AppendEpoch(std::string& out, const Vehicle& v, std::int64_t unixTime, Random& random) {
  const std::time_t instant = static_cast<std::time_t>(unixTime);
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &instant);
#else
  gmtime_r(&instant, &utc);
#endif
  char time[40];  // room for any int, so the compiler sees no truncation
  char date[40];
  std::snprintf(time, sizeof time, "%02d%02d%02d.00", utc.tm_hour, utc.tm_min, utc.tm_sec);
  std::snprintf(date, sizeof date, "%02d%02d%02d", utc.tm_mday, utc.tm_mon + 1, utc.tm_year % 100);
  char lat[24];
  char lng[24];
  char ns;
  char ew;
  NmeaCoordinate(v.lat, 2, 'N', 'S', lat, sizeof lat, ns);
  NmeaCoordinate(v.lng, 3, 'E', 'W', lng, sizeof lng, ew);

  AppendSentence(out, "GPGGA,%s,%s,%c,%s,%c,1,10,0.9,%.1f,M,39.5,M,,", time, lat, ns, lng, ew,
                 v.altitude);
  AppendSentence(out, "GPGSA,A,3,02,05,07,09,13,16,20,26,29,30,,,1.6,0.9,1.3");
  for (int part = 1; part <= 3; ++part) {
    int satellite[4];
    int strength[4];
    for (int k = 0; k < 4; ++k) {
      satellite[k] = part * 8 + k * 2;
      strength[k] = static_cast<int>(random.Between(20, 48));
    }
    AppendSentence(out, "GPGSV,3,%d,12,%02d,%02d,%03d,%02d,%02d,%02d,%03d,%02d,%02d,%02d,%03d,%02d,%02d,%02d,%03d,%02d",
                   part, satellite[0], 10 + part * 7, part * 40, strength[0], satellite[1],
                   20 + part * 5, part * 40 + 60, strength[1], satellite[2], 30 + part * 3,
                   part * 40 + 120, strength[2], satellite[3], 40 + part, part * 40 + 180,
                   strength[3]);
  }
  AppendSentence(out, "GPRMC,%s,A,%s,%c,%s,%c,%.2f,%.2f,%s,,,A", time, lat, ns, lng, ew,
                 v.speed * kKnotsPerMetrePerSecond, v.heading, date);
}

}  // namespace

bool WriteNmeaLog(std::FILE* out, std::int64_t fixes, std::uint64_t seed) {
  Random random(seed);
  Vehicle vehicle;
  std::string epoch;
  for (std::int64_t i = 0; i < fixes; ++i) {
    epoch.clear();
    AppendEpoch(epoch, vehicle, kStartUnixTime + i, random);
    if (std::fwrite(epoch.data(), 1, epoch.size(), out) != epoch.size()) return false;
    vehicle.Step(random);
  }
  return std::fflush(out) == 0;
}

}  // namespace routelet::bench
