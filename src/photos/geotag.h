#pragma once
// --geotag: which listed photos get the position the program found for them, and how it went.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "photos/find_photos.h"
#include "photos/photo_tag_writer.h"

namespace routelet {

enum class GeotagMode {
  kOff,
  kMissing,    // photos placed by the track that have no GPS position of their own
  kOverwrite,  // also those that have one: the track's position replaces it
  kDryRun,     // as kMissing, telling what would be written and writing nothing
};

// The photos' counts after a geotag run.
struct GeotagSummary {
  std::size_t Tagged = 0;     // written (or, in a dry run, to be written)
  std::size_t OwnGps = 0;     // left alone: a GPS position of their own
  std::size_t NoPosition = 0; // left alone: the track gives them none
  std::size_t Changed = 0;    // left alone: changed since they were read
  std::size_t ReadOnly = 0;   // left alone: read-only
  std::size_t NotSupported = 0;
  std::size_t Failed = 0;     // the write failed; the photo is as it was
};

// Told of each photo that is written (or would be), and of each one whose write did not happen.
using GeotagReport = std::function<void(const Photo& photo, const TagWriteOutcome& outcome)>;

// Writes the track's position into the photos `mode` names, one after another; a photo that
// cannot be written is told and the run goes on.
GeotagSummary GeotagPhotos(const std::vector<Photo>& photos, GeotagMode mode, PhotoTagWriter& writer,
                           const GeotagReport& report);

}  // namespace routelet
