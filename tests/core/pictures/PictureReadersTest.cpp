// The readers below the picture layer: the rounding of metafile sizes, and
// how little of a file measuring reads.
#include "core/pictures/PictureReaders.h"
#include "core/platform/IntegerMath.h"

#include <gtest/gtest.h>

#include "support/PictureFixtures.h"
#include "support/TestUtil.h"

namespace {

TEST(PictureReadersTest, MulDivRoundsHalvesAwayFromZero) {
  const struct {
    int A, B, C, Result;
  } cases[] = {
      {2540, 96, 2540, 96},
      {5, 1, 2, 3},
      {-5, 1, 2, -3},
      {5, -1, 2, -3},
      {-5, -1, 2, 3},
      {5, 1, -2, -3},
      {7, 1, 3, 2},
      {8, 1, 3, 3},
      {-7, 1, 3, -2},
      {-8, 1, 3, -3},
      {0, 5, 7, 0},
      {1, 1, 0, -1},
      {0x7FFFFFFF, 2, 2, 0x7FFFFFFF},
      {0x7FFFFFFF, 2, 1, -1},
      {-0x7FFFFFFF, 2, 1, -1},
      {100000, 100000, 100000, 100000},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MulDiv(c.A, c.B, c.C), c.Result) << c.A << " * " << c.B << " / " << c.C;
}

TEST(PictureReadersTest, MeasuringAJpegSkipsItsExifBlock) {
  TempDir dir;
  const std::string jpeg = MakeJpeg(1600, 1200, 90, 50000);
  dir.Write("camera.jpg", jpeg);
  FilePictureSource file(dir.Path(), "camera.jpg");
  const PictureHeader header = ReadJpegHeader(file);
  EXPECT_EQ(header.Width, 1600);
  EXPECT_EQ(header.Height, 1200);
  EXPECT_LE(file.BytesRead(), 3u * 4096u);
  EXPECT_GT(jpeg.size(), 100000u);
}

TEST(PictureReadersTest, MeasuringABitmapReadsItsHeadersOnly) {
  TempDir dir;
  dir.Write("big.bmp", MakeBmp(1000, 800, 8));
  FilePictureSource file(dir.Path(), "big.bmp");
  const PictureHeader header = ReadBitmapHeader(file);
  EXPECT_EQ(header.Width, 1000);
  EXPECT_EQ(header.Height, 800);
  EXPECT_LE(file.BytesRead(), 14u + 40u);
}

TEST(PictureReadersTest, MeasuringAnIconReadsItsDirectoryHeaderOnly) {
  TempDir dir;
  dir.Write("i.ico", MakeIcon());
  FilePictureSource file(dir.Path(), "i.ico");
  ReadIconHeader(file, ScreenMetrics());
  EXPECT_EQ(file.BytesRead(), 6u);
}

}  // namespace
