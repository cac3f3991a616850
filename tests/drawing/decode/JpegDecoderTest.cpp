// JPEG decompression: colours, reduced scales, colour forms, damaged data.
#include <gtest/gtest.h>

#include <QSet>

#include <chrono>
#include <cstdio>
#include <random>

#include <jpeglib.h>
// jerror.h after jpeglib.h: the message codes.
#include <jerror.h>

#include "drawing/decode/JpegDecoder.h"
#include "support/DrawingFixtures.h"

using namespace drawfx;

namespace {

const QRgb Colour = qRgb(200, 40, 90);

QRgb Centre(const QImage& image) {
  return image.pixel(image.width() / 2, image.height() / 2);
}

// Offset of the frame header's height field (SOF0: FF C0, length, precision).
std::size_t FrameSizeOffset(const std::string& jpeg) {
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
    if (std::uint8_t(jpeg[i]) == 0xFF &&
        (std::uint8_t(jpeg[i + 1]) == 0xC0 || std::uint8_t(jpeg[i + 1]) == 0xC2))
      return i + 5;
  return 0;
}

}  // namespace

TEST(JpegDecoderTest, SolidColourAtFullScale) {
  const JpegDecodeResult result = DecodeJpegImage(SolidJpeg(64, 48, Colour), {});
  ASSERT_FALSE(result.Image.isNull());
  EXPECT_EQ(result.ErrorCode, 0);
  EXPECT_EQ(result.ScaleDenominator, 1);
  EXPECT_EQ(result.FullSize, QSize(64, 48));
  EXPECT_EQ(result.Image.size(), QSize(64, 48));
  EXPECT_EQ(result.Image.format(), QImage::Format_RGB32);
  EXPECT_EQ(CountPixels(result.Image, result.Image.rect(), Colour, 6), 64 * 48);
}

TEST(JpegDecoderTest, ScaleDenominatorIsTheLargestReductionStillBigEnough) {
  EXPECT_EQ(JpegScaleDenominator(QSize(400, 300), QSize(100, 75)), 4);
  EXPECT_EQ(JpegScaleDenominator(QSize(400, 300), QSize(101, 75)), 2);
  EXPECT_EQ(JpegScaleDenominator(QSize(400, 300), QSize(50, 37)), 8);
  EXPECT_EQ(JpegScaleDenominator(QSize(400, 300), QSize(201, 100)), 1);
  EXPECT_EQ(JpegScaleDenominator(QSize(400, 300), QSize(200, 150)), 2);
  EXPECT_EQ(JpegScaleDenominator(QSize(6000, 4000), QSize(500, 333)), 8);
  EXPECT_EQ(JpegScaleDenominator(QSize(400, 300), QSize(400, 300)), 1);
  EXPECT_EQ(JpegScaleDenominator(QSize(400, 300), QSize()), 1);
  EXPECT_EQ(JpegScaleDenominator(QSize(400, 300), QSize(0, 10)), 1);
}

TEST(JpegDecoderTest, ReducedScaleKeepsTheColour) {
  JpegDecodeOptions options;
  options.MinimumSize = QSize(100, 75);
  const JpegDecodeResult result = DecodeJpegImage(SolidJpeg(400, 300, Colour), options);
  ASSERT_FALSE(result.Image.isNull());
  EXPECT_EQ(result.ScaleDenominator, 4);
  EXPECT_EQ(result.FullSize, QSize(400, 300));
  EXPECT_EQ(result.Image.size(), QSize(100, 75));
  EXPECT_EQ(CountPixels(result.Image, result.Image.rect(), Colour, 6), 100 * 75);
}

TEST(JpegDecoderTest, ReducedScaleOfAPictureGivesTheSamePixelsAsScalingDown) {
  const QImage source = NoisyGradient(320, 240);
  const std::string jpeg = EncodeJpeg(source, {});
  JpegDecodeOptions options;
  options.MinimumSize = QSize(40, 30);
  const JpegDecodeResult reduced = DecodeJpegImage(jpeg, options);
  ASSERT_EQ(reduced.ScaleDenominator, 8);
  const QImage reference = source.scaled(40, 30, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  // Averaged 8 x 8 blocks against smooth scaling: close, not equal.
  EXPECT_GT(CountPixels(reduced.Image, QRect(0, 0, 40, 30), Centre(reference), 255), 0);
  int far = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      if (!Near(reduced.Image.pixel(x, y), reference.pixel(x, y), 24)) ++far;
  EXPECT_LT(far, 40 * 30 / 20);
}

TEST(JpegDecoderTest, DecodeJpegScalesToTheTarget) {
  const std::string jpeg = SolidJpeg(300, 200, Colour);
  const QImage fitted = DecodeJpeg(jpeg, QSize(30, 20));
  EXPECT_EQ(fitted.size(), QSize(30, 20));
  EXPECT_TRUE(Near(Centre(fitted), Colour, 6));
  EXPECT_EQ(DecodeJpeg(jpeg, QSize(450, 100), true).size(), QSize(450, 100));
  EXPECT_EQ(DecodeJpeg(jpeg, QSize()).size(), QSize(300, 200));
}

TEST(JpegDecoderTest, GrayscaleIsReducedToAPaletteAndStaysGray) {
  JpegOptions gray;
  gray.Grayscale = true;
  const JpegDecodeResult result = DecodeJpegImage(SolidJpeg(32, 32, qRgb(128, 128, 128), gray), {});
  ASSERT_FALSE(result.Image.isNull());
  EXPECT_EQ(result.Image.format(), QImage::Format_RGB32);
  const QRgb c = Centre(result.Image);
  EXPECT_EQ(qRed(c), qGreen(c));
  EXPECT_EQ(qGreen(c), qBlue(c));
  EXPECT_NEAR(qRed(c), 128, 4);
}

TEST(JpegDecoderTest, QuantisedColoursForEightBitScreens) {
  JpegDecodeOptions options;
  options.QuantizeColors = true;
  const JpegDecodeResult result = DecodeJpegImage(SolidJpeg(48, 32, Colour), options);
  ASSERT_FALSE(result.Image.isNull());
  EXPECT_EQ(result.Image.format(), QImage::Format_RGB32);
  EXPECT_TRUE(Near(Centre(result.Image), Colour, 16));

  const JpegDecodeResult picture = DecodeJpegImage(EncodeJpeg(NoisyGradient(64, 64)), options);
  ASSERT_FALSE(picture.Image.isNull());
  QSet<QRgb> colours;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) colours.insert(picture.Image.pixel(x, y));
  EXPECT_LE(colours.size(), 236);
}

