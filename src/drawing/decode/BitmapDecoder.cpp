#include "drawing/decode/BitmapDecoder.h"

#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "drawing/decode/JpegDecoder.h"

namespace {

// BMP file header (14 bytes), little-endian:
//   0  2  signature "BM"
//   2  4  file size
//   6  4  reserved
//  10  4  offset of the pixel data from the start of the file
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kFileOffBits = 10;

// Info header. Core form (12 bytes):
//   0  4  header size (12)
//   4  2  width, unsigned
//   6  2  height, unsigned (always bottom-up)
//   8  2  planes
//  10  2  bits per pixel
// Colour table entries are 3 bytes (blue, green, red).
//
// Windows forms (40 bytes or more; 52, 56, 108 and 124 add fields at the end):
//   0  4  header size
//   4  4  width, signed
//   8  4  height, signed; negative for a top-down bitmap
//  12  2  planes
//  14  2  bits per pixel
//  16  4  compression (0 none, 1 RLE8, 2 RLE4, 3 bit fields, 4 JPEG, 5 PNG,
//         6 bit fields with alpha)
//  20  4  size of the pixel data, 0 for uncompressed bitmaps
//  24  8  pixels per metre, x and y
//  32  4  colours used (0: the full table for 1, 4 and 8 bits)
//  36  4  colours important
//  40 16  red, green, blue and alpha masks (headers of 52 bytes or more hold
//         the first three, 56 or more all four)
// Colour table entries are 4 bytes (blue, green, red, reserved). A 40-byte
// header with bit fields is followed by three masks (four for compression 6).
constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::size_t kInfoHeaderSize = 40;

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitFields = 3;
constexpr std::uint32_t kBiJpeg = 4;
constexpr std::uint32_t kBiPng = 5;
constexpr std::uint32_t kBiAlphaBitFields = 6;

// Largest bitmap built (pixels); Qt's readers refuse images over 256 MB too.
constexpr std::int64_t kMaxPixels = std::int64_t(1) << 26;

std::uint32_t U32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}
std::uint16_t U16(const unsigned char* p) {
  return std::uint16_t(p[0] | p[1] << 8);
}

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
  std::uint32_t Compression = kBiRgb;
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
  if (size < 4) return false;
  const std::uint32_t headerSize = U32(p);
  std::uint32_t colorsUsed = 0;
  if (headerSize == kCoreHeaderSize) {
    if (size < kCoreHeaderSize) return false;
    layout.Core = true;
    layout.Width = U16(p + 4);
    layout.Height = U16(p + 6);
    layout.Bits = U16(p + 10);
    layout.EntrySize = 3;
  } else if (headerSize >= kInfoHeaderSize) {
    if (size < headerSize) return false;
    layout.Width = std::int32_t(U32(p + 4));
    layout.Height = std::int32_t(U32(p + 8));
    layout.Bits = U16(p + 14);
    layout.Compression = U32(p + 16);
    layout.ImageSize = U32(p + 20);
    colorsUsed = U32(p + 32);
  } else {
    return false;
  }
  std::size_t offset = headerSize;
  const bool bitFields =
      layout.Compression == kBiBitFields || layout.Compression == kBiAlphaBitFields;
  if (bitFields) {
    if (headerSize >= 52) {
      for (int i = 0; i < 3; ++i) layout.Masks[i] = U32(p + 40 + 4 * i);
    } else {
      const std::size_t maskCount = layout.Compression == kBiAlphaBitFields ? 4 : 3;
      if (size < offset + 12) return false;
      for (int i = 0; i < 3; ++i) layout.Masks[i] = U32(p + offset + 4 * i);
      offset += 4 * maskCount;
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
  if (layout.Compression == kBiJpeg) {
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
  const auto* p = reinterpret_cast<const unsigned char*>(file.data());
  const std::int64_t width = std::int32_t(U32(p + 18));
  const std::int64_t storedHeight = std::int32_t(U32(p + 22));
  const int bits = U16(p + 28);
  const bool bitFields = U32(p + 30) == kBiBitFields;
  const std::size_t offBits = U32(p + kFileOffBits);
  const bool topDown = storedHeight < 0;
  const std::int64_t height = topDown ? -storedHeight : storedHeight;
  QImage image(int(width), int(height), QImage::Format_RGB32);
  if (image.isNull()) return image;

  std::size_t tableAt = kFileHeaderSize + kInfoHeaderSize;
  std::uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};
  if (bitFields) {
    for (int i = 0; i < 3; ++i) masks[i] = U32(p + tableAt + 4 * i);
    tableAt += 12;
  } else if (bits == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  }
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  QRgb table[256] = {};
  if (bits <= 8) {
    for (int i = 0; i < (1 << bits); ++i) {
      const unsigned char* e = p + tableAt + 4 * i;
      table[i] = qRgb(e[2], e[1], e[0]);
    }
  }

  const std::size_t rowBytes = RowBytes(width, bits);
  for (std::int64_t row = 0; row < height; ++row) {
    const unsigned char* in = p + offBits + std::size_t(row) * rowBytes;
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
          const std::uint32_t v = bits == 16 ? U16(in + 2 * x) : U32(in + 4 * x);
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
  if (layout.Compression == kBiJpeg || layout.Compression == kBiPng)
    return FromCompressedImage(layout, bits, bitsSize);

  const std::int64_t width = layout.Width;
  const std::int64_t height = layout.Height < 0 ? -layout.Height : layout.Height;
  if (width <= 0 || height <= 0 || width * height > kMaxPixels) return result;
  const int pixelBits = layout.Bits;
  bool rle = false;
  bool bitFields = false;
  switch (layout.Compression) {
    case kBiRgb:
      if (pixelBits != 1 && pixelBits != 4 && pixelBits != 8 && pixelBits != 16 &&
          pixelBits != 24 && pixelBits != 32)
        return result;
      break;
    case kBiRle8:
    case kBiRle4:
      if (pixelBits != (layout.Compression == kBiRle8 ? 8 : 4) || layout.Height < 0) return result;
      rle = true;
      break;
    case kBiBitFields:
    case kBiAlphaBitFields:
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
  const std::size_t headers = kFileHeaderSize + kInfoHeaderSize + (bitFields ? 12 : 0);
  const std::size_t offBits = headers + outTable * 4;

  std::string out;
  out.reserve(offBits + outData);
  out += "BM";
  Put32(out, static_cast<std::uint32_t>(std::min<std::size_t>(offBits + outData, UINT32_MAX)));
  Put32(out, 0);
  Put32(out, static_cast<std::uint32_t>(offBits));
  Put32(out, kInfoHeaderSize);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(rle ? height : layout.Height)));
  Put16(out, 1);
  Put16(out, static_cast<std::uint16_t>(outBits));
  Put32(out, bitFields ? kBiBitFields : kBiRgb);
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
    ExpandRle(bits, available, layout.Compression == kBiRle4, static_cast<int>(width),
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
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  if (size < kFileHeaderSize + 4 || p[0] != 'B' || p[1] != 'M') return {};
  const unsigned char* info = p + kFileHeaderSize;
  const std::size_t infoAvailable = size - kFileHeaderSize;
  DibLayout layout;
  if (!ParseInfo(info, infoAvailable, layout)) return {};
  std::size_t dataStart = kFileHeaderSize + std::min(layout.InfoSize, infoAvailable);
  const std::size_t offBits = U32(p + kFileOffBits);
  if (offBits >= dataStart && offBits <= size) dataStart = offBits;
  return Decode(info, infoAvailable, p + dataStart, size - dataStart, unpacking);
}

DecodedBitmap DecodeDib(const unsigned char* info, std::size_t infoSize, const unsigned char* bits,
                        std::size_t bitsSize, BitmapUnpacking unpacking) {
  if (info == nullptr) return {};
  if (bits == nullptr) bitsSize = 0;
  static const unsigned char kNothing = 0;
  return Decode(info, infoSize, bits != nullptr ? bits : &kNothing, bitsSize, unpacking);
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
