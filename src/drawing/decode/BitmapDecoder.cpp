#include "drawing/decode/BitmapDecoder.h"

#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/pictures/formats/Bmp.h"
#include "core/pictures/formats/ByteReader.h"
#include "drawing/decode/JpegDecoder.h"

namespace {

using bmp::BiAlphaBitFields;
using bmp::BiBitFields;
using bmp::BiJpeg;
using bmp::BiPng;
using bmp::BiRgb;
using bmp::BiRle4;
using bmp::BiRle8;
using bmp::CoreHeader;
using bmp::FileHeader;
using bmp::InfoHeader;

// Largest bitmap built (pixels); Qt's readers refuse images over 256 MB too.
constexpr std::int64_t MaxPixels = std::int64_t(1) << 26;

void Put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
}
void Put16(std::string& out, std::uint16_t v) {
  out.push_back(char(v & 0xFF));
  out.push_back(char(v >> 8));
}

struct DibLayout {
  std::int64_t Width = 0;
  std::int64_t Height = 0;  // signed: negative for top-down
  int Bits = 0;
  std::uint32_t Compression = BiRgb;
  std::uint32_t ImageSize = 0;
  std::uint32_t Masks[3] = {0, 0, 0};
  bool Core = false;
  std::size_t InfoSize = 0;      // header + masks + colour table, in bytes
  std::size_t TableOffset = 0;   // from the start of the info header
  std::size_t TableEntries = 0;  // entries stored
  std::size_t EntrySize = 4;
};

// Reads the info header and locates masks and colour table. The colour table
// may be cut short by `size`; the layout still says how long it should be.
bool ParseInfo(const unsigned char* p, std::size_t size, DibLayout& layout) {
  const ByteReader header(p, size);
  if (size < 4) return false;
  const std::uint32_t headerSize = header.U32(bmp::HeaderSizeAt);
  std::uint32_t colorsUsed = 0;
  if (headerSize == CoreHeader::Size) {
    if (size < CoreHeader::Size) return false;
    layout.Core = true;
    layout.Width = header.U16(CoreHeader::WidthAt);
    layout.Height = header.U16(CoreHeader::HeightAt);
    layout.Bits = header.U16(CoreHeader::BitCountAt);
    layout.EntrySize = CoreHeader::ColourEntrySize;
  } else if (headerSize >= InfoHeader::Size) {
    if (size < headerSize) return false;
    layout.Width = header.I32(InfoHeader::WidthAt);
    layout.Height = header.I32(InfoHeader::HeightAt);
    layout.Bits = header.U16(InfoHeader::BitCountAt);
    layout.Compression = header.U32(InfoHeader::CompressionAt);
    layout.ImageSize = header.U32(InfoHeader::ImageSizeAt);
    colorsUsed = header.U32(InfoHeader::ColoursUsedAt);
  } else {
    return false;
  }
  std::size_t offset = headerSize;
  const bool bitFields =
      layout.Compression == BiBitFields || layout.Compression == BiAlphaBitFields;
  if (bitFields) {
    if (headerSize >= InfoHeader::WithMasksSize) {
      for (int i = 0; i < 3; ++i)
        layout.Masks[i] = header.U32(InfoHeader::MasksAt + bmp::MaskSize * i);
    } else {
      const std::size_t masksSize = layout.Compression == BiAlphaBitFields
                                        ? bmp::AlphaBitFieldMasksSize
                                        : bmp::BitFieldMasksSize;
      if (size < offset + bmp::BitFieldMasksSize) return false;
      for (int i = 0; i < 3; ++i) layout.Masks[i] = header.U32(offset + bmp::MaskSize * i);
      offset += masksSize;
    }
  }
  layout.TableOffset = offset;
  if (colorsUsed != 0)
    layout.TableEntries = std::min<std::uint32_t>(colorsUsed, 1u << 16);
  else if (layout.Bits <= 8 && layout.Bits > 0)
    layout.TableEntries = std::size_t(1) << layout.Bits;
  layout.InfoSize = offset + layout.TableEntries * layout.EntrySize;
  return true;
}

