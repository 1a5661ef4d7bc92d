#pragma once
// Where the track was when each photo was taken.
#include <cstdint>
#include <optional>
#include <vector>

#include "photos/exif_reader.h"
#include "photos/find_photos.h"
#include "track/track.h"

namespace routelet {

// How far in time the nearest fix may be from a photo that cannot be placed between two.
inline constexpr std::int64_t kNearestFixSeconds = 60;

// Looks up positions on a track by instant. Built once per track; each look-up is a binary
// search, so thousands of photos cost next to nothing.
class TrackPositions {
 public:
  TrackPositions(const Track& track, std::int64_t maxGapSeconds);

  // The position at `unixTime`: the fix of that instant; else between the fixes just before and
  // just after it when both are of one segment and at most maxGapSeconds apart; else the nearer
  // of them when it is at most kNearestFixSeconds away and both are of one segment (or it is the
  // track's first or last fix). Empty otherwise: a photo in a break between segments has none.
  std::optional<GeoPosition> At(std::int64_t unixTime) const;

 private:
  const Track& track_;
  std::int64_t maxGap_;
  std::vector<std::size_t> timed_;  // indices of the timed records, in time order
};

// Fills each photo's TrackPosition.
void PlacePhotos(std::vector<Photo>& photos, const Track& track, std::int64_t maxGapSeconds);

}  // namespace routelet
