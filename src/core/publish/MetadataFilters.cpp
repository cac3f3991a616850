#include "core/publish/MetadataFilters.h"

#include <cstring>
#include <string_view>

#include "core/pictures/formats/ByteReader.h"
#include "core/pictures/formats/Gif.h"
#include "core/pictures/formats/Png.h"

namespace {

bool KeptPngChunk(std::string_view type) {
  // Upper case first letter: critical, needed to show the picture.
  if (type[0] >= 'A' && type[0] <= 'Z') return true;
  for (const char* kept : {"tRNS", "iCCP", "sRGB", "gAMA", "cHRM", "cICP", "acTL", "fcTL", "fdAT"})
    if (type == kept) return true;
  return false;
}

// The sub-blocks from at on, up to and with their terminator; the offset
// after them, or 0 when the file ends first.
std::size_t AfterSubBlocks(const std::string& gif, std::size_t at) {
  while (at < gif.size()) {
    const std::size_t size = static_cast<unsigned char>(gif[at]);
    at += 1 + size;
    if (size == 0) return at;
  }
  return 0;
}

}  // namespace

bool PngWithoutMetadata(const std::string& png, std::string& out) {
  if (png.size() < png::SignatureSize ||
      std::memcmp(png.data(), png::Signature, png::SignatureSize) != 0)
    return false;
  const ByteReader bytes(png);
  std::string kept(png, 0, png::SignatureSize);
  for (std::size_t at = png::SignatureSize;;) {
    if (!bytes.Has(at, png::Chunk::HeaderSize)) return false;
    const std::uint32_t length = bytes.U32BigEndian(at + png::Chunk::LengthAt);
    if (length > png::MaxNumber) return false;
    const std::size_t whole = png::Chunk::HeaderSize + std::size_t{length} + png::Chunk::CrcSize;
    if (!bytes.Has(at, whole)) return false;
    const std::string_view type(png.data() + at + png::Chunk::TypeAt, 4);
    if (KeptPngChunk(type)) kept.append(png, at, whole);
    at += whole;
    if (type == "IEND") break;
  }
  out = std::move(kept);
  return true;
}

bool GifWithoutComments(const std::string& gif, std::string& out) {
  if (gif.size() < gif::Header::Size ||
      (gif.compare(0, gif::Header::SignatureSize, gif::Signature87a) != 0 &&
       gif.compare(0, gif::Header::SignatureSize, gif::Signature89a) != 0))
    return false;
  const auto packed = static_cast<std::uint8_t>(gif[gif::Header::PackedAt]);
  std::size_t at = gif::Header::Size;
  if (packed & gif::ColourTableFlag) at += gif::ColourTableBytes(packed);
  std::string kept(gif, 0, std::min(at, gif.size()));
  while (at < gif.size()) {
    const auto introducer = static_cast<std::uint8_t>(gif[at]);
    std::size_t end = 0;
    bool keep = true;
    if (introducer == gif::ImageSeparator) {
      if (at + gif::ImageDescriptor::Size + 1 > gif.size()) break;
      const auto imagePacked = static_cast<std::uint8_t>(gif[at + gif::ImageDescriptor::PackedAt]);
      std::size_t data = at + gif::ImageDescriptor::Size;
      if (imagePacked & gif::ColourTableFlag) data += gif::ColourTableBytes(imagePacked);
      end = data < gif.size() ? AfterSubBlocks(gif, data + 1) : 0;  // after the LZW code size
    } else if (introducer == gif::ExtensionIntroducer && at + 2 < gif.size()) {
      const auto label = static_cast<std::uint8_t>(gif[at + 1]);
      constexpr std::uint8_t Comment = 0xFE, Application = 0xFF;
      const std::string_view id(
          gif.data() + at + 3,
          std::min<std::size_t>(11, gif.size() - std::min(gif.size(), at + 3)));
      keep =
          label != Comment && (label != Application || id == "NETSCAPE2.0" || id == "ANIMEXTS1.0");
      end = AfterSubBlocks(gif, at + gif::ExtensionHeaderSize);
    } else {
      break;  // the trailer, or damage
    }
    if (end == 0 || end > gif.size()) break;
    if (keep) kept.append(gif, at, end - at);
    at = end;
  }
  kept += static_cast<char>(gif::Trailer);
  out = std::move(kept);
  return true;
}
