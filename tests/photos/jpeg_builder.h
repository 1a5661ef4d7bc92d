#pragma once
// Builds JPEG bytes with an Exif block laid out exactly as a test needs, in either byte order. The
// layouts and hostile fields the reader must survive are sample files (tests/data/photos/exif).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace routelet::testing {

enum class ByteOrder { kLittle, kBig };

inline constexpr std::uint16_t kDateTime = 0x0132;
inline constexpr std::uint16_t kExifPointer = 0x8769;
inline constexpr std::uint16_t kDateTimeOriginal = 0x9003;
inline constexpr std::uint16_t kOffsetTime = 0x9010;
inline constexpr std::uint16_t kOffsetTimeOriginal = 0x9011;
inline constexpr std::uint16_t kGpsPointer = 0x8825;

// Directory entries: a tag and its value, an offset from the TIFF header.
using Entries = std::vector<std::pair<std::uint16_t, std::uint32_t>>;

// A TIFF block: the 8-byte header, then anything written at chosen offsets from its start. The
// block grows (with zero bytes) to hold whatever is written.
class TiffBlock {
 public:
  explicit TiffBlock(ByteOrder order, std::uint32_t ifd0Offset = 8) : big_(order == ByteOrder::kBig) {
    Bytes(0, big_ ? "MM" : "II").U16(2, 42).U32(4, ifd0Offset);
  }
  TiffBlock& U16(std::size_t at, std::uint16_t value) { return Int(at, value, 2); }
  TiffBlock& U32(std::size_t at, std::uint32_t value) { return Int(at, value, 4); }
  TiffBlock& Bytes(std::size_t at, std::string_view bytes) {
    if (bytes_.size() < at + bytes.size()) bytes_.resize(at + bytes.size(), '\0');
    bytes_.replace(at, bytes.size(), bytes);
    return *this;
  }
  // An Exif date text with its closing zero byte.
  TiffBlock& Text(std::size_t at, std::string_view text) { return Bytes(at, std::string(text) + '\0'); }
  // A directory: the entry count, the entries, and a zero link to a next directory. The Exif
  // pointer is typed as one LONG, an offset as a 7-byte ASCII text, any other entry as a 20-byte one.
  TiffBlock& Directory(std::size_t at, const Entries& entries) {
    U16(at, static_cast<std::uint16_t>(entries.size()));
    for (const auto& [tag, value] : entries) {
      const bool pointer = tag == kExifPointer || tag == kGpsPointer, offset = tag == kOffsetTime || tag == kOffsetTimeOriginal;
      U16(at + 2, tag).U16(at + 4, pointer ? 4 : 2).U32(at + 6, pointer ? 1 : offset ? 7 : 20).U32(at + 10, value);
      at += 12;
    }
    return U32(at + 2, 0);
  }
  const std::string& bytes() const { return bytes_; }

 private:
  TiffBlock& Int(std::size_t at, std::uint32_t value, std::size_t width) {
    std::string bytes(width, '\0');
    for (std::size_t i = 0; i < width; ++i) bytes[big_ ? width - 1 - i : i] = static_cast<char>(value >> (8 * i));
    return Bytes(at, bytes);
  }

  bool big_;
  std::string bytes_;
};

// A marker segment: FF, the marker, the big-endian length (2 + data), the data.
inline std::string Segment(std::uint8_t marker, std::string_view data) {
  const std::size_t length = data.size() + 2;
  return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8), static_cast<char>(length)}
      .append(data);
}
inline std::string ExifSegment(const TiffBlock& tiff) { return Segment(0xE1, std::string("Exif\0\0", 6) + tiff.bytes()); }
inline std::string JfifSegment() { return Segment(0xE0, std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14)); }
// Start-of-scan with a little entropy-coded data, and end-of-image.
inline std::string ImageData() {
  return Segment(0xDA, std::string("\x01\x01\x00\x00\x3F\x00", 6)) + "\x12\x34\x56" + "\xFF\xD9";
}

// SOI, the given segments in order, then the image data.
inline std::string Jpeg(std::initializer_list<std::string> segments) {
  std::string out = "\xFF\xD8";
  for (const std::string& segment : segments) out += segment;
  return out + ImageData();
}

