#include "preview/camera_preview.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <span>

#include "preview/jpeg_segments.h"

namespace routelet {
namespace {

constexpr std::uint8_t kApp2 = 0xE2;
constexpr std::uint8_t kApp14 = 0xEE;  // Adobe: how the colours are coded
constexpr std::uint8_t kApp15 = 0xEF;
constexpr std::uint8_t kComment = 0xFE;
constexpr std::uint8_t kQuantisationTables = 0xDB;
constexpr std::uint8_t kProgressiveFrame = 0xC2;  // SOF0 to SOF2: Huffman, as browsers show
constexpr std::string_view kMpfIdentifier{"MPF\0", 4};

constexpr std::size_t kFirstRead = 64 * 1024;
constexpr std::size_t kMostHeaderBytes = 1024 * 1024;

constexpr std::uint16_t kTagMpEntries = 0xB002;
constexpr std::size_t kMpEntrySize = 16;
constexpr std::uint32_t kMpTypeMask = 0x00FFFFFF;
constexpr std::uint32_t kLargeThumbnailVga = 0x010001;
constexpr std::uint32_t kLargeThumbnailFullHd = 0x010002;
constexpr int kFormatShift = 24;
constexpr std::uint32_t kFormatMask = 0x7;  // 0: JPEG
// A preview is some hundred kilobytes; an entry claiming more is not read into memory.
constexpr std::uint64_t kLargestPreview = 16 * 1024 * 1024;

// Frame headers: SOF0 to SOF15 but for DHT (C4), JPG (C8) and DAC (CC), which share the range.
bool IsFrameHeader(std::uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The MP entries' place and count in the index of `tiff` (the block after "MPF\0").
std::optional<std::pair<std::uint32_t, std::uint32_t>> MpEntries(const TiffReader& tiff) {
  const auto directory = tiff.Unsigned(4, 4);
  const auto count = directory ? tiff.Unsigned(*directory, 2) : std::nullopt;
  if (!count) return std::nullopt;
  for (std::uint32_t i = 0; i < *count; ++i) {
    const std::uint64_t entry = std::uint64_t{*directory} + 2 + 12 * std::uint64_t{i};
    const auto tag = tiff.Unsigned(entry, 2);
    if (!tag) return std::nullopt;
    if (*tag != kTagMpEntries) continue;
    const auto bytes = tiff.Unsigned(entry + 4, 4), offset = tiff.Unsigned(entry + 8, 4);
    if (!bytes || !offset) return std::nullopt;
    return std::pair(*offset, *bytes / static_cast<std::uint32_t>(kMpEntrySize));
  }
  return std::nullopt;
}

// The preview entry of the index in `tiff`, which starts at file offset `tiffStart`.
std::optional<FileRange> PreviewEntry(std::string_view tiffBlock, std::uint64_t tiffStart, std::uint64_t fileSize) {
  const TiffReader tiff(tiffBlock);
  if (!tiff.Valid()) return std::nullopt;
  const auto entries = MpEntries(tiff);
  if (!entries) return std::nullopt;
  const auto [first, count] = *entries;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t entry = std::uint64_t{first} + kMpEntrySize * i;
    const auto attribute = tiff.Unsigned(entry, 4), size = tiff.Unsigned(entry + 4, 4),
               offset = tiff.Unsigned(entry + 8, 4);
    if (!attribute || !size || !offset) return std::nullopt;  // the index runs past its segment
    const std::uint32_t type = *attribute & kMpTypeMask;
    if (type != kLargeThumbnailVga && type != kLargeThumbnailFullHd) continue;
    if (((*attribute >> kFormatShift) & kFormatMask) != 0) continue;
    // Offsets count from the index's TIFF header; 0 is the photo itself.
    const std::uint64_t start = tiffStart + *offset;
    if (*offset == 0 || *size < 4 || *size > kLargestPreview || start > fileSize || *size > fileSize - start) continue;
    return FileRange{start, *size};
  }
  return std::nullopt;
}

constexpr std::size_t kTableEntries = 64;

// The luminance table the JPEG standard gives as an example, row by row, which encoders scale
// by their quality setting.
constexpr std::array<std::uint8_t, kTableEntries> kStandardLuminance = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,   //
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,   //
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,   //
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};

// Where the k-th entry of a table as stored (zigzag order) lies in the table row by row.
constexpr std::array<std::uint8_t, kTableEntries> kZigzagToRowByRow = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,   //
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,  //
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,  //
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

using QuantisationTable = std::array<std::uint16_t, kTableEntries>;

// Reads the quantisation-table segment `data` into `luminance` when it holds table 0 (entries as
// stored, zigzag order); false when a table runs past the segment's end or is of no known precision.
bool ReadLuminanceTable(std::string_view data, std::optional<QuantisationTable>& luminance) {
  for (std::size_t at = 0; at < data.size();) {
    const std::uint8_t precisionAndId = ByteAt(data, at++);
    const std::size_t entryBytes = (precisionAndId >> 4) == 0 ? 1 : 2;  // 8 or 16 bits
    if ((precisionAndId >> 4) > 1 || data.size() - at < entryBytes * kTableEntries) return false;
    if ((precisionAndId & 0x0F) == 0) {
      QuantisationTable& table = luminance.emplace();
      for (std::size_t k = 0; k < kTableEntries; ++k) {
        const std::size_t entry = at + k * entryBytes;
        table[k] = entryBytes == 1 ? ByteAt(data, entry) : static_cast<std::uint16_t>((ByteAt(data, entry) << 8) | ByteAt(data, entry + 1));
      }
    }
    at += entryBytes * kTableEntries;
  }
  return true;
}

// The quality whose scaling of the standard table comes nearest `table` (zigzag order): the
// encoder multiplies each standard entry by scale/100, where quality q gives scale 200 - 2q
// above 50 and 5000/q below.
int QualityOfTable(const QuantisationTable& table) {
  double scale = 0;
  for (std::size_t k = 0; k < kTableEntries; ++k) scale += 100.0 * table[k] / kStandardLuminance[kZigzagToRowByRow[k]];
  scale /= kTableEntries;
  const double quality = scale <= 100 ? (200 - scale) / 2 : 5000 / scale;
  return std::clamp(static_cast<int>(std::lround(quality)), 1, 100);
}

}  // namespace

