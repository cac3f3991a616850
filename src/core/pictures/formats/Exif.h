// EXIF blocks in JPEG files: an APP1 segment whose payload (the bytes after
// the segment's length) starts with "Exif\0" and a fill byte, followed by a
// TIFF structure. Of it only the Orientation tag of the first image file
// directory (IFD0) is read: cameras and phones store the pixels as the
// sensor saw them and record there how to turn them for display, and
// browsers show the picture turned.
//
// TIFF numbers are little-endian ("II") or big-endian ("MM") as the TIFF
// header says; TIFF offsets count from the TIFF header's first byte. Read
// them with ByteReader, through TiffNumbers below.
//
// The rules follow what browsers do: the first EXIF segment whose IFD0 holds
// an Orientation entry (type SHORT, count 1) decides; a value outside 1 to 8
// counts as 1. A missing tag, a damaged or cut TIFF structure and anything
// that is no EXIF block give 1 and are never an error.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/pictures/formats/ByteReader.h"

namespace exif {

// The APP1 payload.
struct Payload {
  static constexpr std::size_t IdentifierAt = 0;  // "Exif\0"
  static constexpr std::size_t IdentifierSize = 5;
  // 5: u8 fill byte (0).
  static constexpr std::size_t TiffAt = 6;
};
constexpr unsigned char Identifier[Payload::IdentifierSize] = {'E', 'x', 'i', 'f', 0};

// TIFF header.
struct TiffHeader {
  static constexpr std::size_t ByteOrderAt = 0;  // "II" or "MM"
  static constexpr std::size_t MagicAt = 2;      // u16, 42
  static constexpr std::size_t Ifd0At = 4;       // u32, offset of IFD0
  static constexpr std::size_t Size = 8;
};
constexpr unsigned char LittleEndianMark = 'I';
constexpr unsigned char BigEndianMark = 'M';
constexpr std::uint16_t TiffMagic = 42;

// Image file directory: a u16 entry count, the entries, then the u32 offset
// of the next directory (not read).
struct Ifd {
  static constexpr std::size_t CountAt = 0;
  static constexpr std::size_t CountSize = 2;
  static constexpr std::size_t EntriesAt = 2;
};
struct IfdEntry {
  static constexpr std::size_t TagAt = 0;    // u16
  static constexpr std::size_t TypeAt = 2;   // u16
  static constexpr std::size_t CountAt = 4;  // u32, number of values
  // 4 bytes: the value itself when it fits (a SHORT in the first two bytes),
  // else the offset of the values.
  static constexpr std::size_t ValueAt = 8;
  static constexpr std::size_t Size = 12;
};
constexpr std::uint16_t OrientationTag = 0x0112;
constexpr std::uint16_t ShortType = 3;
// IFD0 entries looked at, at most: cameras write a dozen or two; a larger
// count comes from a damaged block.
constexpr std::uint32_t MaxIfd0Entries = 256;

// Orientation values: where the stored rows and columns belong on screen.
constexpr int Upright = 1;        // as stored
constexpr int Mirrored = 2;       // mirrored left to right
constexpr int UpsideDown = 3;     // turned by 180 degrees
constexpr int Flipped = 4;        // mirrored top to bottom
constexpr int Transposed = 5;     // rows become columns (mirrored along the main diagonal)
constexpr int Clockwise = 6;      // turned by 90 degrees clockwise
constexpr int Transversed = 7;    // mirrored along the other diagonal
constexpr int Anticlockwise = 8;  // turned by 90 degrees anticlockwise

// Orientations 5 to 8 show the stored width as the height.
constexpr bool SwapsWidthAndHeight(int orientation) {
  return orientation >= Transposed && orientation <= Anticlockwise;
}

// TIFF numbers in the structure's byte order.
struct TiffNumbers {
  bool BigEndian = false;
  std::uint16_t U16(const ByteReader& bytes, std::size_t offset) const {
    return BigEndian ? bytes.U16BigEndian(offset) : bytes.U16(offset);
  }
  std::uint32_t U32(const ByteReader& bytes, std::size_t offset) const {
    return BigEndian ? bytes.U32BigEndian(offset) : bytes.U32(offset);
  }
};

// What an EXIF block says about the orientation, and where.
struct OrientationEntry {
  bool Found = false;   // IFD0 has an Orientation entry of one SHORT
  int Value = Upright;  // 1 to 8; 1 when not found or out of range
  // Payload offset of the entry's u16 value (when Found), so that a copy of
  // the picture turned upright can set it to 1.
  std::size_t ValueAt = 0;
  TiffNumbers Numbers;
};

// Finds the Orientation entry of an APP1 payload. `Segment` offers Size()
// and Part(offset, count) as ByteReader does; the offsets asked for only
// grow and no part is longer than LongestPart, so a reader that streams the
// segment from a file can serve them without going back and without holding
// more than a few bytes.
constexpr std::size_t LongestPart = Payload::TiffAt + TiffHeader::Size;
template <typename Segment>
OrientationEntry FindOrientation(Segment& payload) {
  OrientationEntry result;
  const std::size_t size = payload.Size();
  if (size < LongestPart) return result;
  const ByteReader header = payload.Part(0, LongestPart);  // identifier and TIFF header
  for (std::size_t i = 0; i < Payload::IdentifierSize; ++i)
    if (header.U8(Payload::IdentifierAt + i) != Identifier[i]) return result;
  const ByteReader tiff = header.From(Payload::TiffAt);
  const std::uint8_t order = tiff.U8(TiffHeader::ByteOrderAt);
  if ((order != LittleEndianMark && order != BigEndianMark) ||
      tiff.U8(TiffHeader::ByteOrderAt + 1) != order)
    return result;
  result.Numbers.BigEndian = order == BigEndianMark;
  if (result.Numbers.U16(tiff, TiffHeader::MagicAt) != TiffMagic) return result;

  // IFD0 lies after the header (it is read going forward) and inside the
  // payload.
  const std::uint64_t ifd0 = result.Numbers.U32(tiff, TiffHeader::Ifd0At);
  const std::uint64_t tiffSize = size - Payload::TiffAt;
  if (ifd0 < TiffHeader::Size || ifd0 > tiffSize || tiffSize - ifd0 < Ifd::CountSize) return result;
  const std::size_t ifdAt = Payload::TiffAt + static_cast<std::size_t>(ifd0);
  const std::uint32_t count =
      result.Numbers.U16(payload.Part(ifdAt + Ifd::CountAt, Ifd::CountSize), 0);
  const std::size_t entriesAt = ifdAt + Ifd::EntriesAt;
  for (std::uint32_t i = 0; i < count && i < MaxIfd0Entries; ++i) {
    const std::size_t entryAt = entriesAt + std::size_t{i} * IfdEntry::Size;
    if (entryAt > size || size - entryAt < IfdEntry::Size) break;  // the block is cut short
    const ByteReader entry = payload.Part(entryAt, IfdEntry::Size);
    if (result.Numbers.U16(entry, IfdEntry::TagAt) != OrientationTag ||
        result.Numbers.U16(entry, IfdEntry::TypeAt) != ShortType ||
        result.Numbers.U32(entry, IfdEntry::CountAt) != 1)
      continue;
    const std::uint16_t value = result.Numbers.U16(entry, IfdEntry::ValueAt);
    result.Found = true;
    result.Value = value >= Upright && value <= Anticlockwise ? value : Upright;
    result.ValueAt = entryAt + IfdEntry::ValueAt;
    break;
  }
  return result;
}

// The orientation an APP1 payload held in memory gives: 1 to 8, 1 when it
// is no EXIF block, has no Orientation entry or is damaged.
int ExifOrientation(ByteReader app1Payload);

// The orientation of a whole JPEG file held in memory: its segments are
// walked from the start-of-image marker to the first scan (or the end of the
// data) as the decoder walks them, and the first EXIF segment with an
// Orientation entry decides. 1 when there is none.
int JpegOrientation(ByteReader file);

}  // namespace exif
