// GIF headers: the logical screen, widened to the first image where that
// reaches beyond it, as browsers size a GIF (later frames do not count).
// The blocks in front of the first image descriptor (comments, application
// data such as a loop count or XMP) are passed over by their sub-block
// lengths; when they run beyond the measuring budget the logical screen
// alone gives the size.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/pictures/HeaderWindow.h"
#include "core/pictures/PictureReaders.h"
#include "core/pictures/formats/Gif.h"
#include "core/platform/Errors.h"

namespace {

using gif::Header;
using gif::ImageDescriptor;

[[noreturn]] void NotValid() {
  throw EInvalidGraphic("GIF image is not valid");
}

// The bytes at offset, all n of them: a file that ends first raises
// EReadError. Over the budget the view is empty.
ByteReader ReadWhole(HeaderWindow& window, std::uint64_t offset, std::size_t n) {
  const ByteReader bytes = window.Read(offset, n);
  if (window.Exhausted()) return bytes;
  if (bytes.Size() < n) throw EReadError();  // "Stream read error"
  return bytes;
}

// The offset after the sub-blocks that start at offset, or 0 over the budget.
std::uint64_t SkipSubBlocks(HeaderWindow& window, std::uint64_t offset) {
  for (;;) {
    const ByteReader length = ReadWhole(window, offset, 1);
    if (window.Exhausted()) return 0;
    offset += 1 + std::uint64_t{length.U8(0)};
    if (length.U8(0) == 0) return offset;
  }
}

}  // namespace

PictureHeader ReadGifHeader(PictureSource& source) {
  HeaderWindow window(source);
  const ByteReader head = window.Read(0, Header::Size);
  if (head.Size() < Header::Size) throw EReadError();
  const auto* signature = reinterpret_cast<const char*>(head.At(Header::SignatureAt, 6));
  if (std::memcmp(signature, gif::Signature87a, Header::SignatureSize) != 0 &&
      std::memcmp(signature, gif::Signature89a, Header::SignatureSize) != 0)
    NotValid();
  int width = head.U16(Header::ScreenWidthAt);
  int height = head.U16(Header::ScreenHeightAt);
  const std::uint8_t packed = head.U8(Header::PackedAt);

  std::uint64_t at = Header::Size;
  if (packed & gif::ColourTableFlag) {
    const std::size_t table = gif::ColourTableBytes(packed);
    if (!source.Holds(at, table)) throw EReadError();
    at += table;
  }
  for (;;) {
    const ByteReader block = ReadWhole(window, at, 1);
    if (window.Exhausted()) break;
    const std::uint8_t introducer = block.U8(0);
    if (introducer == gif::ImageSeparator) {
      const ByteReader image = ReadWhole(window, at, ImageDescriptor::Size);
      if (window.Exhausted()) break;
      width =
          std::max(width, image.U16(ImageDescriptor::LeftAt) + image.U16(ImageDescriptor::WidthAt));
      height = std::max(height,
                        image.U16(ImageDescriptor::TopAt) + image.U16(ImageDescriptor::HeightAt));
      break;
    }
    if (introducer != gif::ExtensionIntroducer) NotValid();  // the trailer, or no block at all
    ReadWhole(window, at, gif::ExtensionHeaderSize);
    if (window.Exhausted()) break;
    at = SkipSubBlocks(window, at + gif::ExtensionHeaderSize);
    if (at == 0) break;
  }
  if (width == 0 || height == 0) NotValid();

  PictureHeader header;
  header.Width = width;
  header.Height = height;
  return header;
}