std::string JpegHeaders(ByteSource& file) {
  std::string bytes;
  // Makes sure the first `end` bytes (within the file and the limit) have been read.
  const auto readTo = [&](std::uint64_t end) {
    end = std::min<std::uint64_t>({end, file.Size(), kMostHeaderBytes});
    if (end <= bytes.size()) return true;
    const std::size_t had = bytes.size();
    bytes.resize(static_cast<std::size_t>(end));
    const auto more = std::span(reinterpret_cast<std::uint8_t*>(bytes.data()) + had, bytes.size() - had);
    if (file.Read(had, more)) return true;
    bytes.resize(had);
    return false;
  };
  if (!readTo(kFirstRead) || !IsJpeg(bytes)) return {};
  // Walk what has been read; when the walk stops at a segment that runs past it, read on.
  for (;;) {
    const Walk walk = WalkSegments(bytes, [](const Segment&) { return false; });
    const std::size_t had = bytes.size();
    if (walk.Wanted == 0 || !readTo(walk.Wanted) || bytes.size() == had) return bytes.substr(0, walk.End);
  }
}

std::optional<JpegFrame> FrameOf(std::string_view headers) {
  if (!IsJpeg(headers)) return std::nullopt;
  std::optional<JpegFrame> frame;
  WalkSegments(headers, [&](const Segment& segment) {
    // Precision (1 byte), height and width (2 bytes each, big-endian).
    if (!IsFrameHeader(segment.Marker) || segment.Length < 5) return false;
    const std::size_t at = segment.Data;
    const int height = (ByteAt(headers, at + 1) << 8) | ByteAt(headers, at + 2);
    const int width = (ByteAt(headers, at + 3) << 8) | ByteAt(headers, at + 4);
    if (width > 0 && height > 0) frame = JpegFrame{width, height, segment.Marker <= kProgressiveFrame};
    return true;
  });
  return frame;
}

std::optional<int> EstimatedQuality(std::string_view headers) {
  if (!IsJpeg(headers)) return std::nullopt;
  // The last table 0 before the image data is the one its first scan uses.
  std::optional<QuantisationTable> table;
  bool readable = true;
  WalkSegments(headers, [&](const Segment& segment) {
    if (segment.Marker == kQuantisationTables) readable = ReadLuminanceTable(headers.substr(segment.Data, segment.Length), table);
    return !readable;
  });
  if (!readable || !table) return std::nullopt;
  return QualityOfTable(*table);
}

std::string WithoutMetadata(std::string_view jpeg) {
  if (!IsJpeg(jpeg)) return {};
  std::string kept(jpeg.substr(0, 2));
  const Walk walk = WalkSegments(jpeg, [&](const Segment& segment) {
    const bool metadata = (segment.Marker >= kApp1 && segment.Marker <= kApp15 && segment.Marker != kApp14) ||
                          segment.Marker == kComment;
    if (!metadata) kept += jpeg.substr(segment.Data - 4, segment.Length + 4);
    return false;
  });
  const bool atImageData = walk.Wanted == 0 && walk.End + 2 <= jpeg.size() && ByteAt(jpeg, walk.End + 1) == kStartOfScan;
  return atImageData ? kept += jpeg.substr(walk.End) : std::string();
}

std::optional<FileRange> CameraPreviewRange(std::string_view headers, std::uint64_t fileSize) {
  if (!IsJpeg(headers)) return std::nullopt;
  std::optional<FileRange> range;
  WalkSegments(headers, [&](const Segment& segment) {
    const std::string_view data = headers.substr(segment.Data, segment.Length);
    if (segment.Marker != kApp2 || !data.starts_with(kMpfIdentifier)) return false;
    range = PreviewEntry(data.substr(kMpfIdentifier.size()), segment.Data + kMpfIdentifier.size(), fileSize);
    return true;
  });
  return range;
}

bool SameShape(const JpegFrame& a, const JpegFrame& b) {
  // |a.W / a.H - b.W / b.H| within 1% of a.W / a.H, without division.
  const std::int64_t left = std::int64_t{a.Width} * b.Height, right = std::int64_t{b.Width} * a.Height;
  return a.Width > 0 && a.Height > 0 && b.Width > 0 && b.Height > 0 && 100 * std::abs(left - right) <= left;
}

}  // namespace routelet
