#pragma once
// Filling the template into the text of the page.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "output/page_text.h"
#include "photos/find_photos.h"
#include "runtime/parallel.h"
#include "runtime/progress.h"
#include "template/section_store.h"
#include "track/track.h"

namespace routelet {

// The "body" section with its "[recordlist]" filled: one "recordlist" item per track record,
// each followed by CR LF. `progress` hears of every hundredth record and, once all are done, of
// the record count itself, always with the record count as the total ("0/250" ... "250/250"),
// whether or not the body has a list. No records, no progress.
std::string RenderRecords(const SectionStore& sections, const Track& track, Progress& progress);

// The same page in pieces (see render_page.cpp), its record list rendered in chunks on the
// threads `parallelism` allows; `progress` hears the same counts, in order, once all are done.
PageText RenderRecordPieces(const SectionStore& sections, const Track& track, Progress& progress,
                            const Parallelism& parallelism);

// Fills the rest of the placeholders, in this order and each over the whole page so far:
// "[photolist]" (one "photolist" item per photo, numbered from 1, each followed by CR LF),
// "[filename]" (the log's path), "[numrecord]" (the kept log lines), "[numphoto]",
// "[totaldist]", "[avgspeed]", "[filename:html]", then "[starttime:iso]" and "[endtime:iso]"
// (the earliest and the latest timed fix in UTC, as "[time:iso]" writes them; empty when no
// fix is timed). The page is changed in place, so a large
// page is never copied whole for a placeholder.
void FillPlaceholders(std::string& page, const SectionStore& sections, const Track& track,
                      const std::vector<Photo>& photos, std::size_t keptLines, std::string_view logPath);

// The same, piece by piece (no placeholder spans two pieces), on the threads allowed.
void FillPlaceholders(PageText& page, const SectionStore& sections, const Track& track,
                      const std::vector<Photo>& photos, std::size_t keptLines, std::string_view logPath,
                      const Parallelism& parallelism);

}  // namespace routelet
