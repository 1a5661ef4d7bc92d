#include "track/nmea_stream.h"

#include <algorithm>
#include <utility>

#include "track/log_lines.h"
#include "track/nmea_sentence.h"

namespace routelet {

void NmeaStream::Take(std::string_view line) {
  ++lines_;
  const SentenceKind kind = KindOfSentence(line);
  if (kind == SentenceKind::kOther) return;
  ++kept_;
  builder_.Add(line, kind);
}

bool NmeaStream::SkipLineEnd(std::string_view& bytes) {
  const std::size_t ending = bytes.find_first_of("\r\n");
  if (ending == std::string_view::npos) {
    bytes = {};
    return false;
  }
  const bool crLf = bytes[ending] == '\r' && ending + 1 < bytes.size() && bytes[ending + 1] == '\n';
  lfMayFollowCr_ = bytes[ending] == '\r' && ending + 1 == bytes.size();
  bytes.remove_prefix(ending + (crLf ? 2 : 1));
  return true;
}

void NmeaStream::Feed(std::string_view bytes) {
  if (begun_) return FeedLines(bytes);
  // The first bytes wait until they tell whether they are a byte-order mark, however few come
  // at a time.
  const std::size_t taken = std::min(bytes.size(), kUtf8ByteOrderMark.size() - start_.size());
  start_.append(bytes.substr(0, taken));
  bytes.remove_prefix(taken);
  if (start_.size() < kUtf8ByteOrderMark.size() && kUtf8ByteOrderMark.starts_with(start_)) return;
  begun_ = true;
  if (start_ != kUtf8ByteOrderMark) FeedLines(start_);
  FeedLines(bytes);
}

void NmeaStream::FeedLines(std::string_view bytes) {
  if (bytes.empty()) return;
  if (!spotter_.Settled()) spotter_.Feed(bytes);
  if (std::exchange(lfMayFollowCr_, false) && bytes.starts_with('\n')) bytes.remove_prefix(1);
  if (skipping_ && !SkipLineEnd(bytes)) return;
  skipping_ = false;
  held_.append(bytes);
  const std::size_t lastEnding = held_.find_last_of("\r\n");
  if (lastEnding != std::string::npos) {
    LogLineSplitter splitter(std::string_view(held_).substr(0, lastEnding + 1));
    for (std::string_view line; splitter.Next(line);) Take(line);
    // A CR as the last byte may be the first of a CR LF: the LF, should it come next, is its.
    lfMayFollowCr_ = held_[lastEnding] == '\r' && lastEnding + 1 == held_.size();
    held_.erase(0, lastEnding + 1);
  }
  if (!held_.empty() && !MayBeginTrackSentence(held_)) {
    ++lines_;
    held_.clear();
    skipping_ = true;
  }
}

ChunkTrack NmeaStream::Finish() {
  if (!begun_) FeedLines(std::exchange(start_, {}));
  begun_ = true;
  if (!held_.empty()) Take(held_);
  held_.clear();
  return builder_.Finish();
}

}  // namespace routelet
