#pragma once
// How a camera's clock relates to UTC: the zone it keeps, how far it is off, and the UTC
// instant of a capture time.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "photos/exif_reader.h"
#include "track/utc_offset.h"

namespace routelet {

// The zone a camera's clock keeps when the photo does not say.
struct CameraZone {
  // Minutes east of UTC; used when Name is empty. Japan time by default: the cameras this
  // program was first written for keep it.
  std::int32_t OffsetMinutes = 9 * 60;
  // A zone of the system's zone rules ("Europe/Rome"), whose offset is taken at each photo's
  // instant, summer time included; empty for the fixed offset.
  std::string Name;
};

// "+hh:mm" or "-hh:mm" (at most 14 hours, minutes below 60) in minutes east of UTC; empty for
// anything else, blanks included.
std::optional<std::int32_t> ParseUtcOffsetText(std::string_view text);

// "+hh:mm", "-hh:mm", "UTC" or a zone name the system knows; empty for anything else.
std::optional<CameraZone> ParseCameraZone(std::string_view text);

// A signed number of seconds ("-180", "+42") or "[-]h:mm:ss" ("-0:03:00"), at most 10 years
// either way; empty for anything else.
std::optional<std::int64_t> ParseClockShift(std::string_view text);

// Turns capture times into UTC instants: a photo's own offset wins over the camera zone, and
// the shift is added to every camera time first. With a named zone the C library's local zone
// is that zone while the clock lives, so nothing else may read local times meanwhile.
class CameraClock {
 public:
  CameraClock(const CameraZone& zone, std::int64_t shiftSeconds);

  // Unix seconds; empty when the instant does not fit 64 bits.
  std::optional<std::int64_t> InstantOf(const CaptureTime& capture) const;

 private:
  std::int32_t fixedOffset_;
  std::int64_t shift_;
  std::optional<ScopedTimeZone> zone_;
  std::optional<ScopedFixedOffset> rulesAgain_;  // with zone_: the rules, not the page's fixed offset
};

}  // namespace routelet
