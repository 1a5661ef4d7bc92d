#pragma once
// Filling the template into the text of the page.
#include <string>

#include "driver/front_end.h"
#include "driver/run_state.h"

namespace routelet {

// Builds the track from the kept log lines, renders one record item per track point and one
// photo item per photo taken during the track, and fills the "body" section's placeholders:
// "[recordlist]", "[photolist]", "[filename]", "[numrecord]", "[numphoto]", "[totaldist]",
// "[avgspeed]" and "[filename:html]", in that order, each over the whole text so far.
// Updates state.Track and state.Photos on the way. The result may be empty.
std::string BuildPage(RunState& state, FrontEnd& ui);

}  // namespace routelet
