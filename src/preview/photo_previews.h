#pragma once
// Small copies of the photos that a page carries inside itself: a preview to look at and a
// thumbnail for the grid and the map's markers, each a JPEG, upright whatever way the camera
// was held.
#include <string>
#include <vector>

#include "runtime/parallel.h"

namespace routelet {

struct PreviewSizes {
  int LargeSide = 1600;  // the preview's longer side, in pixels (at most; at least 90% of it)
  int LargeQuality = 80;
  int ThumbnailSide = 320;
  int ThumbnailQuality = 70;
};

// A photo's two copies as JPEG bytes; both empty when the photo could not be read or decoded.
struct PhotoPreview {
  std::string Large;
  std::string Thumbnail;
};

// The preview of the JPEG file at `path`. The file is only read.
PhotoPreview MakePhotoPreview(const std::string& path, const PreviewSizes& sizes);

// The previews of the files at `paths`, in their order (an empty path gets an empty preview),
// made on `work.Threads` threads. With a `cacheFolder`, a preview is kept there and used again
// for as long as its photo keeps its size and modification time, so a second page of the same
// photos decodes none of them.
std::vector<PhotoPreview> MakePhotoPreviews(const std::vector<std::string>& paths, const PreviewSizes& sizes,
                                            const Parallelism& work, const std::string& cacheFolder = {});

}  // namespace routelet
