// PNG headers: the size from the header chunk (IHDR), and the orientation
// from the first eXIf chunk before the pixel data, which browsers apply as
// they do a JPEG's EXIF orientation (one after the pixel data, or one whose
// CRC is wrong, they leave unapplied). The chunks before the pixel data are
// walked by their headers, their data skipped unread; a walk that runs out
// of the file or of the measuring budget ends the search for an
// orientation, never the measurement.
#include <cstdint>
#include <string>

#include "core/pictures/HeaderWindow.h"
#include "core/pictures/PictureReaders.h"
#include "core/pictures/formats/Exif.h"
#include "core/pictures/formats/Png.h"
#include "core/platform/Errors.h"

namespace {

using png::Chunk;
using png::Header;

[[noreturn]] void NotValid() {
  throw EInvalidGraphic("PNG image is not valid");
}

bool ValidDepth(std::uint8_t colourType, std::uint8_t depth) {
  switch (colourType) {
    case png::Greyscale:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case png::Indexed:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case png::Truecolour:
    case png::GreyscaleAlpha:
    case png::TruecolourAlpha:
      return depth == 8 || depth == 16;
    default:
      return false;
  }
}

// The CRC of a chunk read whole (header, data and CRC) is right.
bool CrcMatches(const ByteReader& chunk, std::uint32_t length) {
  const std::uint32_t crc =
      png::Crc32(chunk.At(Chunk::TypeAt, 4 + std::size_t{length}), 4 + std::size_t{length});
  return crc == chunk.U32BigEndian(Chunk::DataAt + length);
}

// The orientation of an eXIf chunk's data, by the rules of EXIF blocks.
int ExifChunkOrientation(const ByteReader& data) {
  std::string payload(exif::Identifier, exif::Identifier + exif::Payload::IdentifierSize);
  payload.push_back('\0');  // the fill byte
  payload.append(reinterpret_cast<const char*>(data.Data()), data.Size());
  return exif::ExifOrientation(ByteReader(payload));
}

// The orientation that the first eXIf chunk before the pixel data gives;
// 1 when there is none or it cannot be read within the budget.
int FindOrientation(HeaderWindow& window) {
  std::uint64_t at = Header::FileBytes;
  for (;;) {
    const ByteReader header = window.Read(at, Chunk::HeaderSize);
    if (header.Size() < Chunk::HeaderSize) return exif::Upright;
    const std::uint32_t length = header.U32BigEndian(Chunk::LengthAt);
    const std::uint32_t type = header.U32BigEndian(Chunk::TypeAt);
    if (length > png::MaxNumber || type == png::Idat || type == png::Iend) return exif::Upright;
    const std::uint64_t whole = Chunk::HeaderSize + std::uint64_t{length} + Chunk::CrcSize;
    if (type == png::Exif) {
      if (whole > MeasuringBudget) return exif::Upright;
      const ByteReader chunk = window.Read(at, static_cast<std::size_t>(whole));
      if (chunk.Size() < whole || !CrcMatches(chunk, length)) return exif::Upright;
      return ExifChunkOrientation(chunk.Part(Chunk::DataAt, length));
    }
    at += whole;
  }
}

}  // namespace

PictureHeader ReadPngHeader(PictureSource& source) {
  HeaderWindow window(source);
  const ByteReader head = window.Read(0, Header::FileBytes);
  if (head.Size() < Header::FileBytes) throw EReadError();  // "Stream read error"
  for (std::size_t i = 0; i < png::SignatureSize; ++i)
    if (head.U8(i) != png::Signature[i]) NotValid();
  const ByteReader chunk = head.From(Header::ChunkAt);
  if (chunk.U32BigEndian(Chunk::LengthAt) != Header::Length ||
      chunk.U32BigEndian(Chunk::TypeAt) != png::Ihdr || !CrcMatches(chunk, Header::Length))
    NotValid();
  const ByteReader ihdr = chunk.From(Chunk::DataAt);
  const std::uint32_t width = ihdr.U32BigEndian(Header::WidthAt);
  const std::uint32_t height = ihdr.U32BigEndian(Header::HeightAt);
  if (width == 0 || height == 0 || width > png::MaxNumber || height > png::MaxNumber ||
      !ValidDepth(ihdr.U8(Header::ColourTypeAt), ihdr.U8(Header::BitDepthAt)) ||
      ihdr.U8(Header::CompressionAt) != 0 || ihdr.U8(Header::FilterAt) != 0 ||
      ihdr.U8(Header::InterlaceAt) > 1)
    NotValid();

  PictureHeader header;
  header.Orientation = FindOrientation(window);
  const bool swapped = exif::SwapsWidthAndHeight(header.Orientation);
  header.Width = static_cast<int>(swapped ? height : width);
  header.Height = static_cast<int>(swapped ? width : height);
  return header;
}
