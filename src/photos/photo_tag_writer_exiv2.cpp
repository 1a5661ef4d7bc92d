// Inside routelet-photo-formats.so: the photo tag writer through libexiv2 (Linux).
#include <exiv2/exiv2.hpp>

#include <cmath>
#include <cstdio>
#include <string_view>

#include "photos/photo_formats_linked.h"
#include "platform/replace_file.h"
#include "runtime/dates.h"

namespace routelet {
namespace {

// The file whole, with what it was when read; false with `error` set when it cannot be read.
bool ReadWhole(const std::string& path, std::string& bytes, platform::FileStatus& status, platform::SystemError& error) {
  const platform::NativeFile file = platform::OpenForReading(path, true, error);
  if (file == platform::kNoFile) return false;
  bool read = platform::StatusOf(file, status, error) && status.Kind == platform::FileKind::kRegular;
  if (read) {
    bytes.resize(status.Size);
    auto* out = reinterpret_cast<std::uint8_t*>(bytes.data());
    for (std::uint64_t done = 0; read && done < status.Size;) {
      const std::ptrdiff_t got = platform::ReadAt(file, done, {out + done, status.Size - done}, error);
      read = got > 0;
      done += read ? static_cast<std::uint64_t>(got) : 0;
    }
  }
  platform::CloseFile(file);
  return read;
}

bool SameAsRead(const Photo& photo, const platform::FileStatus& status) {
  return status.Size == photo.FileSize && status.ModifiedNs == photo.ModifiedNs;
}

void SetTag(Exiv2::ExifData& exif, const char* key, Exiv2::TypeId type, const std::string& text) {
  Exiv2::Value::AutoPtr value = Exiv2::Value::create(type);
  value->read(text);
  exif.add(Exiv2::ExifKey(key), value.get());
}

// An angle as degrees, minutes and seconds in millionths: 1e-6 seconds is some 30 micrometres.
std::string DegreesMinutesSeconds(double angle) {
  const auto millionths = static_cast<unsigned long long>(std::llround(std::fabs(angle) * 3600e6));
  char text[80];
  std::snprintf(text, sizeof text, "%llu/1 %llu/1 %llu/1000000", millionths / 3600000000ull,
                millionths / 60000000ull % 60, millionths % 60000000ull);
  return text;
}

// Puts the position in place of every GPS tag the photo had.
void SetGpsTags(Exiv2::ExifData& exif, const GeoPosition& position, std::int64_t unixTime) {
  for (auto tag = exif.begin(); tag != exif.end();) {
    tag = tag->groupName() == "GPSInfo" ? exif.erase(tag) : std::next(tag);
  }
  SetTag(exif, "Exif.GPSInfo.GPSVersionID", Exiv2::unsignedByte, "2 3 0 0");
  SetTag(exif, "Exif.GPSInfo.GPSLatitudeRef", Exiv2::asciiString, position.Lat < 0 ? "S" : "N");
  SetTag(exif, "Exif.GPSInfo.GPSLatitude", Exiv2::unsignedRational, DegreesMinutesSeconds(position.Lat));
  SetTag(exif, "Exif.GPSInfo.GPSLongitudeRef", Exiv2::asciiString, position.Lng < 0 ? "W" : "E");
  SetTag(exif, "Exif.GPSInfo.GPSLongitude", Exiv2::unsignedRational, DegreesMinutesSeconds(position.Lng));
  if (position.Alt) {
    SetTag(exif, "Exif.GPSInfo.GPSAltitudeRef", Exiv2::unsignedByte, *position.Alt < 0 ? "1" : "0");
    SetTag(exif, "Exif.GPSInfo.GPSAltitude", Exiv2::unsignedRational,
           std::to_string(std::llround(std::fabs(*position.Alt) * 1000)) + "/1000");
  }
  const std::int64_t day = unixTime >= 0 ? unixTime / 86400 : (unixTime - 86399) / 86400;
  const std::int64_t second = unixTime - day * 86400;
  char time[40];
  std::snprintf(time, sizeof time, "%d/1 %d/1 %d/1", static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60),
                static_cast<int>(second % 60));
  SetTag(exif, "Exif.GPSInfo.GPSTimeStamp", Exiv2::unsignedRational, time);
  std::string date = IsoUtcText(unixTime).substr(0, 10);  // "2011-11-05"
  date[4] = date[7] = ':';
  SetTag(exif, "Exif.GPSInfo.GPSDateStamp", Exiv2::asciiString, date);
  SetTag(exif, "Exif.GPSInfo.GPSMapDatum", Exiv2::asciiString, "WGS-84");
}

class Exiv2TagWriter final : public PhotoTagWriter {
 public:
  // The library's warnings would land on the user's terminal between the program's lines.
  Exiv2TagWriter() { Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute); }

  TagWriteOutcome Write(const Photo& photo, const GeoPosition& position) override {
    std::string bytes;
    platform::FileStatus status;
    platform::SystemError error = 0;
    if (!ReadWhole(photo.Path, bytes, status, error)) return {TagWriteResult::kFailed, error, {}};
    if (!SameAsRead(photo, status)) return {TagWriteResult::kChanged, 0, {}};
    if (status.ReadOnly || !platform::MayWrite(photo.Path, error)) return {TagWriteResult::kReadOnly, error, {}};
    std::string tagged;
    try {
      auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(bytes.data()), static_cast<long>(bytes.size()));
      if (image.get() == nullptr || image->imageType() != Exiv2::ImageType::jpeg) return {TagWriteResult::kNotSupported, 0, {}};
      image->readMetadata();
      SetGpsTags(image->exifData(), position, photo.UnixTime);
      image->writeMetadata();
      Exiv2::BasicIo& io = image->io();
      io.seek(0, Exiv2::BasicIo::beg);
      const Exiv2::DataBuf written = io.read(static_cast<long>(io.size()));
      tagged.assign(reinterpret_cast<const char*>(written.pData_), static_cast<std::size_t>(written.size_));
    } catch (const Exiv2::AnyError& problem) {
      return {TagWriteResult::kFailed, 0, problem.what()};
    }
    // Looked at once more just before the new file takes the old one's place, so that a photo
    // an editor saved meanwhile is not lost.
    if (!platform::StatusOfPath(photo.Path, status, error) || !SameAsRead(photo, status)) return {TagWriteResult::kChanged, 0, {}};
    const auto problem = platform::ReplaceFileWith(photo.Path, photo.Path, [&](platform::NativeFile file, platform::SystemError& failure) {
      return platform::WriteAll(file, tagged, failure) && platform::SetModifiedTime(file, photo.ModifiedNs, failure);
    });
    if (problem) return {TagWriteResult::kFailed, *problem, {}};
    return {};
  }
};

}  // namespace
}  // namespace routelet

namespace routelet::linked {

std::unique_ptr<PhotoTagWriter> MakePhotoTagWriter() { return std::make_unique<Exiv2TagWriter>(); }

}  // namespace routelet::linked
