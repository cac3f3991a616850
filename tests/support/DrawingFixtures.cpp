#include "support/DrawingFixtures.h"

#include "support/PictureFixtures.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include <jpeglib.h>

namespace drawfx {

void Put16(std::string& out, std::uint16_t value) {
  out.push_back(char(value & 0xFF));
  out.push_back(char(value >> 8));
}

void Put32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(char((value >> (8 * i)) & 0xFF));
}

void PutI32(std::string& out, std::int32_t value) {
  Put32(out, std::uint32_t(value));
}

void PutF32(std::string& out, float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  Put32(out, bits);
}

void Set32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
}

std::uint32_t ColorRef(int red, int green, int blue) {
  return std::uint32_t(red) | std::uint32_t(green) << 8 | std::uint32_t(blue) << 16;
}

// --- Bitmaps ---

std::string MakeDibInfo(const Bmp& given) {
  // A table shorter than the bits call for is completed with black unless
  // the header says how many entries it has.
  Bmp bmp = given;
  if (bmp.ColorsUsed == 0 && !bmp.Table.empty() && bmp.Bits <= 8 &&
      bmp.Table.size() < (std::size_t(1) << bmp.Bits))
    bmp.Table.resize(std::size_t(1) << bmp.Bits, qRgb(0, 0, 0));
  std::string s;
  if (bmp.HeaderSize == 12) {
    Put32(s, 12);
    Put16(s, std::uint16_t(bmp.Width));
    Put16(s, std::uint16_t(bmp.Height));
    Put16(s, 1);
    Put16(s, bmp.Bits);
    for (QRgb c : bmp.Table) {
      s.push_back(char(qBlue(c)));
      s.push_back(char(qGreen(c)));
      s.push_back(char(qRed(c)));
    }
    return s;
  }
  Put32(s, bmp.HeaderSize);
  PutI32(s, bmp.Width);
  PutI32(s, bmp.Height);
  Put16(s, 1);
  Put16(s, bmp.Bits);
  Put32(s, bmp.Compression);
  Put32(s, bmp.ImageSize);
  Put32(s, 2835);
  Put32(s, 2835);
  Put32(s, bmp.ColorsUsed);
  Put32(s, 0);
  if (bmp.HeaderSize > 40) {
    std::string extra(bmp.HeaderSize - 40, '\0');
    for (std::size_t i = 0; i < bmp.Masks.size() && 4 * i + 4 <= extra.size(); ++i)
      Set32(extra, 4 * i, bmp.Masks[i]);
    s += extra;
  } else {
    for (std::uint32_t mask : bmp.Masks) Put32(s, mask);
  }
  for (QRgb c : bmp.Table) Put32(s, c & 0xFFFFFF);
  return s;
}

std::string MakeBmp(const Bmp& bmp) {
  const std::string info = MakeDibInfo(bmp);
  const std::uint32_t offBits = std::uint32_t(14 + info.size() + bmp.Gap);
  std::string s = "BM";
  Put32(s, std::uint32_t(offBits + bmp.Pixels.size()));
  Put32(s, 0);
  Put32(s, offBits);
  s += info;
  s.append(bmp.Gap, '\x55');
  s += bmp.Pixels;
  return s;
}

std::string Rows24(const std::vector<std::vector<QRgb>>& rows, bool topDown) {
  std::string s;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const auto& row = rows[topDown ? k : rows.size() - 1 - k];
    std::string line;
    for (QRgb c : row) {
      line.push_back(char(qBlue(c)));
      line.push_back(char(qGreen(c)));
      line.push_back(char(qRed(c)));
    }
    line.append((4 - line.size() % 4) % 4, '\0');
    s += line;
  }
  return s;
}

std::string Bmp24(const std::vector<std::vector<QRgb>>& rows, bool topDown) {
  Bmp bmp;
  bmp.Width = rows.empty() ? 0 : std::int32_t(rows[0].size());
  bmp.Height = std::int32_t(rows.size()) * (topDown ? -1 : 1);
  bmp.Pixels = Rows24(rows, topDown);
  return MakeBmp(bmp);
}

// --- JPEG ---

std::string EncodeJpeg(const QImage& image, const JpegOptions& options) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  const int components = options.Grayscale ? 1 : options.Cmyk ? 4 : 3;
  return EncodeJpegRows(
      rgb.width(), rgb.height(), components, options.Quality,
      [&](int y, unsigned char* row) {
        const unsigned char* in = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
          if (options.Grayscale) {
            row[x] = (unsigned char)((in[3 * x] * 299 + in[3 * x + 1] * 587 + in[3 * x + 2] * 114) /
                                     1000);
          } else if (options.Cmyk) {
            // Adobe's inverted CMYK with no black: the stored values are the
            // RGB values, and K stored as 255.
            std::copy_n(in + 3 * x, 3, row + 4 * x);
            row[4 * x + 3] = 255;
          } else {
            std::copy_n(in + 3 * x, 3, row + 3 * x);
          }
        }
      },
      [&](jpeg_compress_struct& info) {
        if (options.Progressive) jpeg_simple_progression(&info);
        info.restart_in_rows = options.RestartRows;
        info.restart_interval = JDIMENSION(options.RestartInterval);
      });
}

