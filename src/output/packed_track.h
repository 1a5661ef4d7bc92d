#pragma once
// The track's points as one compact text, for a page's script to read (the "[track:packed]"
// placeholder): a week at one fix a second is 600,000 points, which as one line of decimal
// numbers each take a quarter of the room and of the reading time.
#include <string>
#include <vector>

#include "track/track.h"

namespace routelet {

// One item per point, each ended by ";", of seven numbers, each the change from the same number
// of the point before (from 0 for the first point):
//   UTC time in Unix seconds (0 for an untimed point, as [time]);
//   the local time ([timestr]) in seconds since 1970-01-01 00:00, less the UTC time (so that it
//     changes only with the zone's offset, and around untimed points);
//   latitude and longitude in units of 1e-7 degree (about a centimetre);
//   altitude in hundredths of a metre, as [alt:known] writes it;
//   distance from the start in hundredths of a km and speed in hundredths of a km/h, as [dist]
//     and [speed] write them.
// A change is folded to a count (0, -1, 1, -2, 2 ... as 0, 1, 2, 3, 4 ...) and written in base 32,
// the highest digit first, with the characters of "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef" for the
// last digit and those of "ghijklmnopqrstuvwxyz0123456789-_" for each digit before it: a number
// takes one character up to 15 either way, two up to 511. A number without a value (an unknown
// altitude, a local time [timestr] leaves empty, a number that is not finite or too large for a
// script to hold exactly) is written "." and leaves its running value as it was.
std::string PackedTrackText(const std::vector<TrackRecord>& records);

}  // namespace routelet