std::size_t RowBytes(std::int64_t width, int bits) {
  return std::size_t(((width * bits + 31) / 32) * 4);
}

// Expands run-length data into one byte a pixel, rows bottom-up. Pixels that
// the data skips (deltas, short lines, early end) keep index 0.
void ExpandRle(const unsigned char* p, std::size_t n, bool rle4, int width, int height,
               unsigned char* out, std::size_t rowBytes) {
  std::size_t i = 0;
  int x = 0;
  int y = 0;
  auto put = [&](unsigned v) {
    if (x < width) {
      out[std::size_t(y) * rowBytes + std::size_t(x)] = static_cast<unsigned char>(v);
      ++x;
    }
  };
  while (i + 1 < n && y < height) {
    const unsigned count = p[i];
    const unsigned value = p[i + 1];
    i += 2;
    if (count > 0) {  // a run of one value (RLE4: two alternating nibbles)
      for (unsigned k = 0; k < count; ++k) put(rle4 ? ((k & 1) ? value & 15 : value >> 4) : value);
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // move right and up
      if (i + 1 >= n) break;
      x = std::min(width, x + p[i]);
      y += p[i + 1];
      i += 2;
    } else {  // literal pixels, padded to a 16-bit boundary
      const std::size_t bytes = rle4 ? (value + 1) / 2 : value;
      for (unsigned k = 0; k < value; ++k) {
        const std::size_t at = i + (rle4 ? k / 2 : k);
        if (at >= n) break;
        put(rle4 ? ((k & 1) ? p[at] & 15 : p[at] >> 4) : p[at]);
      }
      i += (bytes + 1) & ~std::size_t(1);
    }
  }
}

DecodedBitmap FromCompressedImage(const DibLayout& layout, const unsigned char* bits,
                                  std::size_t bitsSize) {
  DecodedBitmap result;
  result.BitsPerPixel = 24;
  std::size_t size = bitsSize;
  if (layout.ImageSize != 0) size = std::min<std::size_t>(size, layout.ImageSize);
  QImage image;
  if (layout.Compression == BiJpeg) {
    image = DecodeJpeg(std::string(reinterpret_cast<const char*>(bits), size), QSize());
  } else {
    image = QImage::fromData(bits, static_cast<int>(std::min<std::size_t>(size, INT32_MAX)), "PNG");
  }
  if (!image.isNull()) result.Image = image.convertToFormat(QImage::Format_RGB32);
  return result;
}

// One colour channel of a bit-field pixel, widened to 8 bits.
struct Channel {
  std::uint32_t Mask = 0;
  int Shift = 0;
  std::uint32_t Max = 0;  // the channel's largest value

  explicit Channel(std::uint32_t mask) : Mask(mask) {
    if (mask == 0) return;
    while (((mask >> Shift) & 1) == 0) ++Shift;
    Max = mask >> Shift;
  }
  int Value(std::uint32_t pixel) const {
    if (Max == 0) return 0;
    const std::uint64_t v = (pixel & Mask) >> Shift;
    return int(std::min<std::uint64_t>(255, (v * 255 + Max / 2) / Max));
  }
};

