#pragma once
// The JPEG markers that the readers of a photo's segments look for, and which markers stand
// alone: the one vocabulary of the Exif reader and of the preview's segment walk.
#include <cstdint>

namespace routelet {

constexpr std::uint8_t kMarkerPrefix = 0xFF;
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kApp1 = 0xE1;  // Exif, XMP

// Markers that stand alone, without a length: the restart markers, TEM, and a repeated SOI.
constexpr bool IsStandaloneMarker(std::uint8_t marker) { return (marker >= 0xD0 && marker <= 0xD8) || marker == 0x01; }

}  // namespace routelet
