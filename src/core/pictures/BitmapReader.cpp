// Windows BMP headers. Only the headers are read: the colour masks, the
// colour table and the pixel data are checked against the file's length
// (which is what a load that copies them would run into), never copied, so
// a header that declares absurd sizes costs nothing.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/pictures/PictureReaders.h"
#include "core/pictures/formats/LittleEndian.h"
#include "core/platform/Errors.h"

namespace {

// BITMAPFILEHEADER, 14 bytes.
constexpr std::size_t FileHeaderSize = 14;
constexpr std::size_t FileSignatureAt = 0;  // u16, "BM"
constexpr std::uint16_t FileSignature = 0x4D42;
// 2: u32 file size, 6: 2 x u16 reserved, 10: u32 offset of the pixel data;
// none of them is used: the parts follow each other.

// The DIB header starts right after the file header with its own size.
constexpr std::size_t DibSizeAt = 0;  // u32
constexpr std::uint32_t CoreHeaderSize = 12;
constexpr std::uint32_t InfoHeaderSize = 40;

// BITMAPCOREHEADER, 12 bytes.
constexpr std::size_t CoreWidthAt = 4;            // u16
constexpr std::size_t CoreHeightAt = 6;           // u16
constexpr std::size_t CorePlanesAt = 8;           // u16
constexpr std::size_t CoreBitCountAt = 10;        // u16
constexpr std::uint64_t CoreColourEntrySize = 3;  // RGBTRIPLE

// BITMAPINFOHEADER, 40 bytes; the later forms (V4, V5) only add fields.
constexpr std::size_t InfoWidthAt = 4;         // i32
constexpr std::size_t InfoHeightAt = 8;        // i32, negative for top-down rows
constexpr std::size_t InfoPlanesAt = 12;       // u16
constexpr std::size_t InfoBitCountAt = 14;     // u16
constexpr std::size_t InfoCompressionAt = 16;  // u32
// 20: u32 image size, 24/28: i32 pixels per metre, 36: u32 important colours.
constexpr std::size_t InfoColoursUsedAt = 32;     // u32
constexpr std::uint64_t InfoColourEntrySize = 4;  // RGBQUAD

// Compression values.
constexpr std::uint32_t BiRgb = 0;
constexpr std::uint32_t BiRle8 = 1;
constexpr std::uint32_t BiRle4 = 2;
constexpr std::uint32_t BiBitFields = 3;
// With a 40-byte header and bit fields, three u32 colour masks (red, green,
// blue) follow the header.
constexpr std::uint64_t BitFieldMasksSize = 12;

[[noreturn]] void NotValid() {
  throw EInvalidGraphic("Bitmap image is not valid");
}

bool ValidBitCount(unsigned bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The checks the system applies before it builds a bitmap from a DIB:
// a known depth, a compression that fits the depth, no negative width and
// no top-down run-length data. A zero width or height is an empty bitmap,
// which the system accepts.
bool Buildable(std::int32_t width, std::int32_t height, unsigned bits, std::uint32_t compression) {
  if (width < 0 || height == std::numeric_limits<std::int32_t>::min()) return false;
  if (!ValidBitCount(bits)) return false;
  switch (compression) {
    case BiRgb:
      return true;
    case BiRle8:
      return bits == 8 && height >= 0;
    case BiRle4:
      return bits == 4 && height >= 0;
    case BiBitFields:
      return bits == 16 || bits == 32;
    default:
      return false;  // JPEG and PNG inside a DIB are for printers only
  }
}

}  // namespace

PictureHeader ReadBitmapHeader(PictureSource& source) {
  PictureHeader header;
  if (source.Size() == 0) return header;  // an empty bitmap

  // One read covers the file header and the part of the DIB header used.
  unsigned char head[FileHeaderSize + InfoHeaderSize];
  const auto headBytes =
      static_cast<std::size_t>(std::min<std::uint64_t>(source.Size(), sizeof head));
  source.ReadExact(0, head, headBytes);
  if (headBytes < FileHeaderSize) throw EReadError();  // "Stream read error"
  if (ReadU16(head, FileSignatureAt) != FileSignature) NotValid();

  // A file that ends inside the DIB header is not a bitmap.
  const std::uint64_t dibAt = FileHeaderSize;
  const unsigned char* dib = head + FileHeaderSize;
  if (!source.Holds(dibAt, 4)) NotValid();
  const std::uint32_t dibSize = ReadU32(dib, DibSizeAt);
  if (dibSize != CoreHeaderSize && dibSize < InfoHeaderSize) NotValid();
  if (!source.Holds(dibAt, dibSize)) NotValid();
  const bool core = dibSize == CoreHeaderSize;

  std::int32_t width, height;
  unsigned planes, bits;
  std::uint32_t compression = BiRgb;
  std::uint64_t colours = 0;
  std::uint64_t entrySize;
  if (core) {
    width = ReadU16(dib, CoreWidthAt);
    height = ReadU16(dib, CoreHeightAt);
    planes = ReadU16(dib, CorePlanesAt);
    bits = ReadU16(dib, CoreBitCountAt);
    if (bits <= 8) colours = std::uint64_t{1} << bits;
    entrySize = CoreColourEntrySize;
  } else {
    width = ReadI32(dib, InfoWidthAt);
    height = ReadI32(dib, InfoHeightAt);
    planes = ReadU16(dib, InfoPlanesAt);
    bits = ReadU16(dib, InfoBitCountAt);
    compression = ReadU32(dib, InfoCompressionAt);
    colours = ReadU32(dib, InfoColoursUsedAt);
    if (colours == 0 && bits <= 8) colours = std::uint64_t{1} << bits;
    entrySize = InfoColourEntrySize;
  }
  if (planes != 1) NotValid();
  if (!Buildable(width, height, bits, compression)) NotValid();
  if (core && (bits == 16 || bits == 32)) NotValid();  // the core form has no such depths

  // Colour masks and colour table must be in the file; the pixel data is
  // cut to what the file holds after them, so its length is never an error.
  std::uint64_t at = dibAt + dibSize;
  if (dibSize == InfoHeaderSize && compression == BiBitFields) {
    if (!source.Holds(at, BitFieldMasksSize)) throw EReadError();
    at += BitFieldMasksSize;
  }
  if (!source.Holds(at, colours * entrySize)) throw EReadError();

  header.Width = width;
  header.Height = height < 0 ? -height : height;
  return header;
}