inline constexpr std::uint32_t kGpsDirectoryAt = 400;

// A GPS directory entry: tag, type, count, and up to 4 bytes kept in the entry or else an offset.
struct GpsEntry {
  std::uint16_t Tag, Type;
  std::uint32_t Count;
  std::string Inline;
  std::uint32_t At = 0;
};
inline TiffBlock& GpsDirectory(TiffBlock& tiff, const std::vector<GpsEntry>& entries) {
  std::size_t at = kGpsDirectoryAt + 2;
  for (const GpsEntry& e : entries) {
    tiff.U16(at, e.Tag).U16(at + 2, e.Type).U32(at + 4, e.Count).U32(at + 8, e.At).Bytes(at + 8, e.Inline);
    at += 12;
  }
  return tiff.U16(kGpsDirectoryAt, static_cast<std::uint16_t>(entries.size())).U32(at, 0);
}
inline TiffBlock& Rationals(TiffBlock& tiff, std::size_t at, std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> values) {
  for (const auto& [numerator, denominator] : values) tiff.U32(at, numerator).U32(at + 4, denominator), at += 8;
  return tiff;
}

// A camera's GPS position: degrees, minutes and thousandths of seconds at 500 (latitude) and 530,
// the altitude in centimetres at 560 when given, each hemisphere by its sign.
inline TiffBlock& CameraGps(TiffBlock& tiff, double lat, double lng, std::optional<double> alt) {
  for (const auto& [at, angle] : {std::pair{500, lat}, std::pair{530, lng}}) {
    const auto ms = static_cast<std::uint32_t>(std::llround(std::fabs(angle) * 3600000));
    Rationals(tiff, at, {{ms / 3600000, 1}, {ms / 60000 % 60, 1}, {ms % 60000, 1000}});
  }
  std::vector<GpsEntry> entries = {{1, 2, 2, lat < 0 ? "S" : "N"}, {2, 5, 3, "", 500}, {3, 2, 2, lng < 0 ? "W" : "E"}, {4, 5, 3, "", 530}};
  if (alt) {
    entries.push_back({5, 1, 1, std::string(1, *alt < 0 ? '\1' : '\0')});
    entries.push_back({6, 5, 1, "", 560});
    Rationals(tiff, 560, {{static_cast<std::uint32_t>(std::llround(std::fabs(*alt) * 100)), 100}});
  }
  return GpsDirectory(tiff, entries);
}

// The usual camera layout: IFD0 at 8 with Make, DateTime and the Exif pointer to 100; the Exif
// directory with an exposure time, DateTimeOriginal, OffsetTime and OffsetTimeOriginal (their
// texts at 240, 280 and 290); each date and offset present when given.
inline TiffBlock CameraTiff(ByteOrder order, std::optional<std::string_view> dateTime,
                            std::optional<std::string_view> dateTimeOriginal,
                            std::optional<std::string_view> offsetTime = std::nullopt,
                            std::optional<std::string_view> offsetTimeOriginal = std::nullopt,
                            bool gpsPointer = false) {
  Entries ifd0 = {{0x010F, 200}}, exif = {{0x829A, 260}};  // Make, ExposureTime
  if (dateTime) ifd0.push_back({kDateTime, 220});
  ifd0.push_back({kExifPointer, 100});
  if (gpsPointer) ifd0.push_back({kGpsPointer, kGpsDirectoryAt});
  if (dateTimeOriginal) exif.push_back({kDateTimeOriginal, 240});
  if (offsetTime) exif.push_back({kOffsetTime, 280});
  if (offsetTimeOriginal) exif.push_back({kOffsetTimeOriginal, 290});
  TiffBlock tiff(order);
  tiff.Directory(8, ifd0).Text(200, "Canon").Text(220, dateTime.value_or(""));
  tiff.Directory(100, exif).Text(240, dateTimeOriginal.value_or("")).U32(260, 1).U32(264, 125);
  if (offsetTime) tiff.Text(280, *offsetTime);
  if (offsetTimeOriginal) tiff.Text(290, *offsetTimeOriginal);
  return tiff;
}

}  // namespace routelet::testing
