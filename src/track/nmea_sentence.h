#pragma once
// What a log line is, as an NMEA 0183 sentence: its kind and whether its checksum holds.
#include <string_view>

namespace routelet {

enum class SentenceKind {
  kOther,     // any line the track does not use
  kPosition,  // "$xxRMC,": time, date and position; one track point each
  kFix,       // "$xxGGA,": altitude, carried to the position sentences after it
};

// The kind of a line that starts with "$", two upper-case letters (the talker: GP, GN, GA, GL,
// BD, IN, ...) and "RMC," or "GGA,". Every other line, lower-case or indented forms included,
// is kOther.
SentenceKind KindOfSentence(std::string_view line);

// Whether `start`, the first bytes of a line (any number of them), may begin a line whose kind is
// not kOther: false once they rule it out, so that the rest of a long line need not be read.
bool MayBeginTrackSentence(std::string_view start);

// Whether a sentence may be used. A sentence that ends in a checksum ("*" and two hexadecimal
// digits, trailing blanks ignored) is usable only when that checksum equals the XOR of the
// characters between "$" and "*". A sentence without one is usable as it is.
// `body` is set to the sentence without a matching checksum (and the blanks after it), or to the
// whole line when there is none.
bool CheckSentence(std::string_view line, std::string_view& body);

}  // namespace routelet
