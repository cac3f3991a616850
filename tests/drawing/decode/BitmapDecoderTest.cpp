// Bitmap files and metafile bitmaps decoded into pixels, every stored form.
#include <gtest/gtest.h>

#include <QBuffer>

#include "drawing/decode/BitmapDecoder.h"
#include "support/DrawingFixtures.h"

using namespace drawfx;

namespace {

const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);

// The image's pixels, row by row from the top.
std::vector<std::vector<QRgb>> Pixels(const QImage& image) {
  std::vector<std::vector<QRgb>> rows;
  for (int y = 0; y < image.height(); ++y) {
    rows.emplace_back();
    for (int x = 0; x < image.width(); ++x) rows.back().push_back(image.pixel(x, y));
  }
  return rows;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(char(v));
  return s;
}

std::string Words16(std::initializer_list<std::uint16_t> values) {
  std::string s;
  for (std::uint16_t v : values) Put16(s, v);
  return s;
}

// Every test runs with Qt's reader first and with our own unpacker alone.
class BitmapDecoderTest : public ::testing::TestWithParam<BitmapUnpacking> {
 protected:
  DecodedBitmap DecodeBitmapFile(const std::string& bytes) {
    return ::DecodeBitmapFile(bytes, GetParam());
  }
  DecodedBitmap DecodeDib(const unsigned char* info, std::size_t infoSize,
                          const unsigned char* bits, std::size_t bitsSize) {
    return ::DecodeDib(info, infoSize, bits, bitsSize, GetParam());
  }
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Unpacking, BitmapDecoderTest,
                         ::testing::Values(BitmapUnpacking::QtThenOwn, BitmapUnpacking::OwnOnly),
                         [](const ::testing::TestParamInfo<BitmapUnpacking>& info) {
                           return std::string(info.param == BitmapUnpacking::QtThenOwn ? "Qt"
                                                                                       : "Own");
                         });

TEST_P(BitmapDecoderTest, Red24BitBitmap) {
  const DecodedBitmap bitmap =
      DecodeBitmapFile(Bmp24({{Red, Red, Red, Red}, {Red, Red, Red, Red}, {Red, Red, Red, Red}}));
  ASSERT_FALSE(bitmap.Image.isNull());
  EXPECT_EQ(bitmap.Image.size(), QSize(4, 3));
  EXPECT_EQ(bitmap.Image.format(), QImage::Format_RGB32);
  EXPECT_EQ(bitmap.BitsPerPixel, 24);
  EXPECT_EQ(CountPixels(bitmap.Image, bitmap.Image.rect(), Red), 12);
}

TEST_P(BitmapDecoderTest, BottomUpAndTopDownGiveTheSameImage) {
  const std::vector<std::vector<QRgb>> rows = {{Red, Green}, {Blue, White}, {Black, Red}};
  EXPECT_EQ(Pixels(DecodeBitmapFile(Bmp24(rows, false)).Image), rows);
  EXPECT_EQ(Pixels(DecodeBitmapFile(Bmp24(rows, true)).Image), rows);
}

TEST_P(BitmapDecoderTest, CoreHeaderWithThreeByteColourTable) {
  Bmp bmp;
  bmp.HeaderSize = 12;
  bmp.Width = 8;
  bmp.Height = 2;
  bmp.Bits = 1;
  bmp.Table = {Red, Blue};
  bmp.Pixels = Bytes({0xF0, 0, 0, 0, 0x0F, 0, 0, 0});  // bottom row, then top row
  const DecodedBitmap bitmap = DecodeBitmapFile(MakeBmp(bmp));
  ASSERT_FALSE(bitmap.Image.isNull());
  EXPECT_EQ(bitmap.BitsPerPixel, 1);
  const auto rows = Pixels(bitmap.Image);
  EXPECT_EQ(rows[0], std::vector<QRgb>({Red, Red, Red, Red, Blue, Blue, Blue, Blue}));
  EXPECT_EQ(rows[1], std::vector<QRgb>({Blue, Blue, Blue, Blue, Red, Red, Red, Red}));
}

TEST_P(BitmapDecoderTest, CoreHeader24Bit) {
  Bmp bmp;
  bmp.HeaderSize = 12;
  bmp.Width = 2;
  bmp.Height = 1;
  bmp.Pixels = Rows24({{Green, Blue}});
  EXPECT_EQ(Pixels(DecodeBitmapFile(MakeBmp(bmp)).Image),
            std::vector<std::vector<QRgb>>({{Green, Blue}}));
}