std::string SolidJpeg(int width, int height, QRgb color, const JpegOptions& options) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(color);
  return EncodeJpeg(image, options);
}

QImage NoisyGradient(int width, int height, unsigned seed) {
  QImage image(width, height, QImage::Format_RGB32);
  std::minstd_rand random(seed);
  std::uniform_int_distribution<int> noise(-10, 10);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const int r = 40 + 180 * x / std::max(1, width) + noise(random);
      const int g = 60 + 150 * y / std::max(1, height) + noise(random);
      const int b = 120 + 100 * ((x + y) % 512) / 512 + noise(random);
      line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
    }
  }
  return image;
}

// --- Icons ---

namespace {

std::string IconDibHeader(int size, int bits, std::uint32_t imageSize) {
  std::string s;
  Put32(s, 40);
  PutI32(s, size);
  PutI32(s, 2 * size);  // colour rows and mask rows
  Put16(s, 1);
  Put16(s, std::uint16_t(bits));
  Put32(s, 0);
  Put32(s, imageSize);
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, 0);
  return s;
}

}  // namespace

IconImage BmpIconImage(int size, QRgb color) {
  IconImage image;
  image.Width = image.Height = size;
  image.Bits = 32;
  const int maskRow = ((size + 31) / 32) * 4;
  std::string s = IconDibHeader(size, 32, std::uint32_t(size * size * 4 + maskRow * size));
  for (int i = 0; i < size * size; ++i) Put32(s, color);
  s.append(std::size_t(maskRow * size), '\0');
  image.Data = s;
  return image;
}

IconImage Bmp4IconImage(int size, QRgb color) {
  IconImage image;
  image.Width = image.Height = size;
  image.Bits = 4;
  const int colorRow = ((size * 4 + 31) / 32) * 4;
  const int maskRow = ((size + 31) / 32) * 4;
  std::string s = IconDibHeader(size, 4, std::uint32_t((colorRow + maskRow) * size));
  for (int i = 0; i < 16; ++i) Put32(s, i == 1 ? (color & 0xFFFFFF) : 0);
  for (int y = 0; y < size; ++y) {
    std::string row(std::size_t(colorRow), '\0');
    for (int x = 0; x < size / 2; x += 2) row[std::size_t(x / 2)] = 0x11;
    s += row;
  }
  for (int y = 0; y < size; ++y) {
    std::string row(std::size_t(maskRow), '\0');
    for (int x = size / 2; x < size; ++x) row[std::size_t(x / 8)] |= char(0x80 >> (x % 8));
    s += row;
  }
  image.Data = s;
  return image;
}

IconImage PngIconImage(int size, QRgb color) {
  IconImage image;
  image.Width = image.Height = size;
  image.Bits = 32;
  QImage picture(size, size, QImage::Format_ARGB32);
  picture.fill(color);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "PNG");
  image.Data = std::string(png.constData(), std::size_t(png.size()));
  return image;
}

std::string MakeIco(const std::vector<IconImage>& images, std::uint16_t type) {
  std::string s;
  Put16(s, 0);
  Put16(s, type);
  Put16(s, std::uint16_t(images.size()));
  std::uint32_t offset = std::uint32_t(6 + 16 * images.size());
  for (const IconImage& image : images) {
    s.push_back(char(image.Width >= 256 ? 0 : image.Width));
    s.push_back(char(image.Height >= 256 ? 0 : image.Height));
    s.push_back(char(image.Bits < 8 ? 1 << image.Bits : 0));
    s.push_back(0);
    Put16(s, 1);
    Put16(s, std::uint16_t(image.Bits));
    Put32(s, std::uint32_t(image.Data.size()));
    Put32(s, offset);
    offset += std::uint32_t(image.Data.size());
  }
  for (const IconImage& image : images) s += image.Data;
  return s;
}

// --- Enhanced metafiles ---

