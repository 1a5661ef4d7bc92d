#include "photos/geotag.h"

namespace routelet {

GeotagSummary GeotagPhotos(const std::vector<Photo>& photos, GeotagMode mode, PhotoTagWriter& writer,
                           const GeotagReport& report) {
  GeotagSummary summary;
  if (mode == GeotagMode::kOff) return summary;
  for (const Photo& photo : photos) {
    if (photo.OwnGps && mode != GeotagMode::kOverwrite) {
      ++summary.OwnGps;
      continue;
    }
    if (!photo.TrackPosition) {
      ++summary.NoPosition;
      continue;
    }
    const TagWriteOutcome outcome =
        mode == GeotagMode::kDryRun ? TagWriteOutcome{} : writer.Write(photo, *photo.TrackPosition);
    switch (outcome.Result) {
      case TagWriteResult::kWritten: ++summary.Tagged; break;
      case TagWriteResult::kChanged: ++summary.Changed; break;
      case TagWriteResult::kReadOnly: ++summary.ReadOnly; break;
      case TagWriteResult::kNotSupported: ++summary.NotSupported; break;
      case TagWriteResult::kFailed: ++summary.Failed; break;
    }
    report(photo, outcome);
  }
  return summary;
}

}  // namespace routelet
