#pragma once
// What a page made with --single-file carries besides its text: its photos' previews and the
// background map's tiles.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "output/embedded_content.h"
#include "photos/find_photos.h"
#include "track/track.h"

namespace routelet {

struct SingleFileParts {
  EmbeddedContent Content;
  std::size_t PhotosWithoutPreview = 0;  // listed photos that could not be decoded: linked instead
  std::size_t TilesWanted = 0;
  std::size_t TilesEmbedded = 0;
  std::size_t TilesFetched = 0;
  std::string TileProblem;  // why tiles are missing; empty when none are
  bool MapLeftOnline = false;  // the map's source forbids carrying its tiles: the page shows it online
};

// Whether this build and installation can make such a page: the modules that make previews and
// fetch tiles load (and the run's other steps are then sure to have them). When they do not,
// `loadError` is the module loader's text, or empty in a build without them (Windows, for now).
bool SingleFileAvailable(std::string& loadError);

// The previews of `photos` (on the run's threads, in their order) and the tiles around `track`,
// as of `now` (seconds since 1970). Never fails: whatever cannot be had is left out and told.
SingleFileParts MakeSingleFileParts(const Track& track, const std::vector<Photo>& photos, const Options& options,
                                    std::int64_t now);

// The sentence added to the run's summary; empty when there is nothing to tell.
std::string SingleFileNote(const SingleFileParts& parts);

}  // namespace routelet
