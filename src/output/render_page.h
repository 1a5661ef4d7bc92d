#pragma once
// Filling the template into the text of the page.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "output/embedded_content.h"
#include "output/page_source.h"
#include "output/record_item.h"
#include "photos/find_photos.h"
#include "runtime/parallel.h"
#include "runtime/progress.h"
#include "template/section_store.h"
#include "track/track.h"

namespace routelet {

// What rendering the record list tells: every hundredth record and, once all are done, the
// record count itself, always with the record count as the total ("0/250" ... "250/250"),
// whether or not the body has a list. No records, no progress.
void TellRecordProgress(std::size_t records, Progress& progress);

// The "body" section with its "[recordlist]" filled: one "recordlist" item per track record,
// each followed by CR LF, and before the first record of each segment after the first the
// "segmentbreak" section followed by CR LF (a template closes one segment and opens the next
// there). Tells `progress` as TellRecordProgress does.
std::string RenderRecords(const SectionStore& sections, const Track& track, Progress& progress);

// Fills the rest of the placeholders, in this order and each over the whole page so far:
// "[segmentlist]" (one "segmentlist" item per segment, see RenderSegmentList), "[numsegment]",
// "[photolist]" (one "photolist" item per photo, numbered from 1, each followed by CR LF),
// "[placedphotolist]" (as "[photolist]", from the "placedphotolist" item and only for the photos
// with a position, each keeping its number in the whole list), "[filename]" (the log's path), "[numrecord]" (the kept log lines), "[numphoto]",
// "[totaldist]", "[avgspeed]", "[filename:html]", "[starttime:iso]" and "[endtime:iso]"
// (the earliest and the latest timed fix in UTC, as "[time:iso]" writes them; empty when no
// fix is timed), then "[logname]" and "[logname:html]" (the log's file name without its folder,
// for a page that should not tell where the log lies), "[numpoint]" (the track's points), and
// last "[previewlist]" and "[embeddedtiles]" (from `embedded`; empty without). The page is
// changed in place, so a large page is never copied whole for a placeholder.
void FillPlaceholders(std::string& page, const SectionStore& sections, const Track& track,
                      const std::vector<Photo>& photos, std::size_t keptLines, std::string_view logPath,
                      const EmbeddedContent& embedded = {});

// The page that RenderRecords and then FillPlaceholders make, made piece by piece as it is
// written (see render_page.cpp). Holds on to the track's records, which the threads making the
// pieces read.
class RenderedPage final : public PageSource {
 public:
  RenderedPage(const SectionStore& sections, const Track& track, const std::vector<Photo>& photos,
               std::size_t keptLines, std::string_view logPath, const Parallelism& parallelism,
               EmbeddedContent embedded = {});
  RenderedPage(const RenderedPage&) = delete;
  RenderedPage& operator=(const RenderedPage&) = delete;

  std::size_t PieceCount() const override;
  void MakePiece(std::size_t k, std::string& into) const override;
  // True when the page has no text at all.
  bool empty() const;

 private:
  enum class PieceKind {
    kText,              // body text, filled
    kTextAndFirstItem,  // body text and the list's first item, filled
    kItems,             // a chunk of the items after the first, filled
    kAsItIs,            // a slice of a large value, which goes in as it is
    kFilled,            // body text filled beforehand (a page without a list)
  };
  struct Piece {
    PieceKind Kind;
    std::string_view Text;  // kText, kTextAndFirstItem, kAsItIs
    std::size_t Chunk;      // kItems: which chunk, of how many; kFilled: which of the filled texts
    std::size_t Chunks;
  };

  void AddBodyText(std::string_view text, bool withFirstItem);
  std::vector<std::size_t> InPiecesOfTheirOwn() const;
  void MakeItems(std::size_t chunk, std::size_t chunks, std::string& into) const;

  const std::vector<TrackRecord>& records_;
  const RecordItemTemplate item_;
  const std::string segmentBreak_;  // with its CR LF; empty when the template has none
  const std::string body_;
  std::vector<std::pair<std::string_view, std::string>> placeholders_;
  const std::vector<std::size_t> inPiecesOfTheirOwn_;  // of placeholders_, those whose values go in as they are
  std::string firstItem_;  // with its CR LF; empty when the page has no list
  std::vector<std::string> filledTexts_;  // without a list: its texts, filled
  std::vector<Piece> pieces_;
};

}  // namespace routelet
