#pragma once
// The parts of a JPEG held in memory that tell about it without decoding: the segments before its
// image data, and the TIFF blocks some of them carry (Exif, the Multi-Picture index). Every read is
// checked against the bytes first; byte order is settled in one place, TiffReader.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "photos/jpeg_markers.h"

namespace routelet {

inline std::uint8_t ByteAt(std::string_view bytes, std::size_t at) { return static_cast<std::uint8_t>(bytes[at]); }

// Whether `bytes` begin as a JPEG does.
bool IsJpeg(std::string_view bytes);

// One segment: its marker, and where its data (after marker and length) lies and how long it is.
struct Segment {
  std::uint8_t Marker = 0;
  std::size_t Data = 0;
  std::size_t Length = 0;
};

// Where a walk over the segments ended, and, when it ended only for want of bytes, how many
// bytes from the start would let it go on (else 0).
struct Walk {
  std::size_t End = 0;
  std::uint64_t Wanted = 0;
};

// Visits the segments of the JPEG in `bytes` before its image data, in order, as long as each lies
// wholly inside `bytes`; `visit` returns true to stop.
Walk WalkSegments(std::string_view bytes, const std::function<bool(const Segment&)>& visit);

// Reads integers of a TIFF block in its own byte order; a read outside the block gives none.
class TiffReader {
 public:
  explicit TiffReader(std::string_view block) : block_(block), bigEndian_(block.substr(0, 2) == "MM") {}

  // Whether the block starts with a TIFF header of either byte order.
  bool Valid() const;
  std::optional<std::uint32_t> Unsigned(std::uint64_t at, int length) const;

 private:
  std::string_view block_;
  bool bigEndian_;
};

}  // namespace routelet
