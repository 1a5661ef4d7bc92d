#pragma once
// Writing a position into a photo's own GPS tags, one photo at a time. The writing itself is the
// Exif library's: this program never lays out Exif bytes of its own, since maker notes and
// directory offsets are where hand-made writers spoil photos.
#include <cstdint>
#include <memory>
#include <string>

#include "photos/find_photos.h"
#include "platform/files.h"

namespace routelet {

// How writing one photo ended.
enum class TagWriteResult {
  kWritten,
  kChanged,       // the file is not as it was read (size or time of last change): left alone
  kReadOnly,      // the photo may not be written: left alone
  kNotSupported,  // not a kind of file the library may write safely: left alone
  kFailed,        // reading, writing or replacing failed (Error says why): the photo is as it was
};

struct TagWriteOutcome {
  TagWriteResult Result = TagWriteResult::kWritten;
  platform::SystemError Error = 0;  // for kFailed, when the system said why
  std::string Detail;               // for kFailed without a system error: the library's words
};

class PhotoTagWriter {
 public:
  virtual ~PhotoTagWriter() = default;
  // Writes GPSVersionID, the latitude and longitude with their hemispheres, the altitude with
  // its reference when known, GPSTimeStamp and GPSDateStamp of `unixTime` (UTC) and GPSMapDatum
  // "WGS-84" into the photo at `photo.Path`, replacing its GPS tags and nothing else. The new
  // file takes the old one's place in one step, with its permissions, owner where permitted and
  // time of last change; on any failure the photo is as it was and no temporary file is left.
  virtual TagWriteOutcome Write(const Photo& photo, const GeoPosition& position) = 0;
};

// The writer of this build; empty where there is none (the Windows build, for now).
// Where the build has a writer, it is in a module loaded by the first call.
std::unique_ptr<PhotoTagWriter> MakePhotoTagWriter();

// Why MakePhotoTagWriter gave none although the build has a writer (the module could not be
// loaded); empty otherwise.
std::string PhotoTagWriterProblem();

}  // namespace routelet