EmfBuilder::EmfBuilder(int frameLeft, int frameTop, int frameRight, int frameBottom, int pixelsX,
                       int pixelsY, int millimetresX, int millimetresY) {
  auto toPixels = [](int v, int pixels, int millimetres) {
    return std::int32_t(std::lround(double(v) * pixels / (millimetres * 100.0)));
  };
  std::string& s = Bytes;
  Put32(s, 1);
  Put32(s, 108);
  PutI32(s, toPixels(frameLeft, pixelsX, millimetresX));
  PutI32(s, toPixels(frameTop, pixelsY, millimetresY));
  PutI32(s, toPixels(frameRight, pixelsX, millimetresX));
  PutI32(s, toPixels(frameBottom, pixelsY, millimetresY));
  PutI32(s, frameLeft);
  PutI32(s, frameTop);
  PutI32(s, frameRight);
  PutI32(s, frameBottom);
  Put32(s, 0x464D4520);
  Put32(s, 0x10000);
  Put32(s, 0);  // total size, set by Finish
  Put32(s, 0);  // records, set by Finish
  Put16(s, 0);  // handles, set by Finish
  Put16(s, 0);
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, 0);
  PutI32(s, pixelsX);
  PutI32(s, pixelsY);
  PutI32(s, millimetresX);
  PutI32(s, millimetresY);
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, 0);
  PutI32(s, millimetresX * 1000);
  PutI32(s, millimetresY * 1000);
}

EmfBuilder EmfBuilder::ForPixels(int width, int height) {
  // 960 pixels on 254 mm: 96 pixels an inch, 2540 / 96 hundredths of a
  // millimetre a pixel.
  return EmfBuilder(0, 0, int(std::lround(width * 2540.0 / 96)),
                    int(std::lround(height * 2540.0 / 96)), 960, 960, 254, 254);
}

EmfBuilder& EmfBuilder::Record(std::uint32_t type, std::initializer_list<std::int32_t> values) {
  Put32(Bytes, type);
  Put32(Bytes, std::uint32_t(8 + 4 * values.size()));
  for (std::int32_t v : values) PutI32(Bytes, v);
  ++Records;
  return *this;
}

EmfBuilder& EmfBuilder::Raw(std::uint32_t type, const std::string& parameters) {
  std::string padded = parameters;
  padded.append((4 - padded.size() % 4) % 4, '\0');
  Put32(Bytes, type);
  Put32(Bytes, std::uint32_t(8 + padded.size()));
  Bytes += padded;
  ++Records;
  return *this;
}

EmfBuilder& EmfBuilder::Handles(std::uint16_t count) {
  HandleCount = count;
  return *this;
}

std::string EmfBuilder::Finish() {
  std::string s = Bytes;
  Put32(s, 14);
  Put32(s, 20);
  Put32(s, 0);
  Put32(s, 16);
  Put32(s, 20);
  Set32(s, 48, std::uint32_t(s.size()));
  Set32(s, 52, Records + 1);
  s[56] = char(HandleCount & 0xFF);
  s[57] = char(HandleCount >> 8);
  return s;
}

EmfBuilder& EmfBuilder::SolidBrush(int handle, std::uint32_t colorRef) {
  return Record(39, {handle, 0, std::int32_t(colorRef), 0});
}

EmfBuilder& EmfBuilder::Pen(int handle, int style, int width, std::uint32_t colorRef) {
  return Record(38, {handle, style, width, 0, std::int32_t(colorRef)});
}

EmfBuilder& EmfBuilder::Select(std::uint32_t handle) {
  return Record(37, {std::int32_t(handle)});
}

EmfBuilder& EmfBuilder::Rectangle(int left, int top, int right, int bottom) {
  return Record(43, {left, top, right, bottom});
}

EmfBuilder& EmfBuilder::Polygon16(const std::vector<std::pair<int, int>>& points) {
  std::string p(16, '\0');
  Put32(p, std::uint32_t(points.size()));
  for (const auto& [x, y] : points) {
    Put16(p, std::uint16_t(x));
    Put16(p, std::uint16_t(y));
  }
  return Raw(86, p);
}

EmfBuilder& EmfBuilder::TextW(int x, int y, const std::u16string& text) {
  std::string p(16, '\0');  // bounds
  Put32(p, 1);              // compatible graphics mode
  PutF32(p, 0);
  PutF32(p, 0);
  PutI32(p, x);
  PutI32(p, y);
  Put32(p, std::uint32_t(text.size()));
  Put32(p, 76);  // the string right after the fixed part
  Put32(p, 0);   // options
  p.append(16, '\0');
  Put32(p, 0);  // no advances
  for (char16_t c : text) Put16(p, c);
  return Raw(84, p);
}

EmfBuilder& EmfBuilder::StretchDib(int x, int y, int width, int height, const Bmp& bitmap) {
  const std::string info = MakeDibInfo(bitmap);
  std::string p(16, '\0');
  PutI32(p, x);
  PutI32(p, y);
  PutI32(p, 0);
  PutI32(p, 0);
  PutI32(p, bitmap.Width);
  PutI32(p, std::abs(bitmap.Height));
  Put32(p, 80);
  Put32(p, std::uint32_t(info.size()));
  Put32(p, std::uint32_t(80 + info.size()));
  Put32(p, std::uint32_t(bitmap.Pixels.size()));
  Put32(p, 0);
  Put32(p, 0x00CC0020);
  PutI32(p, width);
  PutI32(p, height);
  return Raw(81, p + info + bitmap.Pixels);
}

