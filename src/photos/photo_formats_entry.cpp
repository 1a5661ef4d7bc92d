// The entry point of routelet-photo-formats.so.
#include "photos/photo_formats.h"
#include "photos/photo_formats_linked.h"

extern "C" const routelet::PhotoFormats* routelet_photo_formats() {
  namespace linked = routelet::linked;
  static const routelet::PhotoFormats formats{
#if ROUTELET_HAVE_HEIF
      &linked::ReadHeifTags, &linked::ReadHeifTagsFromBytes, &linked::HeifPreviewUri,
#else
      nullptr, nullptr, nullptr,
#endif
#if ROUTELET_HAVE_EXIV2
      &linked::MakePhotoTagWriter,
#else
      nullptr,
#endif
#if ROUTELET_HAVE_TURBOJPEG
      &linked::DecodeJpegForSize, &linked::EncodeJpeg, &linked::UprightJpeg,
#else
      nullptr, nullptr, nullptr,
#endif
  };
  return &formats;
}
