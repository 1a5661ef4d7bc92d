#pragma once
// The capture time of a JPEG photograph, read from the date texts of its Exif block.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "photos/byte_source.h"
#include "runtime/dates.h"

namespace routelet {

// The value with its two bytes exchanged when `flag` is not 0, else unchanged. Works on the bit
// pattern, so it never overflows: 0x0180 gives 0x8001 (-32767).
std::int16_t SwapInt16(std::int16_t value, std::int16_t flag);

// The value with its four bytes in reverse order when `flag` is not 0, else unchanged.
std::int32_t SwapInt32(std::int32_t value, std::int16_t flag);

// When a photo was taken: the time on the camera's clock, and that clock's offset from UTC when
// the photo states it.
struct CaptureTime {
  DaySerial Camera = 0;  // 0: no usable date
  // Minutes east of UTC, from the offset tag that belongs to the date used (OffsetTimeOriginal
  // for DateTimeOriginal, OffsetTime for DateTime); empty when it is missing or malformed.
  std::optional<std::int32_t> OffsetMinutes;
};

// A place on the WGS-84 ellipsoid, as GPS receivers give it.
struct GeoPosition {
  double Lat = 0;  // degrees, north positive
  double Lng = 0;  // degrees, east positive
  std::optional<double> Alt;  // metres above sea level, when known
};

// What the program reads from a photo's Exif block.
struct PhotoTags {
  CaptureTime Capture;
  // From the GPS directory: GPSLatitude and GPSLongitude with their hemisphere letters, and
  // GPSAltitude with GPSAltitudeRef. Empty when a position tag is missing or malformed (a
  // denominator of 0, minutes or seconds of 60 or more, an angle out of range), or the fix was
  // marked void; the altitude alone is dropped when it is malformed.
  std::optional<GeoPosition> Gps;
};

// The capture time and GPS position of the photo; every offset taken from the bytes is
// treated as untrusted, and anything unreadable reads as absent.
PhotoTags ReadPhotoTags(ByteSource& source);
PhotoTags ReadPhotoTags(const std::string& path);
// The same from the TIFF block at `tiffStart` (an Exif block without the JPEG around it, as
// HEIF files keep it).
PhotoTags ReadTiffTags(ByteSource& source, std::uint64_t tiffStart);

// The capture time by the rules of ReadExifDate, with the offset that the photo gives for it.
CaptureTime ReadCaptureTime(ByteSource& source);
CaptureTime ReadCaptureTime(const std::string& path);

// When the photo in the file was taken, on the camera's own clock: DateTimeOriginal when it
// holds a real date and time, else the main directory's DateTime when that does, else 0. Any
// file that cannot be read or understood gives 0; nothing is reported.
DaySerial ReadExifDate(const std::string& path);

// The same rules on a photo's bytes in memory.
DaySerial ReadExifDateFromBytes(std::string_view bytes);

// The same rules on any byte source; every offset taken from the bytes is treated as untrusted.
DaySerial ReadExifDate(ByteSource& source);

}  // namespace routelet