// --- Windows metafiles ---

WmfBuilder::WmfBuilder(int left, int top, int right, int bottom, int unitsPerInch, bool placeable)
    : Placeable(placeable) {
  if (!placeable) return;
  std::string h;
  Put32(h, 0x9AC6CDD7);
  Put16(h, 0);
  Put16(h, std::uint16_t(left));
  Put16(h, std::uint16_t(top));
  Put16(h, std::uint16_t(right));
  Put16(h, std::uint16_t(bottom));
  Put16(h, std::uint16_t(unitsPerInch));
  Put32(h, 0);
  std::uint16_t checksum = 0;
  for (int i = 0; i < 10; ++i)
    checksum ^= std::uint16_t(std::uint8_t(h[2 * i]) | std::uint8_t(h[2 * i + 1]) << 8);
  Put16(h, checksum);
  Bytes = h;
}

WmfBuilder& WmfBuilder::Record(std::uint16_t function, std::initializer_list<int> words) {
  std::string p;
  for (int w : words) Put16(p, std::uint16_t(w));
  return Raw(function, p);
}

WmfBuilder& WmfBuilder::Raw(std::uint16_t function, const std::string& parameters) {
  std::string padded = parameters;
  if (padded.size() % 2 != 0) padded.push_back('\0');
  const std::uint32_t words = std::uint32_t(3 + padded.size() / 2);
  Put32(Bytes, words);
  Put16(Bytes, function);
  Bytes += padded;
  MaxRecord = std::max(MaxRecord, words);
  return *this;
}

WmfBuilder& WmfBuilder::Objects(std::uint16_t count) {
  ObjectCount = count;
  return *this;
}

std::string WmfBuilder::Finish() {
  const std::size_t start = Placeable ? 22 : 0;
  std::string records = Bytes.substr(start);
  Put32(records, 3);
  Put16(records, 0);
  std::string header;
  Put16(header, 1);
  Put16(header, 9);
  Put16(header, 0x0300);
  Put32(header, std::uint32_t((18 + records.size()) / 2));
  Put16(header, ObjectCount);
  Put32(header, MaxRecord);
  Put16(header, 0);
  return Bytes.substr(0, start) + header + records;
}

WmfBuilder& WmfBuilder::WindowOrg(int x, int y) {
  return Record(0x020B, {y, x});
}
WmfBuilder& WmfBuilder::WindowExt(int x, int y) {
  return Record(0x020C, {y, x});
}

WmfBuilder& WmfBuilder::SolidBrush(std::uint32_t colorRef) {
  return Record(0x02FC, {0, int(colorRef & 0xFFFF), int(colorRef >> 16), 0});
}

WmfBuilder& WmfBuilder::Pen(int style, int width, std::uint32_t colorRef) {
  return Record(0x02FA, {style, width, 0, int(colorRef & 0xFFFF), int(colorRef >> 16)});
}

WmfBuilder& WmfBuilder::Select(int index) {
  return Record(0x012D, {index});
}
WmfBuilder& WmfBuilder::Delete(int index) {
  return Record(0x01F0, {index});
}

WmfBuilder& WmfBuilder::Rectangle(int left, int top, int right, int bottom) {
  return Record(0x041B, {bottom, right, top, left});
}

WmfBuilder& WmfBuilder::Font(int height, const std::string& face) {
  std::string p;
  Put16(p, std::uint16_t(height));
  Put16(p, 0);
  Put16(p, 0);
  Put16(p, 0);
  Put16(p, 400);
  p.append(8, '\0');
  std::string name = face.substr(0, 31);
  name.resize(32, '\0');
  p += name;
  return Raw(0x02FB, p);
}

WmfBuilder& WmfBuilder::TextOut(int x, int y, const std::string& text) {
  std::string p;
  Put16(p, std::uint16_t(text.size()));
  p += text;
  if (p.size() % 2 != 0) p.push_back('\0');
  Put16(p, std::uint16_t(y));
  Put16(p, std::uint16_t(x));
  return Raw(0x0521, p);
}

WmfBuilder& WmfBuilder::StretchDib(int x, int y, int width, int height, const Bmp& bitmap) {
  std::string p;
  Put32(p, 0x00CC0020);
  Put16(p, 0);  // RGB colours
  Put16(p, std::uint16_t(std::abs(bitmap.Height)));
  Put16(p, std::uint16_t(bitmap.Width));
  Put16(p, 0);
  Put16(p, 0);
  Put16(p, std::uint16_t(height));
  Put16(p, std::uint16_t(width));
  Put16(p, std::uint16_t(y));
  Put16(p, std::uint16_t(x));
  return Raw(0x0F43, p + MakeDibInfo(bitmap) + bitmap.Pixels);
}

// --- Metafiles that use most records ---

