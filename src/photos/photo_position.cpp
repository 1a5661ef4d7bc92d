#include "photos/photo_position.h"

#include <algorithm>
#include <cmath>

namespace routelet {
namespace {

double InstantOf(const TrackRecord& record) { return static_cast<double>(record.UnixTime) + record.Fraction; }

GeoPosition PositionOfFix(const TrackRecord& record) {
  return {record.Lat, record.Lng, record.AltKnown ? std::optional<double>(record.Alt) : std::nullopt};
}

// The position a `share` (0 to 1) of the way from `from` to `to`, linear in degrees. Fixes at
// most a few minutes apart are at most some kilometres apart, where the great circle differs
// from the straight line in degrees by far less than a fix's own error; the straight line is
// also what the page draws between two fixes, so a photo's marker sits on the drawn route.
// Across the 180th meridian the shorter way is taken.
GeoPosition Between(const TrackRecord& from, const TrackRecord& to, double share) {
  double lngStep = to.Lng - from.Lng;
  if (lngStep > 180) lngStep -= 360;
  if (lngStep < -180) lngStep += 360;
  double lng = from.Lng + lngStep * share;
  if (lng > 180) lng -= 360;
  if (lng < -180) lng += 360;
  GeoPosition position{from.Lat + (to.Lat - from.Lat) * share, lng, {}};
  if (from.AltKnown && to.AltKnown) position.Alt = from.Alt + (to.Alt - from.Alt) * share;
  return position;
}

}  // namespace

TrackPositions::TrackPositions(const Track& track, std::int64_t maxGapSeconds) : track_(track), maxGap_(maxGapSeconds) {
  for (std::size_t i = 0; i < track.Records.size(); ++i) {
    if (IsTimed(track.Records[i])) timed_.push_back(i);
  }
  // A log whose clock stepped back is put in time order; fixes of one instant keep log order.
  std::stable_sort(timed_.begin(), timed_.end(), [&](std::size_t a, std::size_t b) {
    return InstantOf(track.Records[a]) < InstantOf(track.Records[b]);
  });
}

std::optional<GeoPosition> TrackPositions::At(std::int64_t unixTime) const {
  const double instant = static_cast<double>(unixTime);
  const auto after = std::lower_bound(timed_.begin(), timed_.end(), instant, [&](std::size_t index, double t) {
    return InstantOf(track_.Records[index]) < t;
  });
  const TrackRecord* next = after == timed_.end() ? nullptr : &track_.Records[*after];
  const TrackRecord* previous = after == timed_.begin() ? nullptr : &track_.Records[*(after - 1)];
  if (next && InstantOf(*next) == instant) return PositionOfFix(*next);
  if (previous && next && previous->Segment != next->Segment) return std::nullopt;
  if (previous && next && InstantOf(*next) - InstantOf(*previous) <= static_cast<double>(maxGap_)) {
    const double share = (instant - InstantOf(*previous)) / (InstantOf(*next) - InstantOf(*previous));
    return Between(*previous, *next, share);
  }
  const auto away = [&](const TrackRecord* fix) { return fix ? std::abs(InstantOf(*fix) - instant) : INFINITY; };
  const TrackRecord* nearest = away(previous) <= away(next) ? previous : next;
  if (nearest && away(nearest) <= static_cast<double>(kNearestFixSeconds)) return PositionOfFix(*nearest);
  return std::nullopt;
}

void PlacePhotos(std::vector<Photo>& photos, const Track& track, std::int64_t maxGapSeconds) {
  if (photos.empty()) return;
  const TrackPositions positions(track, maxGapSeconds);
  for (Photo& photo : photos) photo.TrackPosition = positions.At(photo.UnixTime);
}

}  // namespace routelet
