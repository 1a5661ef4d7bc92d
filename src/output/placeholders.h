#pragma once
// Every placeholder the program fills, and every section it reads: the one list that the page's
// renderers fill from and that the template check (check_template.h) tells unknown names by.
// A new placeholder is one row below and the case that makes its value in its renderer.
#include <string_view>

namespace routelet {

// The section a placeholder is filled in. The "segmentbreak" section has none of its own: only
// the page's, which are filled over the whole page.
enum class PlaceholderScope { kBody, kRecordItem, kPhotoItem, kSegmentItem, kSegmentBreak };

// What fills a placeholder; each renderer makes the values of its own scope.
enum class Fill {
  // body
  kRecordList, kSegmentList, kNumSegment, kPhotoList, kPlacedPhotoList, kFileName, kNumRecord, kNumPhoto, kTotalDist, kAvgSpeed,
  kFileNameHtml, kStartTimeIso, kEndTimeIso, kLogName, kLogNameHtml, kNumPoint, kPackedTrack, kPreviewList,
  kEmbeddedTiles, kZone,
  // each record item
  kIndex, kTime, kTimeStr, kTimeIso, kLatFull, kLngFull, kLat, kLng, kAlt, kDist, kSpeed, kAltKnown, kSegment,
  kRecordZone,
  // each photo item
  kPhotoId, kPhotoFile, kPhotoTime, kPhotoTimeStr, kPhotoFileHtml, kPhotoFileUrl, kPhotoTimeIso, kPhotoLatFull,
  kPhotoLngFull, kPhotoAltKnown, kPhotoWhere, kPhotoPreviewUrl, kPhotoFileThumb, kPhotoPageTime,
  // each segment item
  kSegNumber, kSegNumRecord, kSegFirst, kSegLast, kSegStart, kSegEnd, kSegStartIso, kSegEndIso, kSegDist,
  kSegElapsed, kSegMoving,
};

struct Placeholder {
  std::string_view Text;
  PlaceholderScope Scope;
  Fill What;
};

// Within a scope, in the order the placeholders are filled, each over the text the ones before
// it left (the order matters to a template where a value meets the text around it).
inline constexpr Placeholder kPlaceholders[] = {
    // "[recordlist]" is put in first, before the others, by the page's renderer.
    {"[recordlist]", PlaceholderScope::kBody, Fill::kRecordList},
    // The segment list next, so that no text another placeholder puts in (a log's or a photo's
    // name) is changed.
    {"[segmentlist]", PlaceholderScope::kBody, Fill::kSegmentList},
    {"[numsegment]", PlaceholderScope::kBody, Fill::kNumSegment},
    {"[photolist]", PlaceholderScope::kBody, Fill::kPhotoList},
    // Right after "[photolist]": the page's placeholders after both are filled in their items.
    {"[placedphotolist]", PlaceholderScope::kBody, Fill::kPlacedPhotoList},
    {"[filename]", PlaceholderScope::kBody, Fill::kFileName},
    {"[numrecord]", PlaceholderScope::kBody, Fill::kNumRecord},
    {"[numphoto]", PlaceholderScope::kBody, Fill::kNumPhoto},
    {"[totaldist]", PlaceholderScope::kBody, Fill::kTotalDist},
    {"[avgspeed]", PlaceholderScope::kBody, Fill::kAvgSpeed},
    {"[filename:html]", PlaceholderScope::kBody, Fill::kFileNameHtml},
    {"[starttime:iso]", PlaceholderScope::kBody, Fill::kStartTimeIso},
    {"[endtime:iso]", PlaceholderScope::kBody, Fill::kEndTimeIso},
    {"[logname]", PlaceholderScope::kBody, Fill::kLogName},
    {"[logname:html]", PlaceholderScope::kBody, Fill::kLogNameHtml},
    {"[numpoint]", PlaceholderScope::kBody, Fill::kNumPoint},
    {"[zone]", PlaceholderScope::kBody, Fill::kZone},
    // Every point in one compact text for a page's script (packed_track.h): a page that has it
    // needs no "[recordlist]".
    {"[track:packed]", PlaceholderScope::kBody, Fill::kPackedTrack},
    // Last: what a page made with --single-file carries (empty otherwise), megabytes that no
    // later placeholder needs to look through.
    {"[previewlist]", PlaceholderScope::kBody, Fill::kPreviewList},
    {"[embeddedtiles]", PlaceholderScope::kBody, Fill::kEmbeddedTiles},

    {"[index]", PlaceholderScope::kRecordItem, Fill::kIndex},
    {"[time]", PlaceholderScope::kRecordItem, Fill::kTime},
    {"[timestr]", PlaceholderScope::kRecordItem, Fill::kTimeStr},
    {"[time:iso]", PlaceholderScope::kRecordItem, Fill::kTimeIso},
    {"[lat:full]", PlaceholderScope::kRecordItem, Fill::kLatFull},
    {"[lng:full]", PlaceholderScope::kRecordItem, Fill::kLngFull},
    {"[lat]", PlaceholderScope::kRecordItem, Fill::kLat},
    {"[lng]", PlaceholderScope::kRecordItem, Fill::kLng},
    {"[alt]", PlaceholderScope::kRecordItem, Fill::kAlt},
    {"[dist]", PlaceholderScope::kRecordItem, Fill::kDist},
    {"[speed]", PlaceholderScope::kRecordItem, Fill::kSpeed},
    {"[alt:known]", PlaceholderScope::kRecordItem, Fill::kAltKnown},
    {"[segment]", PlaceholderScope::kRecordItem, Fill::kSegment},
    {"[zone]", PlaceholderScope::kRecordItem, Fill::kRecordZone},

    {"[id]", PlaceholderScope::kPhotoItem, Fill::kPhotoId},
    {"[file]", PlaceholderScope::kPhotoItem, Fill::kPhotoFile},
    {"[time]", PlaceholderScope::kPhotoItem, Fill::kPhotoTime},
    {"[timestr]", PlaceholderScope::kPhotoItem, Fill::kPhotoTimeStr},
    {"[file:html]", PlaceholderScope::kPhotoItem, Fill::kPhotoFileHtml},
    {"[file:url]", PlaceholderScope::kPhotoItem, Fill::kPhotoFileUrl},
    {"[time:iso]", PlaceholderScope::kPhotoItem, Fill::kPhotoTimeIso},
    {"[lat:full]", PlaceholderScope::kPhotoItem, Fill::kPhotoLatFull},
    {"[lng:full]", PlaceholderScope::kPhotoItem, Fill::kPhotoLngFull},
    {"[alt:known]", PlaceholderScope::kPhotoItem, Fill::kPhotoAltKnown},
    {"[where]", PlaceholderScope::kPhotoItem, Fill::kPhotoWhere},
    {"[preview:url]", PlaceholderScope::kPhotoItem, Fill::kPhotoPreviewUrl},
    {"[file:thumb]", PlaceholderScope::kPhotoItem, Fill::kPhotoFileThumb},
    {"[pagetime]", PlaceholderScope::kPhotoItem, Fill::kPhotoPageTime},

    {"[segment]", PlaceholderScope::kSegmentItem, Fill::kSegNumber},
    {"[segnumrecord]", PlaceholderScope::kSegmentItem, Fill::kSegNumRecord},
    {"[segfirst]", PlaceholderScope::kSegmentItem, Fill::kSegFirst},
    {"[seglast]", PlaceholderScope::kSegmentItem, Fill::kSegLast},
    {"[segstart]", PlaceholderScope::kSegmentItem, Fill::kSegStart},
    {"[segend]", PlaceholderScope::kSegmentItem, Fill::kSegEnd},
    {"[segstart:iso]", PlaceholderScope::kSegmentItem, Fill::kSegStartIso},
    {"[segend:iso]", PlaceholderScope::kSegmentItem, Fill::kSegEndIso},
    {"[segdist]", PlaceholderScope::kSegmentItem, Fill::kSegDist},
    {"[segelapsed]", PlaceholderScope::kSegmentItem, Fill::kSegElapsed},
    {"[segmoving]", PlaceholderScope::kSegmentItem, Fill::kSegMoving},
};

// The sections a rule reads, with the scope of the placeholders filled in them; "notes" and
// "extension" hold no placeholders ("notes" is the template writer's own, read by no one).
struct KnownSection {
  std::string_view Name;
  bool HasPlaceholders;
  PlaceholderScope Scope;
};
inline constexpr KnownSection kKnownSections[] = {
    {"body", true, PlaceholderScope::kBody},
    {"recordlist", true, PlaceholderScope::kRecordItem},
    {"photolist", true, PlaceholderScope::kPhotoItem},
    {"placedphotolist", true, PlaceholderScope::kPhotoItem},
    {"segmentlist", true, PlaceholderScope::kSegmentItem},
    {"segmentbreak", true, PlaceholderScope::kSegmentBreak},
    {"extension", false, PlaceholderScope::kBody},
    {"notes", false, PlaceholderScope::kBody},
};

// The body placeholder that lists the items of an item section, that section's name, and the
// scope of the sections whose text goes into the page with it (the segment break goes into the
// record list).
struct ItemList {
  std::string_view Placeholder;
  std::string_view Section;
  PlaceholderScope Scope;
  PlaceholderScope AlsoScope;
};
// The placeholder that gives a page every point without a list of items.
inline constexpr std::string_view kPackedTrackPlaceholder = "[track:packed]";

inline constexpr ItemList kItemLists[] = {
    {"[recordlist]", "recordlist", PlaceholderScope::kRecordItem, PlaceholderScope::kSegmentBreak},
    {"[photolist]", "photolist", PlaceholderScope::kPhotoItem, PlaceholderScope::kPhotoItem},
    // The photos that have a position only, for formats whose waypoints need one.
    {"[placedphotolist]", "placedphotolist", PlaceholderScope::kPhotoItem, PlaceholderScope::kPhotoItem},
    {"[segmentlist]", "segmentlist", PlaceholderScope::kSegmentItem, PlaceholderScope::kSegmentItem},
};

}  // namespace routelet
