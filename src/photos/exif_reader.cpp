#include "photos/exif_reader.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <optional>
#include <span>

#include "photos/camera_clock.h"
#include "photos/jpeg_markers.h"

namespace routelet {

std::int16_t SwapInt16(std::int16_t value, std::int16_t flag) {
  if (flag == 0) return value;
  const auto bits = static_cast<std::uint16_t>(value);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>((bits >> 8) | (bits << 8)));
}

std::int32_t SwapInt32(std::int32_t value, std::int16_t flag) {
  if (flag == 0) return value;
  const auto bits = static_cast<std::uint32_t>(value);
  return static_cast<std::int32_t>(((bits >> 24) & 0x000000FFu) | ((bits >> 8) & 0x0000FF00u) |
                                   ((bits << 8) & 0x00FF0000u) | ((bits << 24) & 0xFF000000u));
}

namespace {

constexpr std::array<std::uint8_t, 6> kExifIdentifier = {'E', 'x', 'i', 'f', 0, 0};

constexpr std::uint16_t kTagDateTime = 0x0132;
constexpr std::uint16_t kTagExifDirectory = 0x8769;
constexpr std::uint16_t kTagDateTimeOriginal = 0x9003;
constexpr std::uint16_t kTagOffsetTime = 0x9010;          // the zone of DateTime
constexpr std::uint16_t kTagOffsetTimeOriginal = 0x9011;  // the zone of DateTimeOriginal
constexpr std::uint16_t kTagGpsDirectory = 0x8825;

// Tags of the GPS directory.
constexpr std::uint16_t kTagGpsLatitudeRef = 0x0001;
constexpr std::uint16_t kTagGpsLatitude = 0x0002;
constexpr std::uint16_t kTagGpsLongitudeRef = 0x0003;
constexpr std::uint16_t kTagGpsLongitude = 0x0004;
constexpr std::uint16_t kTagGpsAltitudeRef = 0x0005;
constexpr std::uint16_t kTagGpsAltitude = 0x0006;
constexpr std::uint16_t kTagGpsStatus = 0x0009;

constexpr std::uint16_t kTypeByte = 1;
constexpr std::uint16_t kTypeAscii = 2;
constexpr std::uint16_t kTypeRational = 5;

constexpr std::size_t kTiffHeaderSize = 8;
constexpr std::size_t kEntrySize = 12;
constexpr std::size_t kDateTextSize = 19;  // "YYYY:MM:DD HH:MM:SS" without its closing zero byte
constexpr std::size_t kOffsetTextSize = 6;  // "+hh:mm" without its closing zero byte

// Walks the JPEG segments after the first two bytes (normally the start-of-image marker, taken
// untested) up to the first APP1 segment that holds an Exif block, and gives the file offset of
// its TIFF header. Phones and editors often put an APP0 (JFIF) or an XMP APP1 segment first.
// The walk ends without a result at start-of-scan, end-of-image, or anything but a marker.
std::optional<std::uint64_t> FindTiffHeader(ByteSource& source) {
  std::uint64_t position = 2;
  std::array<std::uint8_t, 4> head{};  // marker prefix, marker, 2-byte big-endian length
  while (source.Read(position, head)) {
    if (head[0] != kMarkerPrefix) return std::nullopt;
    const std::uint8_t marker = head[1];
    if (marker == kStartOfScan || marker == kEndOfImage) return std::nullopt;
    if (marker == kMarkerPrefix) {  // a fill byte before the marker
      position += 1;
      continue;
    }
    if (IsStandaloneMarker(marker)) {
      position += 2;
      continue;
    }
    // The length counts its own two bytes and the segment's data, not the marker.
    const std::uint16_t length = static_cast<std::uint16_t>((head[2] << 8) | head[3]);
    if (length < 2) return std::nullopt;
    const std::uint64_t data = position + 4;
    if (marker == kApp1 && length >= 2 + kExifIdentifier.size()) {
      std::array<std::uint8_t, kExifIdentifier.size()> identifier{};
      if (source.Read(data, identifier) && identifier == kExifIdentifier) {
        return data + kExifIdentifier.size();
      }
    }
    position += 2 + std::uint64_t{length};
  }
  return std::nullopt;
}

// One directory entry: its tag, type and count, and its 4-byte value field, both as it is stored
// (a short text or a byte lives there) and as an integer (most often an offset).
struct DirectoryEntry {
  std::uint16_t Tag = 0;
  std::uint16_t Type = 0;
  std::uint32_t Count = 0;
  std::array<std::uint8_t, 4> Field{};
  std::int32_t Value = 0;
};

// The integers of a TIFF block. Positions are file offsets; the integers are taken as stored
// little-endian and then put right by the byte-order flag, the one place where byte order counts.
class TiffBlock {
 public:
  TiffBlock(ByteSource& source, std::uint64_t start, std::int16_t byteOrderFlag)
      : source_(source), start_(start), flag_(byteOrderFlag) {}

