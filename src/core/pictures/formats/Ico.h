// Icon files (.ico): a directory of images. All fields are little-endian;
// offsets count from the start of their structure. Read them with
// ByteReader.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ico {

// ICONDIR, at the start of the file.
struct Directory {
  static constexpr std::size_t Size = 6;
  // 0: u16 reserved.
  static constexpr std::size_t TypeAt = 2;   // u16
  static constexpr std::size_t CountAt = 4;  // u16, number of images
};
// Type 1 is an icon, 2 a cursor.
constexpr std::uint16_t CursorType = 2;

// ICONDIRENTRY, one per image right after the directory.
struct Entry {
  static constexpr std::size_t Size = 16;
  static constexpr std::size_t WidthAt = 0;        // u8, 0 means 256
  static constexpr std::size_t HeightAt = 1;       // u8, 0 means 256
  static constexpr std::size_t ColourCountAt = 2;  // u8, 0 for 256 or more
  // 3: u8 reserved.
  static constexpr std::size_t PlanesAt = 4;    // u16
  static constexpr std::size_t BitCountAt = 6;  // u16, may be 0
  // 8: u32 size of the image data, unused.
  static constexpr std::size_t OffsetAt = 12;  // u32, image data from the start of the file
};
// The largest width and height, stored as 0.
constexpr int LargestSize = 256;

// The image data is a PNG file, or a DIB info header (height doubled for the
// AND mask) with colour table, colour bits and mask bits.
constexpr unsigned char PngSignature[4] = {0x89, 'P', 'N', 'G'};

}  // namespace ico
