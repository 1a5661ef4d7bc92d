#pragma once
// What a log holds besides its track, found by its content (never its name): whether any line is
// an NMEA sentence at all, for a log that gave no track.
#include <string_view>

namespace routelet {

enum class LogContent {
  kNmea,     // NMEA sentences (with or without fixes), as before
  kBlank,    // nothing but blanks and line endings, or no byte at all: read as an NMEA log is
  kNoTrack,  // neither NMEA sentences nor an XML track file: binary data, a text, an image
  kXml,      // an XML file, read for GPX/TCX/KML track points
};

// Watches a file's bytes, fed in order from its start (after any byte-order mark), for a line that
// is an NMEA sentence of any kind: "$", an upper-case letter, three to eight more upper-case
// letters or digits (the talker and the sentence's name: $GPGSV, $GNRMC, $PGRMZ) and a comma.
class SentenceSpotter {
 public:
  void Feed(std::string_view bytes) {
    for (char c : bytes) {
      if (c == '\r' || c == '\n') {
        startSeen_ = 0;
        continue;
      }
      if (c != ' ' && c != '\t') nonBlank_ = true;
      if (startSeen_ >= 0 && !sentence_) Take(c);
    }
  }
  LogContent Content() const {
    if (sentence_) return LogContent::kNmea;
    return nonBlank_ ? LogContent::kNoTrack : LogContent::kBlank;
  }
  bool Settled() const { return sentence_; }

 private:
  void Take(char c) {
    const bool upper = c >= 'A' && c <= 'Z';
    const bool digit = c >= '0' && c <= '9';
    if (startSeen_ == 0) {
      startSeen_ = c == '$' ? 1 : -1;
    } else if (c == ',' && startSeen_ >= 5) {
      sentence_ = true;
    } else if ((upper || (digit && startSeen_ > 1)) && startSeen_ < 10) {
      ++startSeen_;
    } else {
      startSeen_ = -1;
    }
  }

  int startSeen_ = 0;  // bytes of the line that may begin a sentence; -1 once it cannot be one
  bool sentence_ = false;
  bool nonBlank_ = false;
};

}  // namespace routelet
