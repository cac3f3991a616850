// GIF files: a header with the logical screen, an optional global colour
// table, then blocks: extensions (0x21, a label, then sub-blocks of a length
// byte and that many bytes, ended by an empty one), image descriptors (0x2C,
// each followed by its optional local colour table and its LZW data in
// sub-blocks) and the trailer (0x3B). Numbers are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gif {

// The header and the logical screen descriptor.
struct Header {
  static constexpr std::size_t SignatureAt = 0;  // "GIF87a" or "GIF89a"
  static constexpr std::size_t SignatureSize = 6;
  static constexpr std::size_t ScreenWidthAt = 6;   // u16
  static constexpr std::size_t ScreenHeightAt = 8;  // u16
  static constexpr std::size_t PackedAt = 10;       // u8, see ColourTable below
  // 11: u8 background colour index, 12: u8 pixel aspect ratio.
  static constexpr std::size_t Size = 13;
};
constexpr char Signature87a[] = "GIF87a";
constexpr char Signature89a[] = "GIF89a";

// The packed byte of the screen and image descriptors: bit 7 tells that a
// colour table follows, bits 0 to 2 its size: 3 x 2^(n + 1) bytes.
constexpr std::uint8_t ColourTableFlag = 0x80;
constexpr std::uint8_t ColourTableSizeMask = 0x07;
constexpr std::size_t ColourTableBytes(std::uint8_t packed) {
  return std::size_t{3} << ((packed & ColourTableSizeMask) + 1);
}

// Block introducers.
constexpr std::uint8_t ExtensionIntroducer = 0x21;
constexpr std::uint8_t ImageSeparator = 0x2C;
constexpr std::uint8_t Trailer = 0x3B;

// An extension: introducer, label, then sub-blocks.
constexpr std::size_t ExtensionHeaderSize = 2;

// The image descriptor, from its separator on.
struct ImageDescriptor {
  static constexpr std::size_t LeftAt = 1;    // u16
  static constexpr std::size_t TopAt = 3;     // u16
  static constexpr std::size_t WidthAt = 5;   // u16
  static constexpr std::size_t HeightAt = 7;  // u16
  static constexpr std::size_t PackedAt = 9;  // u8
  static constexpr std::size_t Size = 10;
};

}  // namespace gif
