// WebP files: a RIFF container ("RIFF", a u32 size, "WEBP") whose first
// chunk tells the form: "VP8 " (lossy, a VP8 key frame), "VP8L" (lossless)
// or "VP8X" (extended: a canvas size, then chunks of its own). A chunk is a
// 4-letter type, a u32 data size and the data, padded to an even length.
// Numbers are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace webp {

struct Riff {
  static constexpr std::size_t TagAt = 0;   // "RIFF"
  static constexpr std::size_t SizeAt = 4;  // u32, the bytes after this field
  static constexpr std::size_t FormAt = 8;  // "WEBP"
  static constexpr std::size_t Size = 12;
  static constexpr std::uint32_t SmallestSize = 12;  // "WEBP" and one chunk header
};

struct Chunk {
  static constexpr std::size_t TypeAt = 0;
  static constexpr std::size_t SizeAt = 4;  // u32
  static constexpr std::size_t DataAt = 8;
  static constexpr std::size_t HeaderSize = 8;
};
// The first chunk starts right after the RIFF header.
constexpr std::size_t FirstChunkAt = Riff::Size;

// "VP8 ": the start of a VP8 key frame.
struct Lossy {
  static constexpr std::size_t FrameTagAt = 0;   // u24: bit 0 clear for a key frame,
                                                 // bits 1-3 the version (0 to 3),
                                                 // bit 4 set for a frame that is shown
  static constexpr std::size_t StartCodeAt = 3;  // 0x9D 0x01 0x2A
  static constexpr std::size_t WidthAt = 6;      // u16: 14 bits of size, 2 of upscaling
  static constexpr std::size_t HeightAt = 8;     // u16, the same
  static constexpr std::size_t Size = 10;
};
constexpr unsigned char StartCode[3] = {0x9D, 0x01, 0x2A};
constexpr std::uint32_t KeyFrameBit = 0x01;  // clear for a key frame
constexpr std::uint32_t VersionShift = 1;
constexpr std::uint32_t VersionMask = 0x07;
constexpr std::uint32_t LastVersion = 3;
constexpr std::uint32_t ShowFrameBit = 0x10;
constexpr std::uint16_t SizeMask = 0x3FFF;

// "VP8L": a signature byte, then a u32 of bit fields: width - 1 (14 bits),
// height - 1 (14 bits), alpha used (1 bit), version (3 bits, 0).
struct Lossless {
  static constexpr std::size_t SignatureAt = 0;
  static constexpr std::size_t FieldsAt = 1;
  static constexpr std::size_t Size = 5;
};
constexpr std::uint8_t LosslessSignature = 0x2F;
constexpr int LosslessHeightShift = 14;
constexpr int LosslessVersionShift = 29;
constexpr int LosslessAlphaShift = 28;  // the "alpha is used" bit

// "VP8X": flags, three reserved bytes, then the canvas size minus 1 in
// 24-bit numbers. The chunk is exactly this long.
struct Extended {
  static constexpr std::size_t FlagsAt = 0;
  static constexpr std::size_t CanvasWidthAt = 4;   // u24, width - 1
  static constexpr std::size_t CanvasHeightAt = 7;  // u24, height - 1
  static constexpr std::size_t Size = 10;
};
constexpr std::uint8_t ExtendedAlphaFlag = 0x10;
// The canvas covers fewer than 2^32 pixels.
constexpr std::uint64_t MaxCanvasPixels = std::uint64_t{1} << 32;

}  // namespace webp
