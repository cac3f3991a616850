// Picture files made on the spot for the drawing tests and the benchmark:
// bitmaps, icons and metafiles byte by byte, JPEGs by libjpeg's compressor.
#pragma once

#include <QColor>
#include <QImage>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace drawfx {

// Little-endian writing.
void Put16(std::string& out, std::uint16_t value);
void Put32(std::string& out, std::uint32_t value);
void PutI32(std::string& out, std::int32_t value);
void PutF32(std::string& out, float value);
void Set32(std::string& bytes, std::size_t offset, std::uint32_t value);

// COLORREF: red in the low byte.
std::uint32_t ColorRef(int red, int green, int blue);

// --- Bitmaps ---

// Every part of a BMP file; the file header is computed.
struct Bmp {
  std::uint32_t HeaderSize = 40;  // 12 (core), 40, 52, 56, 108, 124
  std::int32_t Width = 1;
  std::int32_t Height = 1;  // negative: top-down
  std::uint16_t Bits = 24;
  std::uint32_t Compression = 0;
  std::uint32_t ImageSize = 0;
  std::uint32_t ColorsUsed = 0;
  std::vector<std::uint32_t> Masks;  // after a 40-byte header, or inside larger ones
  std::vector<QRgb> Table;           // written as 4-byte (3-byte for core) entries
  std::string Pixels;
  std::uint32_t Gap = 0;  // bytes between the colour table and the pixels
};
std::string MakeBmp(const Bmp& bmp);
// The info block alone (header, masks, table), as a metafile stores it.
std::string MakeDibInfo(const Bmp& bmp);
// A 24-bit bitmap of rows given top to bottom, stored bottom-up (or top-down).
std::string Bmp24(const std::vector<std::vector<QRgb>>& rows, bool topDown = false);
// Pixel rows of 24 bits, padded, bottom-up from rows given top to bottom.
std::string Rows24(const std::vector<std::vector<QRgb>>& rows, bool topDown = false);

// --- JPEG ---

struct JpegOptions {
  int Quality = 90;
  bool Grayscale = false;
  bool Progressive = false;
  bool Cmyk = false;        // written as Adobe (inverted) CMYK
  int RestartRows = 0;      // a restart marker every so many MCU rows
  int RestartInterval = 0;  // or every so many MCUs
};
// Compresses the image (its RGB values) with libjpeg-turbo.
std::string EncodeJpeg(const QImage& image, const JpegOptions& options = JpegOptions());
std::string SolidJpeg(int width, int height, QRgb color,
                      const JpegOptions& options = JpegOptions());
// A photo-like picture: smooth gradients with some noise (fixed seed).
QImage NoisyGradient(int width, int height, unsigned seed = 1);

// --- Icons ---

struct IconImage {
  int Width = 16;  // written to the directory (256 as 0)
  int Height = 16;
  int Bits = 32;     // written to the directory
  std::string Data;  // a bitmap info header + pixels + mask, or a PNG file
};
// A 32-bit image of one colour (alpha from the colour) with an empty mask.
IconImage BmpIconImage(int size, QRgb color);
// A 4-bit image: left half `color`, right half masked out (transparent).
IconImage Bmp4IconImage(int size, QRgb color);
IconImage PngIconImage(int size, QRgb color);
std::string MakeIco(const std::vector<IconImage>& images, std::uint16_t type = 1);

// --- Enhanced metafiles ---

class EmfBuilder {
 public:
  // Frame in hundredths of a millimetre; the reference device in pixels and
  // millimetres (defaults: 96 pixels an inch).
  EmfBuilder(int frameLeft, int frameTop, int frameRight, int frameBottom, int pixelsX = 1920,
             int pixelsY = 1080, int millimetresX = 508, int millimetresY = 286);
  // A frame that covers `width` x `height` reference pixels from 0, 0.
  static EmfBuilder ForPixels(int width, int height);

  // A record of 32-bit values after type and size.
  EmfBuilder& Record(std::uint32_t type, std::initializer_list<std::int32_t> values);
  // A record with raw parameter bytes.
  EmfBuilder& Raw(std::uint32_t type, const std::string& parameters);
  EmfBuilder& Handles(std::uint16_t count);
  std::string Finish();  // adds the end-of-file record, fixes the header

  // Common records.
  EmfBuilder& SolidBrush(int handle, std::uint32_t colorRef);
  EmfBuilder& Pen(int handle, int style, int width, std::uint32_t colorRef);
  EmfBuilder& Select(std::uint32_t handle);  // stock: 0x80000000 | number
  EmfBuilder& Rectangle(int left, int top, int right, int bottom);
  EmfBuilder& Polygon16(const std::vector<std::pair<int, int>>& points);
  EmfBuilder& TextW(int x, int y, const std::u16string& text);
  // StretchDIBits of a whole bitmap into the destination rectangle.
  EmfBuilder& StretchDib(int x, int y, int width, int height, const Bmp& bitmap);

 private:
  std::string Bytes;
  std::uint32_t Records = 1;
  std::uint16_t HandleCount = 16;
};

// --- Windows metafiles ---

class WmfBuilder {
 public:
  // With a placeable header of this bounding box and units per inch; without
  // one when `placeable` is false.
  WmfBuilder(int left, int top, int right, int bottom, int unitsPerInch, bool placeable = true);
  // A record of 16-bit words (in the order stored).
  WmfBuilder& Record(std::uint16_t function, std::initializer_list<int> words);
  WmfBuilder& Raw(std::uint16_t function, const std::string& parameters);
  WmfBuilder& Objects(std::uint16_t count);
  std::string Finish();  // adds the end-of-file record, fixes headers and checksum

  // Common records (arguments in the natural order; stored reversed).
  WmfBuilder& WindowOrg(int x, int y);
  WmfBuilder& WindowExt(int x, int y);
  WmfBuilder& SolidBrush(std::uint32_t colorRef);
  WmfBuilder& Pen(int style, int width, std::uint32_t colorRef);
  WmfBuilder& Select(int index);
  WmfBuilder& Delete(int index);
  WmfBuilder& Rectangle(int left, int top, int right, int bottom);
  WmfBuilder& Font(int height, const std::string& face);
  WmfBuilder& TextOut(int x, int y, const std::string& text);
  WmfBuilder& StretchDib(int x, int y, int width, int height, const Bmp& bitmap);

 private:
  bool Placeable;
  std::string Bytes;
  std::uint32_t MaxRecord = 3;
  std::uint16_t ObjectCount = 16;
};

// --- Metafiles that use most records ---

// An enhanced metafile of 120 x 90 reference pixels with records of nearly
// every kind the player knows: objects of each sort, mapping, paths,
// clipping, text, bitmaps (also with palette indices) and world transforms.
std::string RichEmf();
// A placeable Windows metafile likewise, with its bitmap, region, text and
// raster operation records.
std::string RichWmf();

// Counting pixels of an image.
int CountPixels(const QImage& image, const QRect& area, QRgb color, int tolerance = 0);
bool Near(QRgb a, QRgb b, int tolerance);

}  // namespace drawfx
