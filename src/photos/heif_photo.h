#pragma once
// HEIF photos (.heic, .heif, .hif), the default of many phones: their Exif item, and a JPEG
// preview for the page, since browsers do not show HEIF. Read through libheif where the build
// has it (Linux), in a module loaded when the first HEIF file is met; elsewhere such files are not photos the program looks for.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "photos/exif_reader.h"

namespace routelet {

// True when this build reads HEIF photos.
bool HeifPhotosSupported();

// True for a name ending in ".heic", ".heif" or ".hif", letter case ignored.
bool IsHeifName(std::string_view name);

// The capture time, offsets and GPS position from the Exif item of the file's primary image;
// empty when the file is not a HEIF file that can be read (damaged, or cut short). A file
// without an Exif item gives tags without a date.
std::optional<PhotoTags> ReadHeifTags(const std::string& path);
std::optional<PhotoTags> ReadHeifTagsFromBytes(std::string_view bytes);

// The primary image as a JPEG whose long side is at most `longSide` pixels, as a
// "data:image/jpeg;base64,..." URI; empty when it cannot be decoded.
std::string HeifPreviewUri(const std::string& path, int longSide);

// Why HEIF photos cannot be read in this run (the module that reads them could not be loaded);
// empty when they can. Asked once a HEIF file has been met, since asking loads the module.
std::string HeifReaderProblem();

}  // namespace routelet