namespace {

constexpr std::uint32_t Stock = 0x80000000u;

Bmp SmallBitmap() {
  Bmp bmp;
  bmp.Width = 3;
  bmp.Height = 2;
  bmp.Bits = 8;
  bmp.Table = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
  bmp.Pixels = std::string("\x00\x01\x02\x00\x02\x01\x00\x00", 8);
  return bmp;
}

Bmp RleBitmap() {
  Bmp bmp;
  bmp.Width = 4;
  bmp.Height = 2;
  bmp.Bits = 8;
  bmp.Compression = 1;
  bmp.Table = {qRgb(0, 0, 0), qRgb(255, 255, 0)};
  bmp.Pixels = std::string("\x04\x01\x00\x00\x02\x01\x00\x01", 8);
  return bmp;
}

std::string Points32(std::initializer_list<int> coordinates) {
  std::string s(16, '\0');  // bounds
  Put32(s, std::uint32_t(coordinates.size() / 2));
  for (int v : coordinates) PutI32(s, v);
  return s;
}

std::string Points16(std::initializer_list<int> coordinates) {
  std::string s(16, '\0');
  Put32(s, std::uint32_t(coordinates.size() / 2));
  for (int v : coordinates) Put16(s, std::uint16_t(v));
  return s;
}

// A bitmap record of the BitBlt form (76, 77) drawing `bmp`.
std::string BlitRecord(const Bmp& bmp, std::uint32_t rop, bool stretch) {
  const std::string info = MakeDibInfo(bmp);
  std::string p(16, '\0');
  for (int v : {5, 5, 20, 10}) PutI32(p, v);
  Put32(p, rop);
  PutI32(p, 0);
  PutI32(p, 0);
  for (float v : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) PutF32(p, v);
  Put32(p, 0);
  Put32(p, 0);
  const std::uint32_t fixed = stretch ? 108 : 100;
  Put32(p, fixed);
  Put32(p, std::uint32_t(info.size()));
  Put32(p, std::uint32_t(fixed + info.size()));
  Put32(p, std::uint32_t(bmp.Pixels.size()));
  if (stretch) {
    PutI32(p, bmp.Width);
    PutI32(p, bmp.Height);
  }
  return p + info + bmp.Pixels;
}

}  // namespace

