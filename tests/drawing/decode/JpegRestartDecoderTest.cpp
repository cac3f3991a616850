// JPEGs with restart markers, split into bands and decoded on several cores.
#include <gtest/gtest.h>

#include <random>

#include "drawing/decode/JpegDecoder.h"
#include "drawing/decode/JpegRestartDecoder.h"
#include "support/DrawingFixtures.h"

using namespace drawfx;

namespace {

JpegOptions EveryRow() {
  JpegOptions options;
  options.RestartRows = 1;
  return options;
}

// Largest difference of any colour channel between the images' pixels in
// rows for which `counted` is true.
template <typename Rows>
int LargestDifference(const QImage& a, const QImage& b, Rows counted) {
  int largest = 0;
  for (int y = 0; y < a.height(); ++y) {
    if (!counted(y)) continue;
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q))});
    }
  }
  return largest;
}

}  // namespace

TEST(JpegRestartDecoderTest, SplitsIntoBandsOfMcuRows) {
  // 4:2:0 sampling: MCUs of 16 x 16 pixels, 10 rows of them, the last one short.
  const std::string jpeg = EncodeJpeg(NoisyGradient(64, 150), EveryRow());
  const std::vector<JpegBand> bands = SplitJpegAtRestarts(jpeg, 3);
  ASSERT_EQ(bands.size(), 3u);
  EXPECT_EQ(bands[0].FirstRow, 0);
  EXPECT_EQ(bands[0].Rows, 48);
  EXPECT_EQ(bands[1].FirstRow, 48);
  EXPECT_EQ(bands[1].Rows, 48);
  EXPECT_EQ(bands[2].FirstRow, 96);
  EXPECT_EQ(bands[2].Rows, 54);
  for (const JpegBand& band : bands) {
    EXPECT_EQ(band.Width, 64);
    JpegDecodeOptions whole;
    whole.UseThreads = false;
    const JpegDecodeResult decoded = DecodeJpegImage(band.Bytes, whole);
    ASSERT_FALSE(decoded.Image.isNull());
    EXPECT_EQ(decoded.Image.size(), QSize(64, band.Rows));
  }
}

TEST(JpegRestartDecoderTest, BandsStartWhereAMarkerStartsAnMcuRow) {
  JpegOptions options;
  options.RestartInterval = 3;  // 4 MCUs a row: rows 0, 3, 6, ... start at a marker
  const std::string jpeg = EncodeJpeg(NoisyGradient(64, 160), options);
  const std::vector<JpegBand> bands = SplitJpegAtRestarts(jpeg, 2);
  ASSERT_EQ(bands.size(), 2u);
  EXPECT_EQ(bands[1].FirstRow, 16 * 6);
}

TEST(JpegRestartDecoderTest, NoBandsWithoutRestartMarkersOrForOtherForms) {
  EXPECT_TRUE(SplitJpegAtRestarts(EncodeJpeg(NoisyGradient(64, 64)), 2).empty());
  JpegOptions progressive = EveryRow();
  progressive.Progressive = true;
  EXPECT_TRUE(SplitJpegAtRestarts(EncodeJpeg(NoisyGradient(64, 64), progressive), 2).empty());
  EXPECT_TRUE(SplitJpegAtRestarts(EncodeJpeg(NoisyGradient(64, 64), EveryRow()), 1).empty());
  EXPECT_TRUE(SplitJpegAtRestarts(EncodeJpeg(NoisyGradient(64, 16), EveryRow()), 2).empty());
  EXPECT_TRUE(SplitJpegAtRestarts("", 2).empty());
  EXPECT_TRUE(SplitJpegAtRestarts(Bmp24({{qRgb(1, 2, 3)}}), 2).empty());
  // A marker out of turn: the file is decoded as a whole.
  std::string jpeg = EncodeJpeg(NoisyGradient(64, 64), EveryRow());
  const std::size_t marker = jpeg.find("\xFF\xD1");
  ASSERT_NE(marker, std::string::npos);
  jpeg[marker + 1] = char(0xD5);
  EXPECT_TRUE(SplitJpegAtRestarts(jpeg, 2).empty());
}

TEST(JpegRestartDecoderTest, BandedDecodingGivesThePicture) {
  // Large enough to be decoded in bands.
  JpegOptions fine = EveryRow();
  fine.Quality = 98;
  const std::string jpeg = EncodeJpeg(NoisyGradient(1600, 1200), fine);
  ASSERT_GE(jpeg.size(), 512u * 1024);
  for (QSize minimum : {QSize(), QSize(400, 300), QSize(200, 150)}) {
    SCOPED_TRACE(minimum.width());
    JpegDecodeOptions banded;
    banded.MinimumSize = minimum;
    JpegDecodeOptions whole = banded;
    whole.UseThreads = false;
    const JpegDecodeResult a = DecodeJpegImage(jpeg, banded);
    const JpegDecodeResult b = DecodeJpegImage(jpeg, whole);
    ASSERT_FALSE(a.Image.isNull());
    ASSERT_EQ(a.Image.size(), b.Image.size());
    EXPECT_EQ(a.FullSize, QSize(1600, 1200));
    EXPECT_EQ(a.ScaleDenominator, b.ScaleDenominator);
    // The same pixels, except for the colour smoothing next to the seams.
    const int scale = a.ScaleDenominator;
    const std::vector<JpegBand> bands = SplitJpegAtRestarts(jpeg, 4);
    auto awayFromSeams = [&](int y) {
      for (const JpegBand& band : bands)
        if (band.FirstRow > 0 && std::abs(y - band.FirstRow / scale) <= 1) return false;
      return true;
    };
    EXPECT_EQ(LargestDifference(a.Image, b.Image, awayFromSeams), 0);
    EXPECT_LE(LargestDifference(a.Image, b.Image, [](int) { return true; }), 16);
  }
}

TEST(JpegRestartDecoderTest, DamagedFilesWithRestartMarkersNeverCrash) {
  const std::string good = EncodeJpeg(NoisyGradient(96, 128), EveryRow());
  std::mt19937 random(99);
  for (int round = 0; round < 400; ++round) {
    std::string bytes = good;
    const int changes = 1 + int(random() % 4);
    for (int i = 0; i < changes; ++i) bytes[random() % bytes.size()] = char(random() & 0xFF);
    if (round % 3 == 0) bytes.resize(random() % bytes.size());
    for (const JpegBand& band : SplitJpegAtRestarts(bytes, 2 + round % 3)) {
      JpegDecodeOptions whole;
      whole.UseThreads = false;
      DecodeJpegImage(band.Bytes, whole);
    }
  }
  // Damaged large files through the banded path.
  JpegOptions fine = EveryRow();
  fine.Quality = 98;
  const std::string large = EncodeJpeg(NoisyGradient(1200, 1000), fine);
  ASSERT_GE(large.size(), 512u * 1024);
  for (int round = 0; round < 20; ++round) {
    std::string bytes = large;
    for (int i = 0; i < 8; ++i) bytes[random() % bytes.size()] = char(random() & 0xFF);
    const JpegDecodeResult result = DecodeJpegImage(bytes, {});
    if (!result.Image.isNull()) {
      EXPECT_EQ(result.Image.width(), 1200);
    }
  }
}