  std::int16_t Int16(const std::uint8_t* bytes) const {
    return SwapInt16(static_cast<std::int16_t>(bytes[0] | (bytes[1] << 8)), flag_);
  }
  std::int32_t Int32(const std::uint8_t* bytes) const {
    const std::uint32_t bits = std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) |
                               (std::uint32_t{bytes[2]} << 16) | (std::uint32_t{bytes[3]} << 24);
    return SwapInt32(static_cast<std::int32_t>(bits), flag_);
  }

  // The file position of an offset counted from the TIFF header. Empty when the position does
  // not fit a signed 32-bit number. It may lie before the start of the file: no read there works.
  std::optional<std::int64_t> PositionOf(std::int32_t offset) const {
    const std::int64_t position = static_cast<std::int64_t>(start_) + offset;
    if (position > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return position;
  }

  bool Read(std::int64_t position, std::span<std::uint8_t> out) const {
    return position >= 0 && source_.Read(static_cast<std::uint64_t>(position), out);
  }

  // Calls visit(entry) for the entries of the directory at `position` in order, until it
  // returns false. A count of 0 or less (a top bit set) means no entries. The entries are read
  // one at a time, so a count far beyond the file costs nothing: the walk ends at the first
  // entry that does not lie wholly inside the file.
  template <typename Visit>
  void WalkDirectory(std::int64_t position, Visit visit) const {
    std::array<std::uint8_t, 2> countBytes{};
    if (!Read(position, countBytes)) return;
    const std::int16_t count = Int16(countBytes.data());
    std::array<std::uint8_t, kEntrySize> entry{};
    for (std::int64_t index = 0; index < count; ++index) {
      if (!Read(position + 2 + index * static_cast<std::int64_t>(kEntrySize), entry)) return;
      // Entry: tag (2 bytes), type (2), count (4), value or offset (4).
      DirectoryEntry read;
      read.Tag = static_cast<std::uint16_t>(Int16(entry.data()));
      read.Type = static_cast<std::uint16_t>(Int16(entry.data() + 2));
      read.Count = static_cast<std::uint32_t>(Int32(entry.data() + 4));
      std::copy(entry.begin() + 8, entry.end(), read.Field.begin());
      read.Value = Int32(entry.data() + 8);
      if (!visit(read)) return;
    }
  }

  // The date text at `position`, converted: 19 bytes, blanks trimmed at both ends, the 5th and
  // 8th characters made "/" whatever they were (Exif writes "YYYY:MM:DD HH:MM:SS", some writers
  // use "-"), then read as "yyyy/mm/dd" with an optional " hh:nn:ss". Empty when fewer than 19
  // bytes are there or the text is not a real calendar date and time (blank or all-zero texts
  // are common in cameras whose clock was never set).
  std::optional<DaySerial> DateAt(std::optional<std::int64_t> position) const {
    if (!position) return std::nullopt;
    std::array<std::uint8_t, kDateTextSize> raw{};
    if (!Read(*position, raw)) return std::nullopt;
    std::string text(raw.begin(), raw.end());
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.size() < 9) return std::nullopt;
    text[4] = '/';
    text[7] = '/';
    return ParseDateText(text);
  }

  // The unsigned rationals at the offset `entry` holds, as numbers; empty when the entry is not
  // `count` rationals, they do not lie inside the file, or a denominator is 0.
  template <std::size_t N>
  std::optional<std::array<double, N>> RationalsOf(const DirectoryEntry& entry) const {
    if (entry.Type != kTypeRational || entry.Count != N) return std::nullopt;
    const std::optional<std::int64_t> position = PositionOf(entry.Value);
    std::array<std::uint8_t, 8 * N> raw{};
    if (!position || !Read(*position, raw)) return std::nullopt;
    std::array<double, N> numbers{};
    for (std::size_t i = 0; i < N; ++i) {
      const auto numerator = static_cast<std::uint32_t>(Int32(raw.data() + 8 * i));
      const auto denominator = static_cast<std::uint32_t>(Int32(raw.data() + 8 * i + 4));
      if (denominator == 0) return std::nullopt;
      numbers[i] = static_cast<double>(numerator) / denominator;
    }
    return numbers;
  }

