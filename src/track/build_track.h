#pragma once
// Turning the kept sentences of a log into track points with distances, speeds and totals.
#include "runtime/parallel.h"
#include "track/gps_log.h"
#include "track/track.h"

namespace routelet {

// The track of a log: one record per usable position sentence ("$xxRMC,"), in log order. A fix
// sentence ("$xxGGA,") makes no record: its altitude, as a 32-bit float, is carried by the
// position sentences after it.
//
// A sentence makes nothing and changes nothing when it is damaged (a checksum that does not
// match, fewer than ten fields, a number too large to convert) or, for a position sentence, when
// it has no fix (status "V", or an empty latitude or longitude), or when it repeats the previous
// record's time and position (the same fix reported under a second talker).
//
// A record is timed when its time field is hhmmss or hhmmss.f... and its date field ddmmyy;
// UnixTime holds the whole seconds, Fraction the rest. An untimed record has UnixTime 0 and the
// local time text of the latest timed record before it. Timed records widen the span. A speed
// over a time difference that is not positive, or that involves an untimed record, is 0.
// Local times follow the C library's time-zone rules (TZ honoured) at each fix's instant.
// A large log is built in chunks on the threads `parallelism` allows, with the same result.
Track BuildTrack(const GpsLog& log, const Parallelism& parallelism = {});

}  // namespace routelet
