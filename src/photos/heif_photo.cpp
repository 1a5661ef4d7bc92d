// HEIF photos through routelet-photo-formats.so, loaded when the first one is met.
#include "photos/heif_photo.h"

#include <algorithm>
#include <cctype>

#include "photos/photo_formats.h"

namespace routelet {
namespace {

// The module's HEIF reader; nullptr when the module cannot be loaded or reads no HEIF.
const PhotoFormats* HeifReader() {
  const PhotoFormats* formats = LoadedPhotoFormats();
  return formats != nullptr && formats->ReadHeifTags != nullptr ? formats : nullptr;
}

}  // namespace

bool HeifPhotosSupported() { return true; }

bool IsHeifName(std::string_view name) {
  for (const std::string_view extension : {".heic", ".heif", ".hif"}) {
    if (name.size() > extension.size() &&
        std::equal(extension.begin(), extension.end(), name.end() - static_cast<std::ptrdiff_t>(extension.size()),
                   [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); })) {
      return true;
    }
  }
  return false;
}

std::optional<PhotoTags> ReadHeifTags(const std::string& path) {
  const PhotoFormats* reader = HeifReader();
  return reader != nullptr ? reader->ReadHeifTags(path) : std::nullopt;
}

std::optional<PhotoTags> ReadHeifTagsFromBytes(std::string_view bytes) {
  const PhotoFormats* reader = HeifReader();
  return reader != nullptr ? reader->ReadHeifTagsFromBytes(bytes) : std::nullopt;
}

std::string HeifPreviewUri(const std::string& path, int longSide) {
  const PhotoFormats* reader = HeifReader();
  return reader != nullptr ? reader->HeifPreviewUri(path, longSide) : std::string();
}

std::string HeifReaderProblem() {
  if (HeifReader() != nullptr) return {};
  const std::string error = PhotoFormatsLoadError();
  return error.empty() ? "no HEIF reader in the module" : error;
}

}  // namespace routelet