std::string RichEmf() {
  EmfBuilder emf = EmfBuilder::ForPixels(120, 90);
  const Bmp bmp = SmallBitmap();
  const std::string info = MakeDibInfo(bmp);

  emf.Pen(1, 1, 0, ColorRef(0, 0, 255));
  std::string extPen;
  PutI32(extPen, 2);
  for (int i = 0; i < 4; ++i) Put32(extPen, 0);
  Put32(extPen, 0x10000 | 7 | 0x200 | 0x2000);
  Put32(extPen, 3);
  Put32(extPen, 0);
  Put32(extPen, ColorRef(10, 20, 30));
  Put32(extPen, 0);
  Put32(extPen, 2);
  Put32(extPen, 5);
  Put32(extPen, 3);
  emf.Raw(95, extPen);
  emf.SolidBrush(3, ColorRef(255, 0, 0));
  emf.Record(39, {4, 2, std::int32_t(ColorRef(0, 128, 0)), 5});
  std::string pattern;
  PutI32(pattern, 5);
  Put32(pattern, 0);
  Put32(pattern, 32);
  Put32(pattern, std::uint32_t(info.size()));
  Put32(pattern, std::uint32_t(32 + info.size()));
  Put32(pattern, std::uint32_t(bmp.Pixels.size()));
  emf.Raw(94, pattern + info + bmp.Pixels);
  std::string font;
  PutI32(font, 6);
  PutI32(font, -12);
  PutI32(font, 5);
  PutI32(font, 450);
  PutI32(font, 0);
  PutI32(font, 400);
  font += std::string("\x01\x01\x01\x00\x00\x00\x00\x00", 8);
  for (char16_t c : std::u16string(u"Sans")) Put16(font, c);
  font.resize(96, '\0');
  emf.Raw(82, font);
  std::string palette;
  PutI32(palette, 7);
  Put16(palette, 0x300);
  Put16(palette, 3);
  for (int i = 0; i < 3; ++i) Put32(palette, 0x00102030u * std::uint32_t(i + 1));
  emf.Raw(49, palette);
  emf.Record(48, {7});

  emf.Select(1).Select(3).Select(6);
  emf.Record(33, {});
  emf.Record(17, {8}).Record(9, {200, 150}).Record(11, {120, 90}).Record(10, {-5, -5});
  emf.Record(12, {2, 2}).Record(31, {3, 2, 3, 2}).Record(32, {2, 3, 2, 3});
  emf.Record(19, {2}).Record(18, {2}).Record(25, {std::int32_t(ColorRef(200, 200, 0))});
  emf.Record(24, {0x01000001}).Record(22, {6 | 24}).Record(57, {2}).Record(58, {4}).Record(21, {4});
  emf.Rectangle(0, 0, 50, 40).Record(44, {10, 10, 60, 50, 8, 8}).Record(42, {30, 30, 90, 80});
  emf.Record(45, {0, 0, 60, 60, 60, 30, 30, 0}).Record(46, {0, 0, 60, 60, 0, 30, 30, 60});
  emf.Record(47, {10, 10, 70, 70, 70, 40, 40, 10}).Record(27, {5, 5});
  emf.Record(55, {20, 20, 80, 80, 80, 50, 50, 20});
  std::string angle;
  PutI32(angle, 60);
  PutI32(angle, 60);
  Put32(angle, 20);
  PutF32(angle, 30);
  PutF32(angle, 200);
  emf.Raw(41, angle);
  emf.Raw(3, Points32({0, 0, 40, 0, 20, 30}))
      .Raw(4, Points32({0, 50, 100, 60, 20, 80}))
      .Raw(2, Points32({0, 0, 30, 80, 60, -20, 90, 60}))
      .Raw(5, Points32({10, 10, 20, 20, 30, 10}))
      .Raw(6, Points32({100, 100, 120, 80}))
      .Raw(86, Points16({0, 0, 40, 0, 20, 30}))
      .Raw(87, Points16({0, 50, 100, 60}))
      .Raw(85, Points16({0, 0, 30, 80, 60, -20, 90, 60}))
      .Raw(88, Points16({10, 10, 20, 20, 30, 10}))
      .Raw(89, Points16({100, 100, 120, 80}));
  std::string polyPoly(16, '\0');
  Put32(polyPoly, 2);
  Put32(polyPoly, 6);
  Put32(polyPoly, 3);
  Put32(polyPoly, 3);
  for (int v : {0, 0, 50, 0, 25, 40, 60, 60, 100, 60, 80, 90}) PutI32(polyPoly, v);
  emf.Raw(7, polyPoly).Raw(8, polyPoly);
  std::string polyPoly16(16, '\0');
  Put32(polyPoly16, 2);
  Put32(polyPoly16, 6);
  Put32(polyPoly16, 3);
  Put32(polyPoly16, 3);
  for (int v : {0, 0, 50, 0, 25, 40, 60, 60, 100, 60, 80, 90}) Put16(polyPoly16, std::uint16_t(v));
  emf.Raw(90, polyPoly16).Raw(91, polyPoly16);
  std::string polyDraw = Points32({10, 10, 50, 10, 60, 20, 70, 40, 80, 80});
  polyDraw += std::string("\x06\x02\x04\x04\x05", 5);
  emf.Raw(56, polyDraw);
  std::string polyDraw16 = Points16({10, 10, 50, 10, 60, 20});
  polyDraw16 += std::string("\x06\x02\x03", 3);
  emf.Raw(92, polyDraw16);

  emf.Select(2).Select(4).Record(59, {}).Rectangle(5, 5, 40, 40).Record(61, {}).Record(60, {});
  emf.Record(63, {}).Record(59, {}).Record(42, {0, 0, 80, 60}).Record(60, {}).Record(64, {});
  emf.Select(5).Record(59, {}).Record(27, {0, 0}).Record(54, {90, 0}).Record(54, {45, 70});
  emf.Record(60, {}).Record(62, {}).Record(59, {}).Rectangle(0, 0, 100, 80).Record(60, {});
  emf.Record(67, {1}).Record(68, {});
  emf.Record(30, {0, 0, 110, 80}).Record(29, {50, 50, 60, 60}).Record(26, {2, 3});
  std::string region;
  Put32(region, 64);
  Put32(region, 1);
  Put32(region, 32);
  Put32(region, 1);
  Put32(region, 2);
  Put32(region, 32);
  for (int v : {0, 0, 120, 90, 0, 0, 60, 45, 60, 45, 120, 90}) PutI32(region, v);
  emf.Raw(75, region);

  std::string text(16, '\0');
  Put32(text, 1);
  PutF32(text, 1);
  PutF32(text, 1);
  PutI32(text, 60);
  PutI32(text, 45);
  Put32(text, 3);
  Put32(text, 76);
  Put32(text, 2 | 4 | 0x2000);
  for (int v : {10, 10, 100, 60}) PutI32(text, v);
  Put32(text, 84);
  for (char16_t c : std::u16string(u"Ab\u00E9\0", 4)) Put16(text, c);
  for (int v : {8, 0, 9, 1, 7, -1}) PutI32(text, v);
  emf.Raw(84, text);
  std::string ansi(16, '\0');
  Put32(ansi, 1);
  PutF32(ansi, 1);
  PutF32(ansi, 1);
  PutI32(ansi, 20);
  PutI32(ansi, 20);
  Put32(ansi, 4);
  Put32(ansi, 76);
  Put32(ansi, 0);
  ansi.append(16, '\0');
  Put32(ansi, 80);
  ansi += "\x80xyz";
  for (int v : {5, 5, 5, 5}) PutI32(ansi, v);
  emf.Record(22, {1}).Raw(83, ansi);

  emf.Raw(76, BlitRecord(bmp, 0x008800C6, false))
      .Raw(77, BlitRecord(RleBitmap(), 0x00EE0086, true));
  emf.Raw(76, BlitRecord(bmp, 0x00660046, false));
  emf.StretchDib(10, 10, 30, -20, RleBitmap());
  std::string setDib(16, '\0');
  for (int v : {3, 4, 0, 0, 3, 2}) PutI32(setDib, v);
  Put32(setDib, 76);
  Put32(setDib, std::uint32_t(info.size()));
  Put32(setDib, std::uint32_t(76 + info.size()));
  Put32(setDib, std::uint32_t(bmp.Pixels.size()));
  Put32(setDib, 0);
  Put32(setDib, 0);
  Put32(setDib, 2);
  emf.Raw(80, setDib + info + bmp.Pixels);
  // Palette indices instead of colours.
  Bmp indexed = SmallBitmap();
  indexed.Table.clear();
  std::string indices;
  for (int i = 0; i < 256; ++i) Put16(indices, std::uint16_t(i % 3));
  std::string palDib(16, '\0');
  for (int v : {0, 0, 0, 0, 3, 2}) PutI32(palDib, v);
  const std::string indexedInfo = MakeDibInfo(indexed) + indices;
  Put32(palDib, 80);
  Put32(palDib, std::uint32_t(indexedInfo.size()));
  Put32(palDib, std::uint32_t(80 + indexedInfo.size()));
  Put32(palDib, std::uint32_t(indexed.Pixels.size()));
  Put32(palDib, 1);
  Put32(palDib, 0x00CC0020);
  PutI32(palDib, 40);
  PutI32(palDib, 30);
  emf.Raw(81, palDib + indexedInfo + indexed.Pixels);

  std::string xform;
  for (float v : {0.8f, 0.6f, -0.6f, 0.8f, 10.0f, 5.0f}) PutF32(xform, v);
  emf.Raw(35, xform);
  xform.clear();
  for (float v : {1.0f, 0.0f, 0.0f, -1.0f, 0.0f, 80.0f}) PutF32(xform, v);
  Put32(xform, 2);
  emf.Raw(36, xform).Rectangle(10, 10, 30, 30).TextW(5, 5, u"Tilt");
  emf.Record(15, {7, 7, std::int32_t(ColorRef(1, 2, 3))}).Record(70, {4, 0}).Record(999, {1, 2});
  emf.Record(34, {1}).Record(33, {}).Record(33, {}).Record(34, {-2}).Record(40, {3});
  emf.Select(Stock | 0).Select(Stock | 7).Select(Stock | 17).Select(Stock | 15);
  return emf.Finish();
}

