#pragma once
// Everything one run of the program knows; filled step by step by the run sequence.
#include <cstdint>
#include <string>

#include "template/section_store.h"
#include "track/log_lines.h"
#include "track/track_record.h"

namespace routelet {

struct RunState {
  std::string LogPath;    // the log being converted
  SectionStore Sections;  // the template's sections
  LogLineList LogLines;   // the kept sentences of the log
  std::int64_t Photos = 0;  // photos put in the page
  TrackSummary Track;     // MinTime, MaxTime, TotalDist, AvgSpeed
};

}  // namespace routelet
