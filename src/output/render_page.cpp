#include "output/render_page.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "output/packed_track.h"
#include "output/photo_item.h"
#include "output/placeholders.h"
#include "output/record_item.h"
#include "output/segment_list.h"
#include "platform/files.h"
#include "runtime/escape.h"
#include "runtime/parallel.h"
#include "runtime/text_helpers.h"
#include "runtime/value_texts.h"
#include "track/utc_offset.h"

namespace routelet {
namespace {

constexpr std::size_t kProgressEvery = 100;
constexpr std::string_view kRecordListPlaceholder = "[recordlist]";
constexpr std::string_view kItemEnd = "\r\n";

// The items of a long record list go into pieces of this many records (some hundreds of
// kilobytes), so that the few pieces made at once stay small and their room is used again.
constexpr std::size_t kRecordsPerPiece = 4096;

// A large value that goes into the page as it is is cut into slices of at least this many bytes.
constexpr std::size_t kSliceBytes = std::size_t{4} << 20;

// The texts before, between and after the occurrences of `separator` in `text`.
std::vector<std::string_view> SplitAt(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> parts;
  std::size_t from = 0;
  for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, from)) {
    parts.push_back(text.substr(from, at - from));
    from = at + separator.size();
  }
  parts.push_back(text.substr(from));
  return parts;
}

// The items of section `name` for the photos, or only for those with a position (as data formats
// whose waypoints need one want them); an item's [id] is the photo's number in the whole list.
// `thumbnails` holds the small copies a page that carries its photos shows, by the same number.
std::string RenderPhotoList(const SectionStore& sections, const std::vector<Photo>& photos, std::string_view name,
                            bool placedOnly, const std::vector<std::string>& thumbnails) {
  const std::string itemTemplate = GetSection(sections, name);
  std::string list;
  std::int64_t id = 0;
  for (const Photo& photo : photos) {
    ++id;
    if (placedOnly && !PositionOf(photo)) continue;
    const std::size_t k = static_cast<std::size_t>(id - 1);
    list += BuildPhotoItem(itemTemplate, id, photo, k < thumbnails.size() ? thumbnails[k] : std::string_view());
    list += "\r\n";
  }
  return list;
}

// The UTC times of the earliest and the latest timed record; empty texts when no record is timed.
std::pair<std::string, std::string> StartAndEndTimes(const TimedEnds& ends) {
  if (ends.Start == nullptr) return {};
  return {IsoTimeText(*ends.Start), IsoTimeText(*ends.End)};
}

// The "segmentbreak" section followed by CR LF, as it goes into the record list between two
// segments; empty when there is no such section.
std::string SegmentBreakText(const SectionStore& sections) {
  std::string text = GetSection(sections, "segmentbreak");
  if (!text.empty()) text += kItemEnd;
  return text;
}

// Appends the items of records `from` to `to` (not included), each followed by CR LF, and
// `segmentBreak` before each record that begins a segment other than the first.
void AppendItems(const RecordItemTemplate& item, std::string_view segmentBreak, const std::vector<TrackRecord>& records,
                 std::size_t from, std::size_t to, std::string& out) {
  for (std::size_t i = from; i < to; ++i) {
    if (!segmentBreak.empty() && i > 0 && records[i].Segment != records[i - 1].Segment) out += segmentBreak;
    item.AppendItem(out, static_cast<std::int64_t>(i), records[i]);
    out += kItemEnd;
  }
}

// The file name in `path`: what follows its last separator (also a backslash on Windows).
std::string_view FileNameOf(std::string_view path) {
  return path.substr(path.find_last_of(platform::kPathSeparators) + 1);
}

// The zone the page's times are in: the name the run was given, else the offsets of its earliest
// and latest timed records ("UTC-04:00/UTC-05:00" for a track across a change to winter time);
// empty when no record is timed.
std::string ZoneText(const Track& track, const TimedEnds& ends) {
  if (!track.ZoneName.empty()) return track.ZoneName;
  if (ends.Start == nullptr) return {};
  const std::string first = ZoneOffsetText(OffsetMinutesOf(*ends.Start)), last = ZoneOffsetText(OffsetMinutesOf(*ends.End));
  return first == last ? first : first + "/" + last;
}

