#pragma once
// The track's points as one compact text, for a page's script to read (the "[track:packed]"
// placeholder): a week at one fix a second is 600,000 points, which as one line of decimal
// numbers each take a quarter of the room and of the reading time.
#include <string>
#include <vector>

#include "track/track.h"

namespace routelet {

// One item per point, each ended by ";": seven integers separated by ",", each the change from
// the same number of the point before (from 0 for the first point), nothing for no change:
//   UTC time in Unix seconds (0 for an untimed point, as [time]);
//   the local time ([timestr]) in seconds since 1970-01-01 00:00, less the UTC time (so that it
//     changes only with the zone's offset, and around untimed points);
//   latitude and longitude in units of 1e-7 degree (about a centimetre);
//   altitude in hundredths of a metre, as [alt:known] writes it;
//   distance from the start in hundredths of a km and speed in hundredths of a km/h, as [dist]
//     and [speed] write them.
// A number without a value (an unknown altitude, a local time [timestr] leaves empty, a number
// that is not finite or too large for a script to hold exactly) is written "n" and leaves its
// running value as it was.
std::string PackedTrackText(const std::vector<TrackRecord>& records);

}  // namespace routelet
