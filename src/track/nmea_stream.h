#pragma once
// An NMEA log whose bytes come block after block, in order (a compressed log as it inflates),
// built into its track as they come.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "track/log_content.h"
#include "track/track_chunks.h"

namespace routelet {

// Cuts the bytes into the lines a plain log's reading cuts it into (CR LF, lone CR or lone LF;
// a byte-order mark before the first line skipped) and builds the track of its sentences. A
// line is held, across blocks, only while it may be a track sentence: any other line is passed
// over as soon as its first bytes rule that out, so memory stays within a block and a sentence.
class NmeaStream {
 public:
  void Feed(std::string_view bytes);
  // After the last bytes: the track of every line. The stream is done with; Lines() and
  // KeptLines() count every line now.
  ChunkTrack Finish();

  std::int64_t Lines() const { return lines_; }
  std::size_t KeptLines() const { return kept_; }
  // What the bytes held, for a log that gave no track.
  LogContent Content() const { return kept_ > 0 ? LogContent::kNmea : spotter_.Content(); }

 private:
  void FeedLines(std::string_view bytes);
  void Take(std::string_view line);
  // Passes over the rest of a line that can be no track sentence; false while it goes on.
  bool SkipLineEnd(std::string_view& bytes);

  ChunkBuilder builder_;
  SentenceSpotter spotter_;
  std::string start_;           // the first bytes, until they tell whether they are a byte-order mark
  bool begun_ = false;          // past the first bytes: the lines are cut
  std::string held_;            // the line begun and not ended, while it may be a track sentence
  bool skipping_ = false;       // passing over a line that can be no track sentence
  bool lfMayFollowCr_ = false;  // the last bytes fed ended a line with a CR: an LF next is its
  std::int64_t lines_ = 0;
  std::size_t kept_ = 0;
};

}  // namespace routelet
