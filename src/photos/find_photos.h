#pragma once
// The photos beside the log that were taken while the track was recorded.
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/dates.h"
#include "runtime/progress.h"
#include "track/track.h"

namespace routelet {

struct Photo {
  std::string Name;        // the file's name in its folder
  DaySerial CameraTime{};  // when it was taken, on the camera's clock
  std::int64_t UnixTime{}; // the same instant in UTC
};

// The "*.jpg" and "*.jpeg" files in `folder` (letter case ignored, in name order) whose capture
// time, moved back by a fixed 9 hours, lies within `span`. Each file's name is told to
// `progress` before it is read.
std::vector<Photo> FindPhotos(const std::string& folder, const TimeSpan& span, Progress& progress);

}  // namespace routelet