// Whether any section of the template holds `placeholder`: the compact track is made only for
// a template that shows it, as it is as long as a list of all points.
bool TemplateHolds(const SectionStore& sections, std::string_view placeholder) {
  for (const std::string& name : sections.Names()) {
    if (sections.Find(name)->find(placeholder) != std::string::npos) return true;
  }
  return false;
}

// The body placeholders in the order they are filled, with their texts; "[recordlist]" is put
// in before them.
std::vector<std::pair<std::string_view, std::string>> BodyPlaceholderTexts(
    const SectionStore& sections, const Track& track, const std::vector<Photo>& photos, std::size_t keptLines,
    std::string_view logPath, EmbeddedContent embedded) {
  // The earliest and latest timed records, found in one pass over the points for both their uses.
  const TimedEnds ends = EarliestAndLatest(track.Records);
  auto [start, end] = StartAndEndTimes(ends);
  std::vector<std::pair<std::string_view, std::string>> texts;
  for (const Placeholder& placeholder : kPlaceholders) {
    if (placeholder.Scope != PlaceholderScope::kBody) continue;
    std::string value;
    switch (placeholder.What) {
      case Fill::kSegmentList: value = RenderSegmentList(sections, track); break;
      case Fill::kNumSegment: value = std::to_string(SegmentsOf(track).size()); break;
      case Fill::kPhotoList: value = RenderPhotoList(sections, photos, "photolist", false, embedded.Thumbnails); break;
      case Fill::kPlacedPhotoList: value = RenderPhotoList(sections, photos, "placedphotolist", true, embedded.Thumbnails); break;
      case Fill::kFileName: value = logPath; break;
      case Fill::kNumRecord: value = std::to_string(keptLines); break;
      case Fill::kNumPhoto: value = std::to_string(photos.size()); break;
      case Fill::kTotalDist: value = NumberText(track.TotalDist, 2); break;
      case Fill::kAvgSpeed: value = NumberText(track.AvgSpeed, 2); break;
      case Fill::kFileNameHtml: value = HtmlEscape(logPath); break;
      case Fill::kStartTimeIso: value = std::move(start); break;
      case Fill::kEndTimeIso: value = std::move(end); break;
      case Fill::kLogName: value = FileNameOf(logPath); break;
      case Fill::kLogNameHtml: value = HtmlEscape(FileNameOf(logPath)); break;
      case Fill::kNumPoint: value = std::to_string(track.Records.size()); break;
      case Fill::kPackedTrack:
        if (TemplateHolds(sections, placeholder.Text)) value = PackedTrackText(track.Records);
        break;
      case Fill::kPreviewList: value = std::move(embedded.PreviewList); break;
      case Fill::kEmbeddedTiles: value = std::move(embedded.TileTable); break;
      case Fill::kZone: value = ZoneText(track, ends); break;
      default: continue;  // "[recordlist]", put in before
    }
    texts.emplace_back(placeholder.Text, std::move(value));
  }
  return texts;
}

// Fills the placeholders into `text` one after another, each over the whole text. A text without
// a "[" holds none, and none can come into it: only a placeholder is ever replaced.
void FillText(std::string& text, const std::vector<std::pair<std::string_view, std::string>>& placeholders) {
  if (text.find('[') == std::string::npos) return;
  for (const auto& [placeholder, replacement] : placeholders) ReplaceAllInPlace(text, placeholder, replacement);
}

}  // namespace

void TellRecordProgress(std::size_t records, Progress& progress) {
  for (std::size_t i = 0; i < records; i += kProgressEvery) progress.RenderingRecord(i, records);
  if (records > 0) progress.RenderingRecord(records, records);
}

