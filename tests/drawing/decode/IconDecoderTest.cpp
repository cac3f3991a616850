// Icon files: the image chosen for the screen's icon size, scaled to it.
#include <gtest/gtest.h>

#include "drawing/decode/IconDecoder.h"
#include "support/DrawingFixtures.h"

using namespace drawfx;

namespace {

const QSize kIconSize(32, 32);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kTransparent = qRgba(0, 0, 0, 0);

}  // namespace

TEST(IconDecoderTest, SixteenPixelBitmapIconIsEnlargedToTheIconSize) {
  const QImage icon = DecodeIcon(MakeIco({BmpIconImage(16, kRed)}), kIconSize, 24);
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.size(), kIconSize);
  EXPECT_EQ(icon.format(), QImage::Format_ARGB32_Premultiplied);
  EXPECT_EQ(CountPixels(icon, icon.rect(), kRed), 32 * 32);
}

TEST(IconDecoderTest, PngImageIsReducedToTheIconSize) {
  const QImage icon = DecodeIcon(MakeIco({PngIconImage(48, kBlue)}), kIconSize, 24);
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.size(), kIconSize);
  EXPECT_EQ(CountPixels(icon, icon.rect(), kBlue, 2), 32 * 32);
}

TEST(IconDecoderTest, ChoosesTheClosestSize) {
  const std::string ico =
      MakeIco({BmpIconImage(16, kRed), BmpIconImage(32, kGreen), PngIconImage(48, kBlue)});
  EXPECT_EQ(DecodeIcon(ico, QSize(32, 32), 24).pixel(5, 5), kGreen);
  EXPECT_EQ(DecodeIcon(ico, QSize(16, 16), 24).pixel(5, 5), kRed);
  EXPECT_EQ(DecodeIcon(ico, QSize(48, 48), 24).pixel(5, 5), kBlue);
  EXPECT_EQ(DecodeIcon(ico, QSize(40, 40), 24).pixel(5, 5), kGreen);  // 16 off against 16: first
}

TEST(IconDecoderTest, ChoosesTheColourDepthClosestToTheScreens) {
  const std::string ico = MakeIco({Bmp4IconImage(32, kRed), BmpIconImage(32, kGreen)});
  EXPECT_EQ(DecodeIcon(ico, kIconSize, 24).pixel(5, 5), kGreen);
  const QImage fourBit = DecodeIcon(ico, kIconSize, 4);
  ASSERT_FALSE(fourBit.isNull());
  EXPECT_EQ(fourBit.pixel(5, 5), kRed);
  // The mask makes the right half transparent.
  EXPECT_EQ(fourBit.pixel(25, 5), kTransparent);
  EXPECT_EQ(CountPixels(fourBit, QRect(0, 0, 16, 32), kRed), 16 * 32);
  EXPECT_EQ(CountPixels(fourBit, QRect(16, 0, 16, 32), kTransparent), 16 * 32);
}

TEST(IconDecoderTest, UnreadableImageIsPassedOver) {
  IconImage broken = BmpIconImage(32, kRed);
  broken.Data = std::string(40, '\x7F');
  const QImage icon = DecodeIcon(MakeIco({broken, BmpIconImage(16, kGreen)}), kIconSize, 24);
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.pixel(20, 20), kGreen);
}

TEST(IconDecoderTest, DamagedFilesGiveNoImage) {
  const std::string good = MakeIco({BmpIconImage(16, kRed)});
  std::vector<std::string> cases = {
      "",         good.substr(0, 5), good.substr(0, 6), good.substr(0, 22), good.substr(0, 40),
      MakeIco({})};
  std::string farOffset = good;
  Set32(farOffset, 6 + 12, 0x7FFFFFF0);
  cases.push_back(farOffset);
  std::string manyImages = good;
  manyImages[4] = char(0xFF);
  manyImages[5] = char(0xFF);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(DecodeIcon(cases[i], kIconSize, 24).isNull());
  }
  // A count larger than the directory: the entries that are there count.
  EXPECT_FALSE(DecodeIcon(manyImages, kIconSize, 24).isNull());
  EXPECT_TRUE(DecodeIcon(good, QSize(), 24).isNull());
}