TEST_P(BitmapDecoderTest, Rle8WithRunsLiteralsDeltaAndLineEnds) {
  Bmp bmp;
  bmp.Width = 6;
  bmp.Height = 3;
  bmp.Bits = 8;
  bmp.Compression = 1;
  bmp.Table = {Black, Red, Green, Blue};
  bmp.Pixels = Bytes({3, 1,              // bottom row: three red
                      0, 3, 2, 3, 2, 0,  // literal green, blue, green (padded)
                      0, 0,              // end of line
                      0, 2, 2, 0,        // move two right
                      2, 3,              // two blue
                      0, 0,              // end of line
                      6, 2,              // top row: six green
                      0, 1});            // end of bitmap
  const DecodedBitmap bitmap = DecodeBitmapFile(MakeBmp(bmp));
  ASSERT_FALSE(bitmap.Image.isNull());
  EXPECT_EQ(bitmap.BitsPerPixel, 8);
  const auto rows = Pixels(bitmap.Image);
  EXPECT_EQ(rows[0], std::vector<QRgb>(6, Green));
  EXPECT_EQ(rows[1], std::vector<QRgb>({Black, Black, Blue, Blue, Black, Black}));
  EXPECT_EQ(rows[2], std::vector<QRgb>({Red, Red, Red, Green, Blue, Green}));
}

TEST_P(BitmapDecoderTest, Rle4WithRunsAndLiterals) {
  Bmp bmp;
  bmp.Width = 5;
  bmp.Height = 2;
  bmp.Bits = 4;
  bmp.Compression = 2;
  bmp.Table = {Black, Red, Blue};
  bmp.Pixels = Bytes({5, 0x12,           // bottom row: red blue red blue red
                      0, 0,              // end of line
                      0, 3, 0x21, 0x20,  // literal blue red blue
                      2, 0x11,           // two red
                      0, 1});            // end of bitmap
  const DecodedBitmap bitmap = DecodeBitmapFile(MakeBmp(bmp));
  ASSERT_FALSE(bitmap.Image.isNull());
  EXPECT_EQ(bitmap.BitsPerPixel, 4);
  const auto rows = Pixels(bitmap.Image);
  EXPECT_EQ(rows[0], std::vector<QRgb>({Blue, Red, Blue, Red, Red}));
  EXPECT_EQ(rows[1], std::vector<QRgb>({Red, Blue, Red, Blue, Red}));
}

TEST_P(BitmapDecoderTest, RleDataEndingEarlyLeavesIndexZero) {
  Bmp bmp;
  bmp.Width = 3;
  bmp.Height = 2;
  bmp.Bits = 8;
  bmp.Compression = 1;
  bmp.Table = {Blue, Red};
  bmp.Pixels = Bytes({2, 1});  // two red pixels of the bottom row, nothing more
  const auto rows = Pixels(DecodeBitmapFile(MakeBmp(bmp)).Image);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], std::vector<QRgb>(3, Blue));
  EXPECT_EQ(rows[1], std::vector<QRgb>({Red, Red, Blue}));
}

TEST_P(BitmapDecoderTest, SixteenBitBitFields565) {
  Bmp bmp;
  bmp.Width = 3;
  bmp.Height = 1;
  bmp.Bits = 16;
  bmp.Compression = 3;
  bmp.Masks = {0xF800, 0x07E0, 0x001F};
  bmp.Pixels = Words16({0xF800, 0x07E0, 0x001F, 0});
  const DecodedBitmap bitmap = DecodeBitmapFile(MakeBmp(bmp));
  ASSERT_FALSE(bitmap.Image.isNull());
  EXPECT_EQ(bitmap.BitsPerPixel, 16);
  const auto rows = Pixels(bitmap.Image);
  EXPECT_TRUE(Near(rows[0][0], Red, 8));
  EXPECT_TRUE(Near(rows[0][1], Green, 8));
  EXPECT_TRUE(Near(rows[0][2], Blue, 8));
}

TEST_P(BitmapDecoderTest, SixteenBitWithoutMasksIs555) {
  Bmp bmp;
  bmp.Width = 2;
  bmp.Height = 1;
  bmp.Bits = 16;
  bmp.Pixels = Words16({0x7C00, 0x03E0});
  const auto rows = Pixels(DecodeBitmapFile(MakeBmp(bmp)).Image);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_TRUE(Near(rows[0][0], Red, 8));
  EXPECT_TRUE(Near(rows[0][1], Green, 8));
}

