#pragma once
// Helpers for the track tests: a time zone set for one test, and kept lines made from literals.
#include <stdlib.h>
#include <time.h>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "track/log_lines.h"

namespace routelet::testing {

// Sets TZ (as the C library reads it) for the life of the object, then restores the old value.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = getenv("TZ")) previous_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (previous_) {
      setenv("TZ", previous_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<std::string> previous_;
};

// Fills `list` as the log reader would: one buffer, each line a view into it.
inline void FillLogLines(LogLineList& list, const std::vector<std::string>& lines) {
  list.buffer.clear();
  list.lines.clear();
  for (const std::string& line : lines) list.buffer.append(line).append("\r\n");
  std::size_t start = 0;
  for (const std::string& line : lines) {
    list.lines.emplace_back(list.buffer.data() + start, line.size());
    start += line.size() + 2;
  }
}

// The sentence followed by "*" and the two-digit checksum of what lies between "$" and the end.
inline std::string WithChecksum(const std::string& sentence) {
  unsigned sum = 0;
  for (std::size_t i = 1; i < sentence.size(); ++i) sum ^= static_cast<unsigned char>(sentence[i]);
  char suffix[4];
  std::snprintf(suffix, sizeof suffix, "*%02X", sum);
  return sentence + suffix;
}

}  // namespace routelet::testing
