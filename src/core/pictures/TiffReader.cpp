// TIFF headers: the width, length and orientation entries of the first
// image file directory. Only Safari shows TIFF pictures, turned upright by
// their orientation as it turns every picture, so orientations 5 to 8 swap
// width and height as for a JPEG. IFD0 may lie anywhere in the file
// (writers often put it after the pixel data); its entries are read through
// the measuring window, and a directory longer than the budget is refused.
#include <cstdint>

#include "core/pictures/HeaderWindow.h"
#include "core/pictures/PictureReaders.h"
#include "core/pictures/formats/Tiff.h"
#include "core/platform/Errors.h"

namespace {

using tiff::Ifd;
using tiff::IfdEntry;
using tiff::TiffHeader;

[[noreturn]] void NotValid() {
  throw EInvalidGraphic("TIFF image is not valid");
}

// The bytes at offset, all n of them: a file that ends first raises
// EReadError, a read beyond the budget is a directory that lies about its
// length.
ByteReader ReadWhole(HeaderWindow& window, std::uint64_t offset, std::size_t n) {
  const ByteReader bytes = window.Read(offset, n);
  if (window.Exhausted()) NotValid();
  if (bytes.Size() < n) throw EReadError();  // "Stream read error"
  return bytes;
}

// A size entry's value: one SHORT or LONG; 0 for anything else.
std::uint32_t SizeValue(const ByteReader& entry, const tiff::TiffNumbers& numbers) {
  if (numbers.U32(entry, IfdEntry::CountAt) != 1) return 0;
  switch (numbers.U16(entry, IfdEntry::TypeAt)) {
    case tiff::ShortType:
      return numbers.U16(entry, IfdEntry::ValueAt);
    case tiff::LongType:
      return numbers.U32(entry, IfdEntry::ValueAt);
    default:
      return 0;
  }
}

}  // namespace

PictureHeader ReadTiffHeader(PictureSource& source) {
  HeaderWindow window(source);
  const ByteReader head = ReadWhole(window, 0, TiffHeader::Size);
  const std::uint8_t order = head.U8(TiffHeader::ByteOrderAt);
  if ((order != exif::LittleEndianMark && order != exif::BigEndianMark) ||
      head.U8(TiffHeader::ByteOrderAt + 1) != order)
    NotValid();
  tiff::TiffNumbers numbers;
  numbers.BigEndian = order == exif::BigEndianMark;
  if (numbers.U16(head, TiffHeader::MagicAt) != exif::TiffMagic) NotValid();
  const std::uint64_t ifd0 = numbers.U32(head, TiffHeader::Ifd0At);
  if (ifd0 < TiffHeader::Size || ifd0 >= source.Size()) NotValid();

  const std::uint32_t count = numbers.U16(ReadWhole(window, ifd0, Ifd::CountSize), Ifd::CountAt);
  std::uint32_t width = 0, length = 0;
  int orientation = exif::Upright;
  bool orientationFound = false;
  bool alpha = false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const ByteReader entry = ReadWhole(
        window, ifd0 + Ifd::EntriesAt + std::uint64_t{i} * IfdEntry::Size, IfdEntry::Size);
    switch (numbers.U16(entry, IfdEntry::TagAt)) {
      case tiff::ImageWidthTag:
        if (width == 0) width = SizeValue(entry, numbers);
        break;
      case tiff::ImageLengthTag:
        if (length == 0) length = SizeValue(entry, numbers);
        break;
      case tiff::OrientationTag:
        // As browsers read an EXIF orientation: one SHORT from 1 to 8.
        if (orientationFound || numbers.U16(entry, IfdEntry::TypeAt) != tiff::ShortType ||
            numbers.U32(entry, IfdEntry::CountAt) != 1)
          break;
        orientationFound = true;
        orientation = numbers.U16(entry, IfdEntry::ValueAt);
        if (orientation < exif::Upright || orientation > exif::Anticlockwise)
          orientation = exif::Upright;
        break;
      case tiff::ExtraSamplesTag: {
        // The first extra sample, held in the entry itself.
        const std::uint32_t first = numbers.U16(entry, IfdEntry::TypeAt) == tiff::ShortType &&
                                            numbers.U32(entry, IfdEntry::CountAt) >= 1 &&
                                            numbers.U32(entry, IfdEntry::CountAt) <= 2
                                        ? numbers.U16(entry, IfdEntry::ValueAt)
                                        : 0;
        alpha = alpha || first == 1 || first == 2;
        break;
      }
      default:
        break;
    }
  }
  if (width == 0 || length == 0 || width > 0x7FFFFFFF || length > 0x7FFFFFFF) NotValid();

  PictureHeader header;
  header.Orientation = orientation;
  header.Alpha = alpha;
  const bool swapped = exif::SwapsWidthAndHeight(orientation);
  header.Width = static_cast<int>(swapped ? length : width);
  header.Height = static_cast<int>(swapped ? width : length);
  return header;
}