// Qt's own reader refuses the 52- and 56-byte headers and alpha bit fields.
TEST_P(BitmapDecoderTest, MasksInsideA52ByteHeader) {
  Bmp bmp;
  bmp.HeaderSize = 52;
  bmp.Width = 2;
  bmp.Height = 1;
  bmp.Bits = 16;
  bmp.Compression = 3;
  bmp.Masks = {0xF800, 0x07E0, 0x001F};
  bmp.Pixels = Words16({0x001F, 0xF800});
  const auto rows = Pixels(DecodeBitmapFile(MakeBmp(bmp)).Image);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_TRUE(Near(rows[0][0], Blue, 8));
  EXPECT_TRUE(Near(rows[0][1], Red, 8));
}

TEST_P(BitmapDecoderTest, AlphaBitFieldsDrawOpaque) {
  Bmp bmp;
  bmp.HeaderSize = 56;
  bmp.Width = 1;
  bmp.Height = 1;
  bmp.Bits = 32;
  bmp.Compression = 6;
  bmp.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  std::string pixels;
  Put32(pixels, 0x2000FF00);  // green, nearly transparent
  bmp.Pixels = pixels;
  const DecodedBitmap bitmap = DecodeBitmapFile(MakeBmp(bmp));
  ASSERT_FALSE(bitmap.Image.isNull());
  EXPECT_EQ(bitmap.Image.pixel(0, 0), Green);
}

TEST_P(BitmapDecoderTest, ThirtyTwoBitIgnoresTheFourthByte) {
  Bmp bmp;
  bmp.Width = 2;
  bmp.Height = 1;
  bmp.Bits = 32;
  std::string pixels;
  Put32(pixels, 0x000000FF);  // blue, "alpha" 0
  Put32(pixels, 0x7FFF0000);  // red
  bmp.Pixels = pixels;
  EXPECT_EQ(Pixels(DecodeBitmapFile(MakeBmp(bmp)).Image),
            std::vector<std::vector<QRgb>>({{Blue, Red}}));
}

TEST_P(BitmapDecoderTest, V5HeaderAndGapBeforeThePixels) {
  Bmp bmp;
  bmp.HeaderSize = 124;
  bmp.Width = 2;
  bmp.Height = 1;
  bmp.Gap = 10;  // the file header's offset skips these bytes
  bmp.Pixels = Rows24({{Green, Red}});
  EXPECT_EQ(Pixels(DecodeBitmapFile(MakeBmp(bmp)).Image),
            std::vector<std::vector<QRgb>>({{Green, Red}}));
}

TEST_P(BitmapDecoderTest, ShortColourTableAndIndicesBeyondIt) {
  Bmp bmp;
  bmp.Width = 3;
  bmp.Height = 1;
  bmp.Bits = 8;
  bmp.ColorsUsed = 2;
  bmp.Table = {Red, Green};
  bmp.Pixels = Bytes({1, 0, 9, 0});
  EXPECT_EQ(Pixels(DecodeBitmapFile(MakeBmp(bmp)).Image),
            std::vector<std::vector<QRgb>>({{Green, Red, Black}}));
}

TEST_P(BitmapDecoderTest, FourBitUncompressed) {
  Bmp bmp;
  bmp.Width = 3;
  bmp.Height = 1;
  bmp.Bits = 4;
  bmp.Table = {Black, Red, Green, Blue};
  bmp.Pixels = Bytes({0x12, 0x30, 0, 0});
  EXPECT_EQ(Pixels(DecodeBitmapFile(MakeBmp(bmp)).Image),
            std::vector<std::vector<QRgb>>({{Red, Green, Blue}}));
}

TEST_P(BitmapDecoderTest, MissingRowsAreBlack) {
  Bmp bmp;
  bmp.Width = 2;
  bmp.Height = 3;
  bmp.Pixels = Rows24({{Red, Red}});  // only the bottom row is in the file
  const auto rows = Pixels(DecodeBitmapFile(MakeBmp(bmp)).Image);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], std::vector<QRgb>(2, Black));
  EXPECT_EQ(rows[1], std::vector<QRgb>(2, Black));
  EXPECT_EQ(rows[2], std::vector<QRgb>(2, Red));

  bmp.Pixels.clear();
  const DecodedBitmap empty = DecodeBitmapFile(MakeBmp(bmp));
  ASSERT_FALSE(empty.Image.isNull());
  EXPECT_EQ(CountPixels(empty.Image, empty.Image.rect(), Black), 6);
}

