#pragma once
// Writes a synthetic GPS log: a vehicle driving at 1 Hz, each second's fix written as a
// receiver does (GGA, GSA, three GSV, RMC), with checksums and CR LF line ends. The log is
// written as it is made, line by line, so its size is not limited by memory.
#include <cstdint>
#include <cstdio>

namespace routelet::bench {

// Writes `fixes` seconds of track to `out`. The same seed gives the same log. Returns false when
// a write fails.
bool WriteNmeaLog(std::FILE* out, std::int64_t fixes, std::uint64_t seed = 1);

}  // namespace routelet::bench