  // The offset text at `position` ("+hh:mm" or "-hh:mm") in minutes east of UTC; empty when
  // there is none or it is malformed (cameras without a zone setting write blanks).
  std::optional<std::int32_t> OffsetAt(std::optional<std::int64_t> position) const {
    std::array<std::uint8_t, kOffsetTextSize> raw{};
    if (!position || !Read(*position, raw)) return std::nullopt;
    return ParseUtcOffsetText(std::string_view(reinterpret_cast<const char*>(raw.data()), raw.size()));
  }

 private:
  ByteSource& source_;
  std::uint64_t start_;
  std::int16_t flag_;
};

// Degrees from the three rationals degrees, minutes, seconds; empty when minutes or seconds
// reach 60 or the angle passes `limit`. Writers that keep decimal minutes write 0 seconds.
std::optional<double> DegreesOf(const std::optional<std::array<double, 3>>& parts, double limit) {
  if (!parts) return std::nullopt;
  const auto [degrees, minutes, seconds] = *parts;
  if (minutes >= 60 || seconds >= 60) return std::nullopt;
  const double angle = degrees + minutes / 60 + seconds / 3600;
  if (angle > limit) return std::nullopt;
  return angle;
}

// The position of the GPS directory at `position`: latitude and longitude each with its
// hemisphere, the altitude when it is given and well formed. Empty when any of the four
// position tags is missing or malformed, or when the receiver marked the fix void ("V"), as
// cameras do that write zeros when they had no fix. The first of each tag counts.
std::optional<GeoPosition> ReadGpsPosition(const TiffBlock& tiff, std::int64_t position) {
  std::optional<DirectoryEntry> latRef, lat, lngRef, lng, altRef, alt;
  bool voidFix = false;
  tiff.WalkDirectory(position, [&](const DirectoryEntry& entry) {
    const auto keep = [&](std::optional<DirectoryEntry>& kept) { if (!kept) kept = entry; };
    switch (entry.Tag) {
      case kTagGpsLatitudeRef: keep(latRef); break;
      case kTagGpsLatitude: keep(lat); break;
      case kTagGpsLongitudeRef: keep(lngRef); break;
      case kTagGpsLongitude: keep(lng); break;
      case kTagGpsAltitudeRef: keep(altRef); break;
      case kTagGpsAltitude: keep(alt); break;
      case kTagGpsStatus: voidFix = entry.Type == kTypeAscii && entry.Field[0] == 'V'; break;
      default: break;
    }
    return true;
  });
  // A hemisphere is a one-letter text, stored in the entry itself: 1 for the letter alone, 2
  // with its closing zero byte.
  const auto letterOf = [](const std::optional<DirectoryEntry>& ref) -> char {
    if (!ref || ref->Type != kTypeAscii || ref->Count < 1 || ref->Count > 2) return 0;
    return static_cast<char>(ref->Field[0]);
  };
  const char latLetter = letterOf(latRef), lngLetter = letterOf(lngRef);
  if (voidFix || !lat || !lng || (latLetter != 'N' && latLetter != 'S') || (lngLetter != 'E' && lngLetter != 'W')) {
    return std::nullopt;
  }
  const std::optional<double> latDegrees = DegreesOf(tiff.RationalsOf<3>(*lat), 90);
  const std::optional<double> lngDegrees = DegreesOf(tiff.RationalsOf<3>(*lng), 180);
  if (!latDegrees || !lngDegrees) return std::nullopt;
  GeoPosition found{latLetter == 'S' ? -*latDegrees : *latDegrees, lngLetter == 'W' ? -*lngDegrees : *lngDegrees, {}};
  // Altitude reference: 0 above sea level (also when the tag is missing), 1 below.
  const bool belowSea = altRef && altRef->Type == kTypeByte && altRef->Count == 1 && altRef->Field[0] == 1;
  const bool refUsable = !altRef || (altRef->Type == kTypeByte && altRef->Count == 1 && altRef->Field[0] <= 1);
  if (alt && refUsable) {
    if (const auto metres = tiff.RationalsOf<1>(*alt)) found.Alt = belowSea ? -(*metres)[0] : (*metres)[0];
  }
  return found;
}

}  // namespace

PhotoTags ReadPhotoTags(ByteSource& source) {
  const std::optional<std::uint64_t> tiffStart = FindTiffHeader(source);
  if (!tiffStart) return {};
  return ReadTiffTags(source, *tiffStart);
}

