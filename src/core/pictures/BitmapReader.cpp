// Windows BMP headers. Only the headers are read: the colour masks, the
// colour table and the pixel data are checked against the file's length
// (which is what a load that copies them would run into), never copied, so
// a header that declares absurd sizes costs nothing.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/pictures/PictureReaders.h"
#include "core/pictures/formats/Bmp.h"
#include "core/pictures/formats/ByteReader.h"
#include "core/platform/Errors.h"

namespace {

using bmp::BiBitFields;
using bmp::BiRgb;
using bmp::BiRle4;
using bmp::BiRle8;
using bmp::CoreHeader;
using bmp::FileHeader;
using bmp::InfoHeader;

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
  unsigned char head[FileHeader::Size + InfoHeader::Size];
  const auto headBytes =
      static_cast<std::size_t>(std::min<std::uint64_t>(source.Size(), sizeof head));
  source.ReadExact(0, head, headBytes);
  if (headBytes < FileHeader::Size) throw EReadError();  // "Stream read error"
  const ByteReader file(head, headBytes);
  if (file.U16(FileHeader::SignatureAt) != FileHeader::Signature) NotValid();

  // A file that ends inside the DIB header is not a bitmap.
  const std::uint64_t dibAt = FileHeader::Size;
  const ByteReader dib = file.From(FileHeader::Size);
  if (!source.Holds(dibAt, 4)) NotValid();
  const std::uint32_t dibSize = dib.U32(bmp::HeaderSizeAt);
  if (dibSize != CoreHeader::Size && dibSize < InfoHeader::Size) NotValid();
  if (!source.Holds(dibAt, dibSize)) NotValid();
  const bool core = dibSize == CoreHeader::Size;

  std::int32_t width, height;
  unsigned planes, bits;
  std::uint32_t compression = BiRgb;
  std::uint64_t colours = 0;
  std::uint64_t entrySize;
  if (core) {
    width = dib.U16(CoreHeader::WidthAt);
    height = dib.U16(CoreHeader::HeightAt);
    planes = dib.U16(CoreHeader::PlanesAt);
    bits = dib.U16(CoreHeader::BitCountAt);
    if (bits <= 8) colours = std::uint64_t{1} << bits;
    entrySize = CoreHeader::ColourEntrySize;
  } else {
    width = dib.I32(InfoHeader::WidthAt);
    height = dib.I32(InfoHeader::HeightAt);
    planes = dib.U16(InfoHeader::PlanesAt);
    bits = dib.U16(InfoHeader::BitCountAt);
    compression = dib.U32(InfoHeader::CompressionAt);
    colours = dib.U32(InfoHeader::ColoursUsedAt);
    if (colours == 0 && bits <= 8) colours = std::uint64_t{1} << bits;
    entrySize = InfoHeader::ColourEntrySize;
  }
  if (planes != 1) NotValid();
  if (!Buildable(width, height, bits, compression)) NotValid();
  if (core && (bits == 16 || bits == 32)) NotValid();  // the core form has no such depths

  // Colour masks and colour table must be in the file; the pixel data is
  // cut to what the file holds after them, so its length is never an error.
  std::uint64_t at = dibAt + dibSize;
  if (dibSize == InfoHeader::Size && compression == BiBitFields) {
    if (!source.Holds(at, bmp::BitFieldMasksSize)) throw EReadError();
    at += bmp::BitFieldMasksSize;
  }
  if (!source.Holds(at, colours * entrySize)) throw EReadError();

  header.Width = width;
  header.Height = height < 0 ? -height : height;
  return header;
}
