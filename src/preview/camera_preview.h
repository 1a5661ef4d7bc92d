#pragma once
// The large preview a camera stores inside its JPEG photo, after the photo itself: the second
// image of a Multi-Picture Format index (an APP2 "MPF" segment). Plain reading of bytes, no
// decoding: it says where the preview lies and how large the pictures are, so that a page's
// preview can be made from some hundred kilobytes instead of the whole photo.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "photos/byte_source.h"

namespace routelet {

// What a JPEG's frame header states: its size in pixels (before any Exif turning), and whether
// it is coded the way every browser shows (Huffman: baseline, extended or progressive).
struct JpegFrame {
  int Width = 0;
  int Height = 0;
  bool CommonCoding = false;

  int Longer() const { return Width > Height ? Width : Height; }
};

// Where the camera's preview lies in the photo file.
struct FileRange {
  std::uint64_t Offset = 0;
  std::uint64_t Size = 0;
};

// The JPEG file's bytes from its start up to its image data (the start-of-scan marker): the
// segments that describe it. One read of 64 KiB serves almost every photo; more is read only
// when a segment runs past it, and never more than 1 MiB. Empty when it is not a JPEG.
std::string JpegHeaders(ByteSource& file);

// The frame header among `headers` (the start of a JPEG); none when there is none.
std::optional<JpegFrame> FrameOf(std::string_view headers);

// The quality (1 to 100, on the scale of the common JPEG library's encoder) that the luminance
// quantisation table (table 0) among `headers` corresponds to: how coarsely the picture was
// stored, and so how heavy it is against another of the same size. None when there is no
// readable table 0.
std::optional<int> EstimatedQuality(std::string_view headers);

// The JPEG in `jpeg` as it is but for its tags and comments (APP1 to APP13, APP15, COM: the
// photo's Exif, orientation included, XMP, colour profile and the like); JFIF and Adobe segments
// are kept, for they say how to read the colours. Empty when its segments do not lead to image data.
std::string WithoutMetadata(std::string_view jpeg);

// The camera's large preview as the Multi-Picture index among `headers` states it: the first
// entry of a large-thumbnail type (the VGA or the full-HD class) stored as JPEG, lying wholly
// inside a file of `fileSize` bytes. Other entries (the photo itself, gain or depth maps,
// other views) are never taken. None when there is no such entry or the index cannot be read.
std::optional<FileRange> CameraPreviewRange(std::string_view headers, std::uint64_t fileSize);

// Whether two pictures have the same proportions within one percent: a preview of another shape
// (letterboxed, or left over from before the photo was cropped) shows something else.
bool SameShape(const JpegFrame& a, const JpegFrame& b);

}  // namespace routelet
