#include "photos/camera_clock.h"

#include "runtime/numbers.h"

namespace routelet {
namespace {

constexpr std::int32_t kMaxOffsetMinutes = 14 * 60;
constexpr std::int64_t kMaxShiftSeconds = 10LL * 366 * 86400;

// The value of `digits` decimal digits at the front of `text`; empty when any is not a digit.
std::optional<std::int64_t> Digits(std::string_view text, std::size_t digits) {
  if (text.size() < digits || digits == 0) return std::nullopt;
  std::int64_t value = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// Unix seconds of a capture time on a clock `offsetMinutes` east of UTC. The arithmetic runs in
// this exact order in doubles so that a time of day that is not exact in binary still rounds to
// its second; for Japan time it is the same arithmetic, bit for bit, as with the constant 9 hours.
std::optional<std::int64_t> UtcSeconds(DaySerial captured, std::int32_t offsetMinutes) {
  return ToInt64(((captured - kUnixEpochSerial) * 24 - offsetMinutes / 60.0) * 60 * 60);
}

}  // namespace

std::optional<std::int32_t> ParseUtcOffsetText(std::string_view text) {
  if (text.size() != 6 || (text[0] != '+' && text[0] != '-') || text[3] != ':') return std::nullopt;
  const auto hours = Digits(text.substr(1), 2);
  const auto minutes = Digits(text.substr(4), 2);
  if (!hours || !minutes || *minutes >= 60) return std::nullopt;
  const auto offset = static_cast<std::int32_t>(*hours * 60 + *minutes);
  if (offset > kMaxOffsetMinutes) return std::nullopt;
  return text[0] == '-' ? -offset : offset;
}

std::optional<CameraZone> ParseCameraZone(std::string_view text) {
  if (text == "UTC") return CameraZone{0, ""};
  if (const auto offset = ParseUtcOffsetText(text)) return CameraZone{*offset, ""};
  if (IsZoneName(text)) return CameraZone{0, std::string(text)};
  return std::nullopt;
}

std::optional<std::int64_t> ParseClockShift(std::string_view text) {
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  std::optional<std::int64_t> seconds;
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) {
    if (text.size() <= 9) seconds = Digits(text, text.size());
  } else if (colon <= 5 && text.size() == colon + 6 && text[colon + 3] == ':') {
    const auto hours = Digits(text, colon);
    const auto minutes = Digits(text.substr(colon + 1), 2);
    const auto secs = Digits(text.substr(colon + 4), 2);
    if (hours && minutes && secs && *minutes < 60 && *secs < 60) seconds = *hours * 3600 + *minutes * 60 + *secs;
  }
  if (!seconds || *seconds > kMaxShiftSeconds) return std::nullopt;
  return negative ? -*seconds : *seconds;
}

CameraClock::CameraClock(const CameraZone& zone, std::int64_t shiftSeconds)
    : fixedOffset_(zone.OffsetMinutes), shift_(shiftSeconds) {
  if (!zone.Name.empty()) {
    zone_.emplace(zone.Name);
    rulesAgain_.emplace(std::nullopt);
  }
}

std::optional<std::int64_t> CameraClock::InstantOf(const CaptureTime& capture) const {
  std::int32_t offset = capture.OffsetMinutes.value_or(fixedOffset_);
  if (!capture.OffsetMinutes && zone_) {
    // The camera time, put right, is the zone's wall-clock time; its offset depends on the date.
    const std::optional<std::int64_t> wallClock = UtcSeconds(capture.Camera, 0);
    if (!wallClock) return std::nullopt;
    offset = UtcOffsetOfLocalTime(*wallClock + shift_);
  }
  const std::optional<std::int64_t> instant = UtcSeconds(capture.Camera, offset);
  if (!instant) return std::nullopt;
  return *instant + shift_;
}

}  // namespace routelet