std::string RichWmf() {
  WmfBuilder wmf(-100, -50, 900, 650, 576);
  const Bmp bmp = SmallBitmap();
  wmf.Record(0x0103, {8}).WindowOrg(-100, -50).WindowExt(1000, 700);
  wmf.Record(0x020E, {700, 1000}).Record(0x020D, {-50, -100});
  wmf.Record(0x0410, {2, 3, 2, 3}).Record(0x0412, {3, 2, 3, 2}).Record(0x020F, {5, 5});
  wmf.Record(0x0211, {-5, -5});
  wmf.Pen(0, 8, ColorRef(0, 0, 255)).Pen(3, 1, ColorRef(9, 9, 9)).SolidBrush(ColorRef(255, 0, 0));
  wmf.Record(0x02FC, {2, 0x8000, 0x0080, 3});  // hatched brush
  std::string patternBrush;
  Put16(patternBrush, 5);
  Put16(patternBrush, 0);
  wmf.Raw(0x0142, patternBrush + MakeDibInfo(bmp) + bmp.Pixels);
  wmf.Font(-60, "Serif");
  std::string palette;
  Put16(palette, 0x300);
  Put16(palette, 2);
  Put32(palette, 0x00FF00FF);
  Put32(palette, 0x0000FFFF);
  wmf.Raw(0x00F7, palette);
  std::string region;
  for (int v : {0, 6, 0, 0, 40, 2, 10, 0, 0, 400, 300}) Put16(region, std::uint16_t(v));
  for (int v : {2, 0, 100, 0, 200, 2, 4, 100, 300, 50, 150, 250, 400, 4})
    Put16(region, std::uint16_t(v));
  wmf.Raw(0x06FF, region);
  wmf.Record(0x0234, {6}).Record(0x0035, {});
  wmf.Select(0).Select(2).Select(5).Record(0x001E, {});
  wmf.Record(0x0102, {2}).Record(0x0106, {2}).Record(0x0107, {4}).Record(0x0108, {3});
  wmf.Record(0x012E, {6 | 24}).Record(0x0201, {0x00FF, 0x0100}).Record(0x0209, {0x0001, 0x0100});
  wmf.Rectangle(0, 0, 500, 300).Record(0x0418, {400, 600, 100, 200});
  wmf.Record(0x061C, {40, 40, 600, 800, 300, 400});
  wmf.Record(0x0817, {0, 400, 300, 700, 600, 700, 0, 100});
  wmf.Record(0x081A, {0, 400, 300, 700, 600, 700, 0, 100});
  wmf.Record(0x0830, {300, 100, 0, 400, 600, 700, 0, 100});
  wmf.Record(0x0324, {3, 0, 0, 300, 0, 150, 200}).Record(0x0325, {3, 0, 600, 800, 500, 100, 0});
  wmf.Record(0x0538, {2, 3, 3, 0, 0, 100, 0, 50, 80, 200, 200, 300, 200, 250, 300});
  wmf.Record(0x0214, {10, 10}).Record(0x0213, {600, 800}).Record(0x041F, {0x00FF, 0, 50, 50});
  wmf.Select(1).Select(3).Rectangle(600, 400, 900, 600).Select(4).Rectangle(0, 400, 300, 600);
  wmf.Record(0x0416, {650, 900, -50, -100}).Record(0x0415, {200, 200, 100, 100});
  wmf.Record(0x0220, {3, 3}).Record(0x012C, {7}).Rectangle(0, 0, 800, 600);
  wmf.Record(0x0228, {7, 2}).Record(0x012B, {7}).Record(0x012C, {999});
  wmf.TextOut(100, 100, "Hello\x80\x9f");
  std::string ext;
  for (int v : {200, 150, 4, 2 | 4, 100, 100, 600, 300}) Put16(ext, std::uint16_t(v));
  ext += "Wxyz";
  for (int v : {30, 40, 50, 60}) Put16(ext, std::uint16_t(v));
  wmf.Raw(0x0A32, ext);
  wmf.Record(0x012E, {1}).TextOut(0, 0, "cp").TextOut(0, 0, "next");
  wmf.StretchDib(100, 100, 300, 200, bmp).StretchDib(400, 100, -300, 200, RleBitmap());
  std::string stretchBlt;
  Put32(stretchBlt, 0x008800C6);
  for (int v : {2, 3, 0, 0, 100, 200, 500, 50}) Put16(stretchBlt, std::uint16_t(v));
  wmf.Raw(0x0B41, stretchBlt + MakeDibInfo(bmp) + bmp.Pixels);
  std::string bitBlt;
  Put32(bitBlt, 0x00660046);
  for (int v : {0, 0, 2, 3, 400, 400}) Put16(bitBlt, std::uint16_t(v));
  wmf.Raw(0x0940, bitBlt + MakeDibInfo(bmp) + bmp.Pixels);
  wmf.Record(0x0940, {0x0021, 0x00F0, 0, 0, 0, 50, 50, 10, 10});        // no bitmap: PATCOPY
  wmf.Record(0x0B41, {0x0062, 0x00FF, 0, 0, 0, 0, 0, 50, 50, 10, 10});  // WHITENESS
  std::string setDib;
  for (int v : {0, 2, 0, 0, 0, 2, 3, 500, 500}) Put16(setDib, std::uint16_t(v));
  wmf.Raw(0x0D33, setDib + MakeDibInfo(bmp) + bmp.Pixels);
  wmf.Record(0x061D, {0x0009, 0x0055, 100, 100, 0, 0});    // DSTINVERT
  wmf.Record(0x061D, {0x0049, 0x005A, 100, 100, 50, 50});  // PATINVERT
  wmf.Record(0x0127, {0xFFFF}).Record(0x0127, {5}).Record(0x0626, {1, 2, 3});
  wmf.Record(0x0103, {2}).Rectangle(0, 0, 100, -100).Record(0x0103, {7}).WindowExt(10, 10);
  wmf.Record(0x020E, {5, 20}).Rectangle(0, 0, 5, 5).Record(0x0103, {1}).Rectangle(0, 0, 5, 5);
  wmf.Delete(0).Delete(1).Delete(99).Record(0x01F9, {1, 2, 3}).Record(0x06FE, {1});
  wmf.Record(0x0548, {0, 0, 0, 0, 0}).Record(0x0149, {0});
  return wmf.Finish();
}

// --- Pixels ---

bool Near(QRgb a, QRgb b, int tolerance) {
  return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= tolerance && std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

int CountPixels(const QImage& image, const QRect& area, QRgb color, int tolerance) {
  int count = 0;
  const QRect inside = area.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y)
    for (int x = inside.left(); x <= inside.right(); ++x)
      if (Near(image.pixel(x, y), color, tolerance)) ++count;
  return count;
}

}  // namespace drawfx
