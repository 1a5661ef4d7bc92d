#pragma once
// The photos that were taken while the track was recorded: beside the log, or in the folders
// the user names.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "photos/camera_clock.h"
#include "photos/exif_reader.h"
#include "platform/files.h"
#include "runtime/dates.h"
#include "runtime/progress.h"
#include "track/track.h"

namespace routelet {

// Where the photos are and how their cameras' clocks relate to UTC.
struct PhotoOptions {
  // Folders searched with their subfolders; empty: the page's own folder, its files only.
  std::vector<std::string> Folders;
  CameraZone Zone;                  // for photos that do not state their clock's offset
  std::int64_t ClockShiftSeconds = 0;  // added to every camera time
  // The longest time between two fixes of one segment that a photo taken between them is
  // placed between them (--max-gap).
  std::int64_t MaxGapSeconds = 300;
};

struct Photo {
  std::string Name;        // the file's path from the page's folder: its bare name beside the page
  DaySerial CameraTime{};  // when it was taken, on the camera's clock
  std::int64_t UnixTime{}; // the same instant in UTC
  std::string Path;        // where it was read
  std::uint64_t FileSize = 0;     // the file as it was read, so that a change since is seen
  std::int64_t ModifiedNs = 0;
  std::optional<GeoPosition> OwnGps;         // the position the photo's own GPS tags give
  std::optional<GeoPosition> TrackPosition;  // where the track was at its instant (PlacePhotos)
  // What a browser shows for a photo it cannot show itself (HEIF): a JPEG "data:" URI; empty
  // for a JPEG photo, which the page links.
  std::string Preview;
};

// Where a photo was taken, and what says so.
enum class PositionSource { kNone, kGps, kTrack };
inline PositionSource SourceOf(const Photo& photo) {
  if (photo.OwnGps) return PositionSource::kGps;
  return photo.TrackPosition ? PositionSource::kTrack : PositionSource::kNone;
}
// The photo's own position wins over the track's.
inline const std::optional<GeoPosition>& PositionOf(const Photo& photo) {
  return photo.OwnGps ? photo.OwnGps : photo.TrackPosition;
}

// The photos listed, and how many of the photo files read were left out, by reason.
struct PhotoFindings {
  std::vector<Photo> Listed;
  std::size_t Found = 0;          // photo files read, listed or not
  std::size_t OutsideTrack = 0;   // taken outside the track's time span
  std::size_t NoCaptureTime = 0;  // without a usable capture time
  std::size_t FoldersNotRead = 0; // folders below the named ones that could not be read: their files are not counted
  std::vector<platform::InputFile> Read;  // each photo file read, listed or not, by the path it was read by
  std::string HeifNotRead;        // why the HEIF files found (counted without a capture time) could not be read
};

// The "*.jpg" and "*.jpeg" files, and HEIF ones ("*.heic", "*.heif", "*.hif") where the build
// reads them (letter case ignored), whose capture time lies within `span`.
// Without folders in `options`, those in `logFolder` itself, in name order; with folders, those
// in them and their subfolders, ordered by capture instant, then by path. Each is named by its
// path from `pageFolder` (a bare name beside the page) and told to `progress` by that name
// before it is read.
PhotoFindings FindPhotos(const PhotoOptions& options, const std::string& logFolder, const std::string& pageFolder,
                         const TimeSpan& span, Progress& progress);

// The same for a page beside the log.
inline PhotoFindings FindPhotos(const PhotoOptions& options, const std::string& logFolder, const TimeSpan& span,
                                Progress& progress) {
  return FindPhotos(options, logFolder, logFolder, span, progress);
}

}  // namespace routelet