TEST_P(BitmapDecoderTest, ImageSizeCutsThePixelData) {
  Bmp bmp;
  bmp.Width = 1;
  bmp.Height = 2;
  bmp.ImageSize = 4;  // one row of the two in the file
  bmp.Pixels = Rows24({{Red}, {Green}});
  const auto rows = Pixels(DecodeBitmapFile(MakeBmp(bmp)).Image);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], Black);
  EXPECT_EQ(rows[1][0], Green);
}

TEST_P(BitmapDecoderTest, SeparateAndPackedDibs) {
  Bmp bmp;
  bmp.Width = 2;
  bmp.Height = 2;
  bmp.Bits = 8;
  bmp.Table = {Red, Blue};
  bmp.Pixels = Bytes({0, 1, 0, 0, 1, 0, 0, 0});
  const std::string info = MakeDibInfo(bmp);
  const auto* infoBytes = reinterpret_cast<const unsigned char*>(info.data());
  const auto* bits = reinterpret_cast<const unsigned char*>(bmp.Pixels.data());
  const std::vector<std::vector<QRgb>> expected = {{Blue, Red}, {Red, Blue}};
  EXPECT_EQ(Pixels(DecodeDib(infoBytes, info.size(), bits, bmp.Pixels.size()).Image), expected);
  const std::string packed = info + bmp.Pixels;
  EXPECT_EQ(
      Pixels(DecodePackedDib(reinterpret_cast<const unsigned char*>(packed.data()), packed.size())
                 .Image),
      expected);
}

TEST_P(BitmapDecoderTest, PngCompressedDib) {
  QImage picture(3, 2, QImage::Format_RGB32);
  picture.fill(Green);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "PNG");
  Bmp bmp;
  bmp.Width = 3;
  bmp.Height = 2;
  bmp.Bits = 0;
  bmp.Compression = 5;
  bmp.ImageSize = std::uint32_t(png.size());
  const std::string info = MakeDibInfo(bmp);
  const DecodedBitmap bitmap =
      DecodeDib(reinterpret_cast<const unsigned char*>(info.data()), info.size(),
                reinterpret_cast<const unsigned char*>(png.constData()), std::size_t(png.size()));
  ASSERT_FALSE(bitmap.Image.isNull());
  EXPECT_EQ(bitmap.Image.size(), QSize(3, 2));
  EXPECT_EQ(bitmap.Image.pixel(1, 1), Green);
}

TEST_P(BitmapDecoderTest, UnreadableBitmapsGiveNoImage) {
  const std::string good = Bmp24({{Red}});
  struct Case {
    const char* Name;
    std::string Bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", ""});
  cases.push_back({"file header only", good.substr(0, 14)});
  cases.push_back({"inside the info header", good.substr(0, 30)});
  std::string wrongSignature = good;
  wrongSignature[0] = 'X';
  cases.push_back({"signature", wrongSignature});
  Bmp bmp;
  bmp.HeaderSize = 20;  // neither the core nor an info header
  cases.push_back({"header size", MakeBmp(bmp)});
  bmp = Bmp();
  bmp.Width = 0;
  cases.push_back({"zero width", MakeBmp(bmp)});
  bmp = Bmp();
  bmp.Height = 0;
  cases.push_back({"zero height", MakeBmp(bmp)});
  bmp = Bmp();
  bmp.Bits = 3;
  cases.push_back({"three bits", MakeBmp(bmp)});
  bmp = Bmp();
  bmp.Bits = 4;
  bmp.Compression = 1;  // RLE8 needs 8 bits
  cases.push_back({"RLE8 of 4 bits", MakeBmp(bmp)});
  bmp = Bmp();
  bmp.Bits = 8;
  bmp.Compression = 1;
  bmp.Height = -1;  // compressed bitmaps are bottom-up
  cases.push_back({"top-down RLE", MakeBmp(bmp)});
  bmp = Bmp();
  bmp.Width = 100000;
  bmp.Height = 100000;
  cases.push_back({"huge", MakeBmp(bmp)});
  bmp = Bmp();
  bmp.Compression = 9;
  cases.push_back({"unknown compression", MakeBmp(bmp)});
  bmp = Bmp();
  bmp.Bits = 16;
  bmp.Compression = 3;  // masks missing
  cases.push_back({"masks cut off", MakeBmp(bmp).substr(0, 14 + 40 + 4)});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_TRUE(DecodeBitmapFile(c.Bytes).Image.isNull());
  }
  EXPECT_TRUE(DecodeDib(nullptr, 0, nullptr, 0).Image.isNull());
  EXPECT_TRUE(DecodePackedDib(nullptr, 0).Image.isNull());
}