// Our own unpacker of the rewritten form (see Decode): 40-byte header, masks
// for bit fields, a full colour table, uncompressed rows.
QImage UnpackRewritten(const std::string& file) {
  const ByteReader bytes(file);
  const ByteReader info = bytes.From(FileHeader::Size);
  const std::int64_t width = info.I32(InfoHeader::WidthAt);
  const std::int64_t storedHeight = info.I32(InfoHeader::HeightAt);
  const int bits = info.U16(InfoHeader::BitCountAt);
  const bool bitFields = info.U32(InfoHeader::CompressionAt) == BiBitFields;
  const std::size_t offBits = bytes.U32(FileHeader::PixelsAt);
  const bool topDown = storedHeight < 0;
  const std::int64_t height = topDown ? -storedHeight : storedHeight;
  QImage image(int(width), int(height), QImage::Format_RGB32);
  if (image.isNull()) return image;

  std::size_t tableAt = FileHeader::Size + InfoHeader::Size;
  std::uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};
  if (bitFields) {
    for (int i = 0; i < 3; ++i) masks[i] = bytes.U32(tableAt + bmp::MaskSize * i);
    tableAt += bmp::BitFieldMasksSize;
  } else if (bits == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  }
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  QRgb table[256] = {};
  if (bits <= 8) {
    for (int i = 0; i < (1 << bits); ++i) {
      const std::size_t entry = tableAt + InfoHeader::ColourEntrySize * i;
      table[i] = qRgb(bytes.U8(entry + 2), bytes.U8(entry + 1), bytes.U8(entry));
    }
  }

  const std::size_t rowBytes = RowBytes(width, bits);
  for (std::int64_t row = 0; row < height; ++row) {
    const ByteReader pixels = bytes.Part(offBits + std::size_t(row) * rowBytes, rowBytes);
    const unsigned char* in = pixels.Data();
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(topDown ? row : height - 1 - row)));
    for (std::int64_t x = 0; x < width; ++x) {
      switch (bits) {
        case 1:
          out[x] = table[(in[x / 8] >> (7 - x % 8)) & 1];
          break;
        case 4:
          out[x] = table[(in[x / 2] >> ((x % 2) ? 0 : 4)) & 15];
          break;
        case 8:
          out[x] = table[in[x]];
          break;
        case 24:
          out[x] = qRgb(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
          break;
        default: {
          const std::uint32_t v =
              bits == 16 ? pixels.U16(std::size_t(2 * x)) : pixels.U32(std::size_t(4 * x));
          out[x] = qRgb(red.Value(v), green.Value(v), blue.Value(v));
          break;
        }
      }
    }
  }
  return image;
}

// `info` holds the info block (its table possibly cut short); `bits` the pixel
// data (possibly cut short).
DecodedBitmap Decode(const unsigned char* info, std::size_t infoSize, const unsigned char* bits,
                     std::size_t bitsSize, BitmapUnpacking unpacking) {
  DecodedBitmap result;
  DibLayout layout;
  if (!ParseInfo(info, infoSize, layout)) return result;
  if (layout.Compression == BiJpeg || layout.Compression == BiPng)
    return FromCompressedImage(layout, bits, bitsSize);

  const std::int64_t width = layout.Width;
  const std::int64_t height = layout.Height < 0 ? -layout.Height : layout.Height;
  if (width <= 0 || height <= 0 || width * height > MaxPixels) return result;
  const int pixelBits = layout.Bits;
  bool rle = false;
  bool bitFields = false;
  switch (layout.Compression) {
    case BiRgb:
      if (pixelBits != 1 && pixelBits != 4 && pixelBits != 8 && pixelBits != 16 &&
          pixelBits != 24 && pixelBits != 32)
        return result;
      break;
    case BiRle8:
    case BiRle4:
      if (pixelBits != (layout.Compression == BiRle8 ? 8 : 4) || layout.Height < 0) return result;
      rle = true;
      break;
    case BiBitFields:
    case BiAlphaBitFields:
      if (pixelBits != 16 && pixelBits != 32) return result;
      bitFields = true;
      break;
    default:
      return result;
  }
  result.BitsPerPixel = pixelBits;

  // The rewritten file: 14 + 40 bytes of headers, masks, full colour table.
  const int outBits = rle ? 8 : pixelBits;
  const std::size_t outTable = outBits <= 8 ? (std::size_t(1) << outBits) : 0;
  const std::size_t outRow = RowBytes(width, outBits);
  const std::size_t outData = outRow * std::size_t(height);
  const std::size_t headers =
      FileHeader::Size + InfoHeader::Size + (bitFields ? bmp::BitFieldMasksSize : 0);
  const std::size_t offBits = headers + outTable * 4;

  std::string out;
  out.reserve(offBits + outData);
  out += "BM";
  Put32(out, static_cast<std::uint32_t>(std::min<std::size_t>(offBits + outData, UINT32_MAX)));
  Put32(out, 0);
  Put32(out, static_cast<std::uint32_t>(offBits));
  Put32(out, InfoHeader::Size);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(rle ? height : layout.Height)));
  Put16(out, 1);
  Put16(out, static_cast<std::uint16_t>(outBits));
  Put32(out, bitFields ? BiBitFields : BiRgb);
  Put32(out, static_cast<std::uint32_t>(outData));
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  if (bitFields)
    for (std::uint32_t mask : layout.Masks) Put32(out, mask);
  for (std::size_t i = 0; i < outTable; ++i) {
    const std::size_t at = layout.TableOffset + i * layout.EntrySize;
    if (i < layout.TableEntries && at + layout.EntrySize <= infoSize) {
      out.push_back(char(info[at]));
      out.push_back(char(info[at + 1]));
      out.push_back(char(info[at + 2]));
      out.push_back(0);
    } else {
      Put32(out, 0);
    }
  }

  const std::size_t dataStart = out.size();
  out.resize(dataStart + outData, '\0');
  auto* dest = reinterpret_cast<unsigned char*>(out.data() + dataStart);
  std::size_t available = bitsSize;
  if (layout.ImageSize != 0) available = std::min<std::size_t>(available, layout.ImageSize);
  if (rle) {
    ExpandRle(bits, available, layout.Compression == BiRle4, static_cast<int>(width),
              static_cast<int>(height), dest, outRow);
  } else {
    std::memcpy(dest, bits, std::min(available, outData));
  }

  QImage image;
  // Qt's reader refuses images over its allocation limit (megabytes, 0: none).
  const std::int64_t limit = std::int64_t(QImageReader::allocationLimit()) << 20;
  const bool qtTakesIt = limit == 0 || width * height * 4 <= limit;
  if (unpacking == BitmapUnpacking::QtThenOwn && qtTakesIt)
    image = QImage::fromData(QByteArray::fromRawData(out.data(), qsizetype(out.size())), "BMP");
  if (image.isNull()) image = UnpackRewritten(out);
  if (image.isNull()) return result;
  result.Image = image.convertToFormat(QImage::Format_RGB32);
  return result;
}

}  // namespace

