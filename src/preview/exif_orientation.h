#pragma once
// How the camera was held: the Exif orientation tag of a JPEG photo.
#include <string_view>

namespace routelet {

// The orientation (1 to 8) in the main directory of the Exif block of the JPEG in `bytes`; 1
// (upright) when there is none, or it cannot be read, or its value is out of range.
int ExifOrientation(std::string_view bytes);

}  // namespace routelet
