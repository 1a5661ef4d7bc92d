// make_nmea_log PATH FIXES [SEED]: writes a synthetic 1 Hz GPS log of FIXES seconds to PATH
// (about 410 bytes per fix: 200,000 fixes make about 80 MB, 2,600,000 about 1 GB).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "nmea_log_writer.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: %s PATH FIXES [SEED]\n", argv[0]);
    return 2;
  }
  char* end = nullptr;
  const long long fixes = std::strtoll(argv[2], &end, 10);
  if (*end != '\0' || fixes < 0) {
    std::fprintf(stderr, "FIXES must be a whole number of seconds: %s\n", argv[2]);
    return 2;
  }
  const unsigned long long seed = argc == 4 ? std::strtoull(argv[3], nullptr, 10) : 1;
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "%s: %s\n", argv[1], std::strerror(errno));
    return 1;
  }
  static char buffer[1 << 20];
  std::setvbuf(out, buffer, _IOFBF, sizeof buffer);
  const bool written = routelet::bench::WriteNmeaLog(out, fixes, seed);
  if (std::fclose(out) != 0 || !written) {
    std::fprintf(stderr, "%s: write failed\n", argv[1]);
    return 1;
  }
  return 0;
}
