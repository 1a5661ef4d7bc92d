#pragma once
// The code that needs the photo formats' libraries (libheif and its decoders, libturbojpeg,
// libexiv2) is a module of its own, routelet-photo-formats.so, loaded on first need: a run that
// meets no HEIF photo, makes no previews and writes no tags then never maps those libraries, and
// starts as fast as the program did without them.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "photos/exif_reader.h"
#include "photos/photo_tag_writer.h"
#include "preview/image.h"

namespace routelet {

// What the module offers; an entry is nullptr when the module was built without its library.
// Module and program are built together, so the table may carry C++ types.
struct PhotoFormats {
  std::optional<PhotoTags> (*ReadHeifTags)(const std::string& path);
  std::optional<PhotoTags> (*ReadHeifTagsFromBytes)(std::string_view bytes);
  std::string (*HeifPreviewUri)(const std::string& path, int longSide);
  std::unique_ptr<PhotoTagWriter> (*MakePhotoTagWriter)();
  // JPEG previews (preview/jpeg_codec.h says what they do).
  std::optional<RgbImage> (*DecodeJpegForSize)(std::string_view bytes, int longSide);
  std::string (*EncodeJpeg)(const RgbImage& image, int quality);
  std::string (*UprightJpeg)(std::string_view bytes, int exifOrientation);
};

// The module, loaded by the first call (beside the program in the build folder, else in its
// installed folder) and kept for the rest of the process; nullptr when it cannot be loaded,
// and then `LoadError` says why (the loader's own text).
const PhotoFormats* LoadedPhotoFormats();
std::string PhotoFormatsLoadError();

// Looks for the module in `folder` rather than beside the program (for programs that are not
// in the build folder, such as the test programs). Only before the first LoadedPhotoFormats.
void SetPhotoFormatsFolder(std::string folder);

}  // namespace routelet

extern "C" {
// The one function the module exports.
const routelet::PhotoFormats* routelet_photo_formats();
}
