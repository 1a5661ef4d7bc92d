#pragma once
// Inside routelet-photo-formats.so: the functions that call the libraries themselves, which the
// module's table points at (see photo_formats.h).
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "photos/exif_reader.h"
#include "photos/photo_tag_writer.h"
#include "preview/image.h"

namespace routelet::linked {

std::optional<PhotoTags> ReadHeifTags(const std::string& path);
std::optional<PhotoTags> ReadHeifTagsFromBytes(std::string_view bytes);
std::string HeifPreviewUri(const std::string& path, int longSide);
std::unique_ptr<PhotoTagWriter> MakePhotoTagWriter();
std::optional<RgbImage> DecodeJpegForSize(std::string_view bytes, int longSide);
std::string EncodeJpeg(const RgbImage& image, int quality);
std::string UprightJpeg(std::string_view bytes, int exifOrientation);

}  // namespace routelet::linked
