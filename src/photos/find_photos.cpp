#include "photos/find_photos.h"

#include <optional>

#include "photos/exif_reader.h"
#include "runtime/files.h"
#include "runtime/numbers.h"

namespace routelet {
namespace {

// Cameras in the intended market keep Japan time (UTC+9) on their clocks; the track is in UTC.
constexpr double kCameraClockHoursAheadOfUtc = 9;

// Unix seconds of a capture time on the camera's clock. The arithmetic runs in this exact order
// in doubles so that a time of day that is not exact in binary still rounds to its second.
std::optional<std::int64_t> PhotoTime(DaySerial captured) {
  return ToInt64(((captured - kUnixEpochSerial) * 24 - kCameraClockHoursAheadOfUtc) * 60 * 60);
}

}  // namespace

std::vector<Photo> FindPhotos(const std::string& folder, const TimeSpan& span, Progress& progress) {
  std::vector<Photo> photos;
  for (std::string& name : ListFilesWithExtensions(folder, {".jpg", ".jpeg"})) {
    progress.ReadingPhoto(name);
    // Opened in the given folder, wherever the program was started from.
    const DaySerial captured = ReadExifDate(JoinPath(folder, name));
    const std::optional<std::int64_t> day = ToInt64(captured);
    if (!day || *day < 1) continue;  // no usable capture time
    const std::optional<std::int64_t> unixTime = PhotoTime(captured);
    if (!unixTime || !span.Contains(*unixTime)) continue;
    photos.push_back({std::move(name), captured, *unixTime});
  }
  return photos;
}

}  // namespace routelet
