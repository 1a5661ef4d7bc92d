// The photo tag writer of routelet-photo-formats.so, loaded when --geotag is given.
#include "photos/photo_formats.h"
#include "photos/photo_tag_writer.h"

namespace routelet {

std::unique_ptr<PhotoTagWriter> MakePhotoTagWriter() {
  const PhotoFormats* formats = LoadedPhotoFormats();
  if (formats == nullptr || formats->MakePhotoTagWriter == nullptr) return nullptr;
  return formats->MakePhotoTagWriter();
}

std::string PhotoTagWriterProblem() { return PhotoFormatsLoadError(); }

}  // namespace routelet
