#pragma once
// A generated log of everything that cutting a log into chunks must not change.
#include <cstdio>
#include <random>
#include <string>

namespace routelet::testing {

// A log of what chunk borders must not change: fixes repeated under a second talker, fixes
// without a time (or with a fraction), without a fix or an altitude, damaged sentences, other
// sentences, and all three line ends.
inline std::string AwkwardLog(int seconds) {
  std::minstd_rand random(16);
  const auto pick = [&](unsigned n) { return random() % n; };
  const char* const endings[] = {"\r\n", "\n", "\r"};
  std::string log;
  char line[160];
  for (int s = 0; s < seconds; ++s) {
    const int t = 22 * 3600 + 50 * 60 + s / 2;  // two fixes a second, over midnight
    const char* fraction = pick(3) == 0 ? ".50" : "";
    std::snprintf(line, sizeof line, "$GPGGA,000000,3539.1,N,13945.6,E,1,08,1.0,%s,M,,M,,", pick(4) == 0 ? "" : std::to_string(s % 97).c_str());
    if (pick(3) != 0) log += std::string(pick(5) == 0 ? "$GPGGA,1,2" : line) + endings[pick(3)];
    std::snprintf(line, sizeof line, "RMC,%02d%02d%02d%s,%s,3539.%04d,N,13945.%04d,E,0.0,0.0,%s,,,A", t / 3600 % 24,
                  t / 60 % 60, t % 60, pick(9) == 0 ? ".5x" : fraction, pick(11) == 0 ? "V" : "A", s / 3 % 10000,
                  s * 7 % 10000, t >= 86400 ? "061111" : "051111");
    const int copies = pick(4) == 0 ? 2 : 1;
    for (int c = 0; c < copies; ++c) log += std::string(c == 0 ? "$GP" : "$GA") + line + endings[pick(3)];
    if (pick(4) == 0) log += std::string("$GPGSV,3,1,12") + endings[pick(3)];
    // A fix without a time, the same position at Unix time 0, which repeats it, and one more.
    if (pick(40) == 0) log += "$GPRMC,,A,3539.1,N,13945.6,E,,,051111,,,A\n$GPRMC,240000,A,3539.1,N,13945.6,E,,,-01129,,,A\n"
                             "$GPRMC,,A,3539.2,N,13945.6,E,,,051111,,,A\n";
  }
  return log;
}

}  // namespace routelet::testing