DecodedBitmap DecodeBitmapFile(const std::string& bytes, BitmapUnpacking unpacking) {
  const ByteReader file(bytes);
  const std::size_t size = file.Size();
  if (size < FileHeader::Size + 4 || file.U16(FileHeader::SignatureAt) != FileHeader::Signature)
    return {};
  const ByteReader info = file.From(FileHeader::Size);
  DibLayout layout;
  if (!ParseInfo(info.Data(), info.Size(), layout)) return {};
  std::size_t dataStart = FileHeader::Size + std::min(layout.InfoSize, info.Size());
  const std::size_t offBits = file.U32(FileHeader::PixelsAt);
  if (offBits >= dataStart && offBits <= size) dataStart = offBits;
  return Decode(info.Data(), info.Size(), file.Data() + dataStart, size - dataStart, unpacking);
}

DecodedBitmap DecodeDib(const unsigned char* info, std::size_t infoSize, const unsigned char* bits,
                        std::size_t bitsSize, BitmapUnpacking unpacking) {
  if (info == nullptr) return {};
  if (bits == nullptr) bitsSize = 0;
  static const unsigned char Nothing = 0;
  return Decode(info, infoSize, bits != nullptr ? bits : &Nothing, bitsSize, unpacking);
}

DecodedBitmap DecodePackedDib(const unsigned char* data, std::size_t size) {
  if (data == nullptr) return {};
  DibLayout layout;
  if (!ParseInfo(data, size, layout)) return {};
  const std::size_t infoSize = std::min(layout.InfoSize, size);
  return Decode(data, infoSize, data + infoSize, size - infoSize, BitmapUnpacking::QtThenOwn);
}

long long DibPixelCount(const unsigned char* info, std::size_t infoSize) {
  DibLayout layout;
  if (info == nullptr || !ParseInfo(info, infoSize, layout)) return 0;
  return layout.Width * (layout.Height < 0 ? -layout.Height : layout.Height);
}
