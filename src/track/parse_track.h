#pragma once
// Turning the kept sentences of a log into track points with distances, speeds and totals.
#include <cstddef>
#include <vector>

#include "track/log_lines.h"
#include "track/track_record.h"

namespace routelet {

// Builds one record per usable position sentence ("$xxRMC,"), in log order, into `records`
// (replacing what it held), and returns their number. A fix sentence ("$xxGGA,") makes no record:
// its altitude, as a 32-bit float, is carried by the position sentences after it.
//
// A sentence makes nothing and changes nothing when it is damaged (a checksum that does not
// match, fewer than ten fields, a number too large to convert) or, for a position sentence, when
// it has no fix (status "V", or an empty latitude or longitude), or when it repeats the previous
// record's time and position (the same fix reported under a second talker).
//
// A record is timed when its time field is hhmmss or hhmmss.f... and its date field ddmmyy;
// UnixTime holds the whole seconds, Fraction the rest. An untimed record has UnixTime 0 and the
// local time text of the latest timed record before it. Timed records widen summary.MinTime and
// summary.MaxTime (the caller empties the span first); TotalDist and AvgSpeed are set. A speed
// over a time difference that is not positive, or that involves an untimed record, is 0.
std::size_t ParseTrack(const LogLineList& lines, std::vector<TrackRecord>& records,
                       TrackSummary& summary);

}  // namespace routelet