PhotoTags ReadTiffTags(ByteSource& source, std::uint64_t tiffStart) {
  std::array<std::uint8_t, kTiffHeaderSize> header{};
  if (!source.Read(tiffStart, header)) return {};
  // "MM" marks a big-endian block; anything else is taken as little-endian.
  const std::int16_t byteOrderFlag = (header[0] == 0x4D && header[1] == 0x4D) ? -1 : 0;
  const TiffBlock tiff(source, tiffStart, byteOrderFlag);

  const std::optional<std::int64_t> ifd0 = tiff.PositionOf(tiff.Int32(header.data() + 4));
  if (!ifd0) return {};

  // In the main directory the first DateTime counts, and the last Exif directory pointer.
  std::optional<std::int64_t> dateTime;
  bool dateTimeSeen = false;
  std::optional<std::int64_t> exifDirectory;
  std::optional<std::int64_t> gpsDirectory;
  tiff.WalkDirectory(*ifd0, [&](const DirectoryEntry& entry) {
    if (entry.Tag == kTagDateTime && !dateTimeSeen) {
      dateTimeSeen = true;
      dateTime = tiff.PositionOf(entry.Value);
    } else if (entry.Tag == kTagExifDirectory) {
      if (const auto position = tiff.PositionOf(entry.Value)) exifDirectory = position;
    } else if (entry.Tag == kTagGpsDirectory) {
      if (const auto position = tiff.PositionOf(entry.Value)) gpsDirectory = position;
    }
    return true;
  });

  // The Exif directory holds DateTimeOriginal and both offsets, the one of DateTime included.
  // The first of each tag counts. Entries are stored in tag order, so once DateTimeOriginal is
  // found the walk ends at the first tag past the offsets: a camera's directory holds some forty
  // entries, and reading them all would cost every photo time for nothing. The date is found
  // wherever it stands, as before; only an offset out of order may be missed.
  std::optional<std::int64_t> original, originalOffset, dateTimeOffset;
  bool originalSeen = false, originalOffsetSeen = false, dateTimeOffsetSeen = false;
  const auto keepFirst = [&](std::optional<std::int64_t>& kept, bool& seen, std::int32_t value) {
    if (!seen) kept = tiff.PositionOf(value);
    seen = true;
  };
  if (exifDirectory) {
    tiff.WalkDirectory(*exifDirectory, [&](const DirectoryEntry& entry) {
      const std::uint16_t tag = entry.Tag;
      if (tag == kTagDateTimeOriginal) keepFirst(original, originalSeen, entry.Value);
      if (tag == kTagOffsetTimeOriginal) keepFirst(originalOffset, originalOffsetSeen, entry.Value);
      if (tag == kTagOffsetTime) keepFirst(dateTimeOffset, dateTimeOffsetSeen, entry.Value);
      return !(originalSeen && (tag > kTagOffsetTimeOriginal || (originalOffsetSeen && dateTimeOffsetSeen)));
    });
  }

  // DateTime is when the file was last written, which an editor changes; DateTimeOriginal is
  // when the shutter was pressed, so it wins whenever it holds a usable date. Each date comes
  // with the offset written for it, not the other one's.
  PhotoTags tags;
  if (gpsDirectory) tags.Gps = ReadGpsPosition(tiff, *gpsDirectory);
  if (const auto date = tiff.DateAt(original)) {
    tags.Capture = {*date, tiff.OffsetAt(originalOffset)};
  } else if (const auto date = tiff.DateAt(dateTime)) {
    tags.Capture = {*date, tiff.OffsetAt(dateTimeOffset)};
  }
  return tags;
}

CaptureTime ReadCaptureTime(ByteSource& source) { return ReadPhotoTags(source).Capture; }

CaptureTime ReadCaptureTime(const std::string& path) {
  FileByteSource source(path);
  return ReadCaptureTime(source);
}

PhotoTags ReadPhotoTags(const std::string& path) {
  FileByteSource source(path);
  return ReadPhotoTags(source);
}

DaySerial ReadExifDate(ByteSource& source) { return ReadCaptureTime(source).Camera; }

DaySerial ReadExifDate(const std::string& path) { return ReadCaptureTime(path).Camera; }

DaySerial ReadExifDateFromBytes(std::string_view bytes) {
  MemoryByteSource source(bytes);
  return ReadExifDate(source);
}

}  // namespace routelet