TEST(JpegDecoderTest, ProgressiveAtFullAndReducedScale) {
  JpegOptions progressive;
  progressive.Progressive = true;
  const std::string jpeg = SolidJpeg(160, 120, Colour, progressive);
  EXPECT_TRUE(Near(Centre(DecodeJpegImage(jpeg, {}).Image), Colour, 6));
  JpegDecodeOptions options;
  options.MinimumSize = QSize(80, 60);
  const JpegDecodeResult reduced = DecodeJpegImage(jpeg, options);
  EXPECT_EQ(reduced.Image.size(), QSize(80, 60));
  EXPECT_TRUE(Near(Centre(reduced.Image), Colour, 6));
}

TEST(JpegDecoderTest, AdobeCmyk) {
  JpegOptions cmyk;
  cmyk.Cmyk = true;
  const JpegDecodeResult result = DecodeJpegImage(SolidJpeg(32, 16, Colour, cmyk), {});
  ASSERT_FALSE(result.Image.isNull());
  EXPECT_TRUE(Near(Centre(result.Image), Colour, 8));
}

TEST(JpegDecoderTest, TruncatedDataStillGivesThePicture) {
  const QImage source = NoisyGradient(128, 128);
  const std::string jpeg = EncodeJpeg(source);
  const JpegDecodeResult result = DecodeJpegImage(jpeg.substr(0, jpeg.size() / 2), {});
  ASSERT_FALSE(result.Image.isNull());
  EXPECT_EQ(result.ErrorCode, 0);
  EXPECT_EQ(result.Image.size(), QSize(128, 128));
  EXPECT_TRUE(Near(result.Image.pixel(4, 4), source.pixel(4, 4), 24));
}

TEST(JpegDecoderTest, DamagedCompressedDataStillGivesAPicture) {
  std::string jpeg = EncodeJpeg(NoisyGradient(96, 96));
  for (std::size_t i = jpeg.size() / 2; i < jpeg.size() / 2 + 40; ++i) jpeg[i] = char(0x5A);
  const JpegDecodeResult result = DecodeJpegImage(jpeg, {});
  ASSERT_FALSE(result.Image.isNull());
  EXPECT_EQ(result.Image.size(), QSize(96, 96));
}

TEST(JpegDecoderTest, FailuresGiveNoImageAndTheDecodersCode) {
  const JpegDecodeResult empty = DecodeJpegImage("", {});
  EXPECT_TRUE(empty.Image.isNull());
  EXPECT_EQ(empty.ErrorCode, 0);

  const JpegDecodeResult notJpeg = DecodeJpegImage(Bmp24({{qRgb(1, 2, 3)}}), {});
  EXPECT_TRUE(notJpeg.Image.isNull());
  EXPECT_EQ(notJpeg.ErrorCode, JERR_NO_SOI);

  const JpegDecodeResult markerOnly = DecodeJpegImage(std::string("\xFF\xD8", 2), {});
  EXPECT_TRUE(markerOnly.Image.isNull());
  EXPECT_NE(markerOnly.ErrorCode, 0);

  EXPECT_TRUE(DecodeJpeg("garbage", QSize(10, 10)).isNull());
}

TEST(JpegDecoderTest, HugeDeclaredSizeFailsQuickly) {
  std::string jpeg = SolidJpeg(16, 16, Colour);
  const std::size_t at = FrameSizeOffset(jpeg);
  ASSERT_NE(at, 0u);
  jpeg[at] = char(0xFD);  // height 65000
  jpeg[at + 1] = char(0xE8);
  jpeg[at + 2] = char(0xFD);  // width 65000
  jpeg[at + 3] = char(0xE8);
  const auto start = std::chrono::steady_clock::now();
  JpegDecodeOptions options;
  options.MinimumSize = QSize(500, 500);
  const JpegDecodeResult result = DecodeJpegImage(jpeg, options);
  EXPECT_TRUE(result.Image.isNull());
  EXPECT_EQ(result.ErrorCode, JERR_IMAGE_TOO_BIG);
  EXPECT_EQ(result.FullSize, QSize(65000, 65000));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(JpegDecoderTest, RandomDamageNeverCrashes) {
  const std::string good = EncodeJpeg(NoisyGradient(48, 40), {});
  std::mt19937 random(20240601);
  for (int round = 0; round < 300; ++round) {
    std::string bytes = good;
    const int changes = 1 + int(random() % 8);
    for (int i = 0; i < changes; ++i) bytes[random() % bytes.size()] = char(random() & 0xFF);
    if (round % 3 == 0) bytes.resize(random() % bytes.size());
    JpegDecodeOptions options;
    if (round % 2 == 0) options.MinimumSize = QSize(12, 10);
    options.QuantizeColors = round % 5 == 0;
    const JpegDecodeResult result = DecodeJpegImage(bytes, options);
    if (!result.Image.isNull()) {
      EXPECT_GT(result.Image.width(), 0);
    }
  }
}
