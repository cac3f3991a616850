// WebP headers: the size from the first chunk, which every form begins
// with. Browsers ignore a WebP picture's EXIF orientation, so the size is
// the stored one.
#include <cstdint>
#include <cstring>

#include "core/pictures/HeaderWindow.h"
#include "core/pictures/PictureReaders.h"
#include "core/pictures/formats/WebP.h"
#include "core/platform/Errors.h"

namespace {

using webp::Chunk;

[[noreturn]] void NotValid() {
  throw EInvalidGraphic("WebP image is not valid");
}

bool HasTag(const ByteReader& bytes, std::size_t at, const char (&tag)[5]) {
  const unsigned char* found = bytes.At(at, 4);
  return found && std::memcmp(found, tag, 4) == 0;
}

std::uint32_t U24(const ByteReader& bytes, std::size_t at) {
  return std::uint32_t{bytes.U8(at)} | std::uint32_t{bytes.U8(at + 1)} << 8 |
         std::uint32_t{bytes.U8(at + 2)} << 16;
}

}  // namespace

PictureHeader ReadWebPHeader(PictureSource& source) {
  HeaderWindow window(source);
  constexpr std::size_t chunkAt = webp::FirstChunkAt;
  const ByteReader head = window.Read(0, chunkAt + Chunk::HeaderSize + webp::Extended::Size);
  if (head.Size() < chunkAt + Chunk::HeaderSize) throw EReadError();  // "Stream read error"
  if (!HasTag(head, webp::Riff::TagAt, "RIFF") || !HasTag(head, webp::Riff::FormAt, "WEBP") ||
      head.U32(webp::Riff::SizeAt) < webp::Riff::SmallestSize)
    NotValid();
  const ByteReader chunk = head.From(chunkAt);
  const std::uint32_t chunkSize = chunk.U32(Chunk::SizeAt);
  const ByteReader data = chunk.From(Chunk::DataAt);

  std::uint64_t width = 0, height = 0;
  bool alpha = false;
  if (HasTag(chunk, Chunk::TypeAt, "VP8 ")) {
    using webp::Lossy;
    if (chunkSize < Lossy::Size) NotValid();
    if (data.Size() < Lossy::Size) throw EReadError();
    const std::uint32_t tag = U24(data, Lossy::FrameTagAt);
    if ((tag & webp::KeyFrameBit) != 0 ||
        (tag >> webp::VersionShift & webp::VersionMask) > webp::LastVersion ||
        (tag & webp::ShowFrameBit) == 0 ||
        std::memcmp(data.At(Lossy::StartCodeAt, 3), webp::StartCode, 3) != 0)
      NotValid();
    width = data.U16(Lossy::WidthAt) & webp::SizeMask;
    height = data.U16(Lossy::HeightAt) & webp::SizeMask;
  } else if (HasTag(chunk, Chunk::TypeAt, "VP8L")) {
    using webp::Lossless;
    if (chunkSize < Lossless::Size) NotValid();
    if (data.Size() < Lossless::Size) throw EReadError();
    const std::uint32_t fields = data.U32(Lossless::FieldsAt);
    if (data.U8(Lossless::SignatureAt) != webp::LosslessSignature ||
        (fields >> webp::LosslessVersionShift) != 0)
      NotValid();
    width = (fields & webp::SizeMask) + 1;
    height = (fields >> webp::LosslessHeightShift & webp::SizeMask) + 1;
    alpha = (fields >> webp::LosslessAlphaShift & 1) != 0;
  } else if (HasTag(chunk, Chunk::TypeAt, "VP8X")) {
    using webp::Extended;
    if (chunkSize != Extended::Size) NotValid();
    if (data.Size() < Extended::Size) throw EReadError();
    width = std::uint64_t{U24(data, Extended::CanvasWidthAt)} + 1;
    height = std::uint64_t{U24(data, Extended::CanvasHeightAt)} + 1;
    if (width * height >= webp::MaxCanvasPixels) NotValid();
    alpha = (data.U8(Extended::FlagsAt) & webp::ExtendedAlphaFlag) != 0;
  } else {
    NotValid();
  }
  if (width == 0 || height == 0) NotValid();

  PictureHeader header;
  header.Width = static_cast<int>(width);
  header.Height = static_cast<int>(height);
  header.Alpha = alpha;
  return header;
}