std::string RenderRecords(const SectionStore& sections, const Track& track, Progress& progress) {
  const RecordItemTemplate item(GetSection(sections, "recordlist"));
  std::string list;
  if (!item.empty()) AppendItems(item, SegmentBreakText(sections), track.Records, 0, track.Records.size(), list);
  const std::string body = GetSection(sections, "body");
  const std::vector<std::string_view> parts = SplitAt(body, kRecordListPlaceholder);
  std::string page(parts.front());
  for (std::size_t p = 1; p < parts.size(); ++p) (page += list) += parts[p];
  TellRecordProgress(track.Records.size(), progress);
  return page;
}

void FillPlaceholders(std::string& page, const SectionStore& sections, const Track& track,
                      const std::vector<Photo>& photos, std::size_t keptLines, std::string_view logPath,
                      const EmbeddedContent& embedded) {
  FillText(page, BodyPlaceholderTexts(sections, track, photos, keptLines, logPath, embedded));
}

// A page with a list is, for each "[recordlist]", a piece of the body text before it with the
// first record's item, then the pieces of the other items; and last the body text after the last
// list. The first item shares its piece with the text before, so that a body placeholder the
// list's start cuts in two ("[photo" before it, and "list]" beginning the item) is whole within
// one piece. Every other piece ends with an item's CR LF, the page's last piece excepted, and no
// placeholder holds a line end: so no placeholder, and no UTF-8 sequence, spans two pieces, and
// each piece can be filled and checked by itself.
// The photos and tiles a page carries ("[previewlist]", "[embeddedtiles]": a hundred megabytes
// and more) go in pieces of their own, slices of their value as it is, cut at its line ends:
// copied into the body text's piece, checked and written at once, they had held the page's
// writing up by a quarter of a second and doubled its memory. Their values hold no bracket, so
// no placeholder can form across them, and the texts on either side fill as the whole would.
RenderedPage::RenderedPage(const SectionStore& sections, const Track& track, const std::vector<Photo>& photos,
                           std::size_t keptLines, std::string_view logPath, const Parallelism& parallelism,
                           EmbeddedContent embedded)
    : records_(track.Records),
      item_(GetSection(sections, "recordlist")),
      segmentBreak_(SegmentBreakText(sections)),
      body_(GetSection(sections, "body")),
      placeholders_(BodyPlaceholderTexts(sections, track, photos, keptLines, logPath, std::move(embedded))),
      inPiecesOfTheirOwn_(InPiecesOfTheirOwn()) {
  const std::vector<std::string_view> parts = SplitAt(body_, kRecordListPlaceholder);
  if (parts.size() == 1 || records_.empty() || item_.empty()) {
    // No list, or an empty one (an empty item adds nothing, not even its line end).
    std::string whole;
    for (const std::string_view part : parts) whole += part;
    AddBodyText(whole, false);
    // Such a page is made once: its texts are filled here, and their pieces only copied out.
    for (Piece& piece : pieces_) {
      if (piece.Kind != PieceKind::kText) continue;
      std::string text(piece.Text);
      FillText(text, placeholders_);
      piece = {PieceKind::kFilled, {}, filledTexts_.size(), 0};
      filledTexts_.push_back(std::move(text));
    }
    return;
  }
  item_.AppendItem(firstItem_, 0, records_.front());
  firstItem_ += "\r\n";
  const std::size_t rest = records_.size() - 1;
  const std::size_t perPiece = parallelism.ChunkItems > 0 ? parallelism.ChunkItems : kRecordsPerPiece;
  const std::size_t itemChunks = (rest + perPiece - 1) / perPiece;
  for (std::size_t p = 0; p + 1 < parts.size(); ++p) {
    AddBodyText(parts[p], true);
    for (std::size_t chunk = 0; chunk < itemChunks; ++chunk) pieces_.push_back({PieceKind::kItems, {}, chunk, itemChunks});
  }
  AddBodyText(parts.back(), false);
}

