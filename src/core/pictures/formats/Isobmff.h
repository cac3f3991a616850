// HEIF and AVIF files: ISO base media file format boxes. A box is a u32
// size (counting the whole box; 0: up to the end of the enclosing box or
// file; 1: a u64 size follows the type) and a 4-letter type, then its data;
// a full box starts its data with a u8 version and u24 flags. Numbers are
// big-endian (ByteReader's U16BigEndian and U32BigEndian).
//
// A still picture is described by the meta box: its handler ('pict'), the
// primary item (pitm) and the item properties (iprp): the properties in
// order (ipco, numbered from 1) and which item has which, in which order
// (ipma). The primary item's image spatial extents (ispe) give the size of
// the coded picture, or of the whole grid for a grid of tiles (an iPhone's
// HEIC); its transformative properties turn it for display, in their ipma
// order: clean aperture (clap, a crop), rotation (irot) and mirroring
// (imir).
#pragma once

#include <cstddef>
#include <cstdint>

namespace isobmff {

// Box types as big-endian u32 numbers.
constexpr std::uint32_t FourCc(const char (&name)[5]) {
  return std::uint32_t(std::uint8_t(name[0])) << 24 | std::uint32_t(std::uint8_t(name[1])) << 16 |
         std::uint32_t(std::uint8_t(name[2])) << 8 | std::uint32_t(std::uint8_t(name[3]));
}

struct Box {
  static constexpr std::size_t SizeAt = 0;  // u32
  static constexpr std::size_t TypeAt = 4;  // u32
  static constexpr std::size_t HeaderSize = 8;
  static constexpr std::size_t LargeSizeAt = 8;  // u64, when the u32 size is 1
  static constexpr std::size_t LargeHeaderSize = 16;
};
constexpr std::uint32_t SizeToEnd = 0;
constexpr std::uint32_t SizeIsLarge = 1;

struct FullBox {
  static constexpr std::size_t VersionAt = 0;  // u8
  static constexpr std::size_t FlagsAt = 1;    // u24
  static constexpr std::size_t Size = 4;
};

// File type: the major brand, a minor version, then compatible brands to
// the end of the box.
constexpr std::uint32_t Ftyp = FourCc("ftyp");
struct FileType {
  static constexpr std::size_t MajorBrandAt = 0;
  static constexpr std::size_t CompatibleBrandsAt = 8;
  static constexpr std::size_t BrandSize = 4;
};

constexpr std::uint32_t Meta = FourCc("meta");  // full box, then boxes
constexpr std::uint32_t Hdlr = FourCc("hdlr");
struct Handler {  // full box
  // 4: u32 pre-defined.
  static constexpr std::size_t HandlerTypeAt = 8;
  static constexpr std::size_t Size = 12;
};
constexpr std::uint32_t PictureHandler = FourCc("pict");

constexpr std::uint32_t Pitm = FourCc("pitm");
struct PrimaryItem {                          // full box
  static constexpr std::size_t ItemIdAt = 4;  // u16 in version 0, else u32
};

constexpr std::uint32_t Iprp = FourCc("iprp");  // boxes: ipco, ipma
constexpr std::uint32_t Ipco = FourCc("ipco");  // the property boxes, numbered from 1
constexpr std::uint32_t Ipma = FourCc("ipma");
// Item property associations (full box): a u32 entry count, then per item
// its ID (u16 in version 0, else u32), a u8 association count and the
// associations: with flags bit 0 a u16 (bit 15 essential, 15 bits of
// property index), else a u8 (bit 7 essential, 7 bits of index). Index 0
// is no property.
struct Associations {
  static constexpr std::size_t EntryCountAt = 4;
  static constexpr std::size_t EntriesAt = 8;
};
constexpr std::uint32_t WideIndicesFlag = 1;
constexpr std::uint16_t WideIndexMask = 0x7FFF;
constexpr std::uint8_t IndexMask = 0x7F;

constexpr std::uint32_t Ispe = FourCc("ispe");
struct SpatialExtents {                       // full box
  static constexpr std::size_t WidthAt = 4;   // u32
  static constexpr std::size_t HeightAt = 8;  // u32
  static constexpr std::size_t Size = 12;
};

// Clean aperture: eight u32 numbers, the width, height and the two offsets
// of the crop's centre as fractions (numerator, denominator).
constexpr std::uint32_t Clap = FourCc("clap");
struct CleanAperture {
  static constexpr std::size_t WidthNAt = 0;
  static constexpr std::size_t WidthDAt = 4;
  static constexpr std::size_t HeightNAt = 8;
  static constexpr std::size_t HeightDAt = 12;
  // 16 to 31: horizontal and vertical offsets.
  static constexpr std::size_t Size = 32;
};

// Rotation: the low 2 bits of a u8, quarter turns anticlockwise.
constexpr std::uint32_t Irot = FourCc("irot");
constexpr std::uint8_t RotationMask = 0x03;
// Mirroring: the low bit of a u8; 0 exchanges top and bottom, 1 left and
// right.
constexpr std::uint32_t Imir = FourCc("imir");
constexpr std::uint8_t MirrorMask = 0x01;
constexpr std::uint8_t MirrorLeftRight = 1;

// Auxiliary type (full box): the URN naming what an auxiliary image holds,
// null-terminated. These two name an alpha plane (HEVC's and AV1's).
constexpr std::uint32_t Auxc = FourCc("auxC");
inline constexpr char AlphaUrns[][44] = {"urn:mpeg:hevc:2015:auxid:1",
                                         "urn:mpeg:mpegB:cicp:systems:auxiliary:alpha"};
// The property boxes looked at for an alpha plane, at most.
constexpr int MostPropertiesForAlpha = 1024;

// Brands that name a HEIF still picture, and those of AVIF.
constexpr std::uint32_t HeifBrands[] = {FourCc("mif1"), FourCc("msf1"), FourCc("mif2"),
                                        FourCc("heic"), FourCc("heix"), FourCc("heim"),
                                        FourCc("heis"), FourCc("hevc"), FourCc("hevx")};
constexpr std::uint32_t AvifBrands[] = {FourCc("avif"), FourCc("avis")};

}  // namespace isobmff
