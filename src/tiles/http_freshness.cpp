#include "tiles/http_freshness.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

#include "runtime/dates.h"
#include "runtime/letter_case.h"
#include "runtime/text_helpers.h"

namespace routelet {
namespace {

std::optional<std::int64_t> Number(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

// The value of header `name` (lower case) among `lines`, the first one; empty when none.
std::optional<std::string> HeaderValue(const std::vector<std::string_view>& lines, std::string_view name) {
  for (const std::string_view line : lines) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    if (FoldedCase(Trimmed(line.substr(0, colon))) == name) return FoldedCase(Trimmed(line.substr(colon + 1)));
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::int64_t> HttpDateSeconds(std::string_view text) {
  // IMF-fixdate, the form servers send: "Sun, 06 Nov 1994 08:49:37 GMT" (letter case ignored).
  static constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                               "jul", "aug", "sep", "oct", "nov", "dec"};
  const std::string lower = FoldedCase(Trimmed(text));
  if (lower.size() != 29 || lower.substr(25) != " gmt") return std::nullopt;
  const auto month = std::find(kMonths.begin(), kMonths.end(), std::string_view(lower).substr(8, 3));
  const auto day = Number(std::string_view(lower).substr(5, 2));
  const auto year = Number(std::string_view(lower).substr(12, 4));
  const auto hour = Number(std::string_view(lower).substr(17, 2));
  const auto minute = Number(std::string_view(lower).substr(20, 2));
  const auto second = Number(std::string_view(lower).substr(23, 2));
  if (month == kMonths.end() || !day || !year || !hour || !minute || !second) return std::nullopt;
  const DaySerial date = DateFromParts(*year, month - kMonths.begin() + 1, *day);
  return static_cast<std::int64_t>(date - kUnixEpochSerial) * 86400 + *hour * 3600 + *minute * 60 + *second;
}

Freshness FreshnessOf(const std::vector<std::string_view>& headerLines) {
  Freshness freshness;
  if (const auto control = HeaderValue(headerLines, "cache-control")) {
    if (control->find("no-store") != std::string::npos) return {false, 0};
    if (control->find("no-cache") != std::string::npos) return {true, 0};
    if (const std::size_t at = control->find("max-age="); at != std::string::npos) {
      const std::string_view rest = std::string_view(*control).substr(at + 8);
      const auto maxAge = Number(rest.substr(0, rest.find_first_of(", ")));
      if (maxAge) {
        const auto age = Number(HeaderValue(headerLines, "age").value_or("0"));
        freshness.Seconds = std::max<std::int64_t>(0, *maxAge - age.value_or(0));
        return freshness;
      }
    }
  }
  const auto expires = HeaderValue(headerLines, "expires");
  const auto date = HeaderValue(headerLines, "date");
  if (expires && date) {
    const auto until = HttpDateSeconds(*expires), now = HttpDateSeconds(*date);
    if (until && now) freshness.Seconds = std::max<std::int64_t>(0, *until - *now);
  }
  return freshness;
}

}  // namespace routelet
