#pragma once
// How long a server lets a response be used again without asking it, from the response's
// caching headers (Cache-Control, Age, Expires, Date).
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace routelet {

// What a response's caching headers allow.
struct Freshness {
  bool Storable = true;     // false for "no-store": not to be kept at all
  std::int64_t Seconds = 0; // how long it may be reused without asking; 0: ask every time
};

// The freshness the header lines of one response give ("Name: value", any letter case): a
// Cache-Control max-age less the Age, else Expires less Date; "no-cache" and "no-store" make it
// 0, "no-store" also not storable. Neither header: 0 (the response is asked for again).
Freshness FreshnessOf(const std::vector<std::string_view>& headerLines);

// The seconds since 1970 of an HTTP date ("Sun, 06 Nov 1994 08:49:37 GMT"); empty when it is not one.
std::optional<std::int64_t> HttpDateSeconds(std::string_view text);

}  // namespace routelet
