// Builds without libheif (Windows, for now) look for no HEIF photos.
#include "photos/heif_photo.h"

namespace routelet {

bool HeifPhotosSupported() { return false; }
bool IsHeifName(std::string_view) { return false; }
std::optional<PhotoTags> ReadHeifTags(const std::string&) { return std::nullopt; }
std::optional<PhotoTags> ReadHeifTagsFromBytes(std::string_view) { return std::nullopt; }
std::string HeifPreviewUri(const std::string&, int) { return {}; }
std::string HeifReaderProblem() { return {}; }

}  // namespace routelet
