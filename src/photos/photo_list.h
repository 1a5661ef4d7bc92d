#pragma once
// The list of photos beside the log that were taken while the track was recorded.
#include <cstdint>
#include <string>
#include <string_view>

#include "driver/front_end.h"
#include "template/section_store.h"
#include "track/track_record.h"

namespace routelet {

// The photo-list text of the page: for each "*.jpg" or "*.jpeg" file in the log's folder (letter
// case ignored, in name order) whose capture time, moved back by a fixed 9 hours, lies within
// [span.MinTime, span.MaxTime], one copy of the "photolist" section with "[id]", "[file]",
// "[time]" and "[timestr]" filled in, followed by CR LF. `photos` counts the listed photos and
// gives each its "[id]". Every file's name is shown through ui.SetProgress before it is read.
std::string BuildPhotoList(std::string_view logPath, const SectionStore& sections,
                           const TrackSummary& span, std::int64_t& photos, FrontEnd& ui);

}  // namespace routelet