// The pieces of body text `text`: cut where a large value goes in as it is, and with the first
// item after it when `withFirstItem`.
void RenderedPage::AddBodyText(std::string_view text, bool withFirstItem) {
  for (;;) {
    std::size_t at = std::string_view::npos;
    const std::string* value = nullptr;
    std::size_t placeholderSize = 0;
    for (const std::size_t own : inPiecesOfTheirOwn_) {
      const auto& [placeholder, replacement] = placeholders_[own];
      const std::size_t found = text.find(placeholder);
      if (found < at) std::tie(at, value, placeholderSize) = std::tuple(found, &replacement, placeholder.size());
    }
    if (value == nullptr) break;
    pieces_.push_back({PieceKind::kText, text.substr(0, at), 0, 0});
    for (std::string_view rest = *value; !rest.empty();) {
      // Some megabytes a slice, up to the end of a line (a photo's preview).
      const std::size_t end = rest.size() <= kSliceBytes ? std::string_view::npos : rest.find('\n', kSliceBytes);
      const std::string_view slice = rest.substr(0, end == std::string_view::npos ? rest.size() : end + 1);
      pieces_.push_back({PieceKind::kAsItIs, slice, 0, 0});
      rest.remove_prefix(slice.size());
    }
    text.remove_prefix(at + placeholderSize);
  }
  pieces_.push_back({withFirstItem ? PieceKind::kTextAndFirstItem : PieceKind::kText, text, 0, 0});
}

// Which of the placeholders go into the page in pieces of their own: "[previewlist]" and
// "[embeddedtiles]" when they have a value, and one without a bracket (so that it can neither
// hold a placeholder nor make one with the text around it).
std::vector<std::size_t> RenderedPage::InPiecesOfTheirOwn() const {
  std::vector<std::size_t> own;
  for (std::size_t k = 0; k < placeholders_.size(); ++k) {
    const auto& [placeholder, value] = placeholders_[k];
    if ((placeholder == "[previewlist]" || placeholder == "[embeddedtiles]") && !value.empty() &&
        value.find('[') == std::string::npos && value.find(']') == std::string::npos) {
      own.push_back(k);
    }
  }
  return own;
}

std::size_t RenderedPage::PieceCount() const { return pieces_.size(); }

bool RenderedPage::empty() const {
  return std::all_of(pieces_.begin(), pieces_.end(),
                     [&](const Piece& piece) { return piece.Kind == PieceKind::kFilled && filledTexts_[piece.Chunk].empty(); });
}

void RenderedPage::MakePiece(std::size_t k, std::string& into) const {
  const Piece& piece = pieces_[k];
  switch (piece.Kind) {
    case PieceKind::kAsItIs:
      into.assign(piece.Text);
      return;
    case PieceKind::kFilled:
      into.assign(filledTexts_[piece.Chunk]);
      return;
    case PieceKind::kItems:
      MakeItems(piece.Chunk, piece.Chunks, into);
      break;
    case PieceKind::kText:
      into.assign(piece.Text);
      break;
    case PieceKind::kTextAndFirstItem:
      (into.assign(piece.Text)) += firstItem_;
      break;
  }
  FillText(into, placeholders_);
}

// The items of one chunk of the records after the first, each followed by CR LF.
void RenderedPage::MakeItems(std::size_t chunk, std::size_t chunks, std::string& into) const {
  const std::size_t rest = records_.size() - 1;
  const std::size_t from = 1 + ChunkStart(rest, chunks, chunk);
  const std::size_t to = 1 + ChunkStart(rest, chunks, chunk + 1);
  into.clear();
  // Room from a guess by the first item, so that a new piece does not grow step by step.
  const std::size_t guess = (firstItem_.size() + firstItem_.size() / 4) * (to - from);
  if (into.capacity() < guess) into.reserve(guess);
  AppendItems(item_, segmentBreak_, records_, from, to, into);
}

}  // namespace routelet
