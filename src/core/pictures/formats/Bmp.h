// Windows bitmaps: the BMP file header and the device-independent bitmap
// (DIB) headers that BMP files, icons and metafile records share. All fields
// are little-endian; offsets count from the start of their header. Read them
// with ByteReader.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bmp {

// BITMAPFILEHEADER, in front of the DIB in a BMP file.
struct FileHeader {
  static constexpr std::size_t Size = 14;
  static constexpr std::size_t SignatureAt = 0;  // u16, "BM"
  static constexpr std::uint16_t Signature = 0x4D42;
  // 2: u32 file size, 6: 2 x u16 reserved, both unused.
  static constexpr std::size_t PixelsAt = 10;  // u32, offset of the pixel data in the file
};

// Every DIB header starts with its own size, which tells its form.
constexpr std::size_t HeaderSizeAt = 0;  // u32

// BITMAPCOREHEADER: unsigned sizes, always bottom-up, 3-byte colour entries
// (blue, green, red).
struct CoreHeader {
  static constexpr std::uint32_t Size = 12;
  static constexpr std::size_t WidthAt = 4;      // u16
  static constexpr std::size_t HeightAt = 6;     // u16
  static constexpr std::size_t PlanesAt = 8;     // u16
  static constexpr std::size_t BitCountAt = 10;  // u16
  static constexpr std::size_t ColourEntrySize = 3;
};

// BITMAPINFOHEADER; the later forms (52, 56, 108 and 124 bytes) only add
// fields at the end. Colour entries are 4 bytes (blue, green, red, reserved).
struct InfoHeader {
  static constexpr std::uint32_t Size = 40;
  static constexpr std::size_t WidthAt = 4;         // i32
  static constexpr std::size_t HeightAt = 8;        // i32, negative for top-down rows
  static constexpr std::size_t PlanesAt = 12;       // u16
  static constexpr std::size_t BitCountAt = 14;     // u16
  static constexpr std::size_t CompressionAt = 16;  // u32, Bi* below
  static constexpr std::size_t ImageSizeAt = 20;    // u32, 0 for uncompressed bitmaps
  // 24, 28: i32 pixels per metre (x, y), not used.
  static constexpr std::size_t ColoursUsedAt = 32;  // u32, 0: the full table up to 8 bits
  // 36: u32 important colours, not used.
  // Headers of 52 bytes or more hold the red, green and blue masks here, 56
  // or more the alpha mask too.
  static constexpr std::size_t MasksAt = 40;
  static constexpr std::uint32_t WithMasksSize = 52;
  static constexpr std::size_t ColourEntrySize = 4;
};

// Compression values.
constexpr std::uint32_t BiRgb = 0;
constexpr std::uint32_t BiRle8 = 1;
constexpr std::uint32_t BiRle4 = 2;
constexpr std::uint32_t BiBitFields = 3;
constexpr std::uint32_t BiJpeg = 4;  // printers only: a JPEG file as the pixel data
constexpr std::uint32_t BiPng = 5;   // printers only: a PNG file as the pixel data
constexpr std::uint32_t BiAlphaBitFields = 6;

// The colour masks after a 40-byte header with bit fields: red, green, blue
// (and alpha for BiAlphaBitFields), u32 each.
constexpr std::size_t MaskSize = 4;
constexpr std::size_t BitFieldMasksSize = 3 * MaskSize;
constexpr std::size_t AlphaBitFieldMasksSize = 4 * MaskSize;

}  // namespace bmp
