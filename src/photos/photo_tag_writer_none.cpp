// Builds without libexiv2 (Windows, for now) write no photo.
#include "photos/photo_tag_writer.h"

namespace routelet {

std::unique_ptr<PhotoTagWriter> MakePhotoTagWriter() { return nullptr; }
std::string PhotoTagWriterProblem() { return {}; }

}  // namespace routelet
