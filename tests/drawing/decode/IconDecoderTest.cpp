// Icon files: the image chosen for the screen's icon size, scaled to it.
#include <gtest/gtest.h>

#include "drawing/decode/IconDecoder.h"
#include "support/DrawingFixtures.h"

using namespace drawfx;

namespace {

const QSize IconSize(32, 32);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb Transparent = qRgba(0, 0, 0, 0);

}  // namespace

TEST(IconDecoderTest, SixteenPixelBitmapIconIsEnlargedToTheIconSize) {
  const QImage icon = DecodeIcon(MakeIco({BmpIconImage(16, Red)}), IconSize, 24);
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.size(), IconSize);
  EXPECT_EQ(icon.format(), QImage::Format_ARGB32_Premultiplied);
  EXPECT_EQ(CountPixels(icon, icon.rect(), Red), 32 * 32);
}

TEST(IconDecoderTest, PngImageIsReducedToTheIconSize) {
  const QImage icon = DecodeIcon(MakeIco({PngIconImage(48, Blue)}), IconSize, 24);
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.size(), IconSize);
  EXPECT_EQ(CountPixels(icon, icon.rect(), Blue, 2), 32 * 32);
}

TEST(IconDecoderTest, ChoosesTheClosestSize) {
  const std::string ico =
      MakeIco({BmpIconImage(16, Red), BmpIconImage(32, Green), PngIconImage(48, Blue)});
  EXPECT_EQ(DecodeIcon(ico, QSize(32, 32), 24).pixel(5, 5), Green);
  EXPECT_EQ(DecodeIcon(ico, QSize(16, 16), 24).pixel(5, 5), Red);
  EXPECT_EQ(DecodeIcon(ico, QSize(48, 48), 24).pixel(5, 5), Blue);
  EXPECT_EQ(DecodeIcon(ico, QSize(40, 40), 24).pixel(5, 5), Green);  // 16 off against 16: first
}

TEST(IconDecoderTest, ChoosesTheColourDepthClosestToTheScreens) {
  const std::string ico = MakeIco({Bmp4IconImage(32, Red), BmpIconImage(32, Green)});
  EXPECT_EQ(DecodeIcon(ico, IconSize, 24).pixel(5, 5), Green);
  const QImage fourBit = DecodeIcon(ico, IconSize, 4);
  ASSERT_FALSE(fourBit.isNull());
  EXPECT_EQ(fourBit.pixel(5, 5), Red);
  // The mask makes the right half transparent.
  EXPECT_EQ(fourBit.pixel(25, 5), Transparent);
  EXPECT_EQ(CountPixels(fourBit, QRect(0, 0, 16, 32), Red), 16 * 32);
  EXPECT_EQ(CountPixels(fourBit, QRect(16, 0, 16, 32), Transparent), 16 * 32);
}

TEST(IconDecoderTest, UnreadableImageIsPassedOver) {
  IconImage broken = BmpIconImage(32, Red);
  broken.Data = std::string(40, '\x7F');
  const QImage icon = DecodeIcon(MakeIco({broken, BmpIconImage(16, Green)}), IconSize, 24);
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.pixel(20, 20), Green);
}

TEST(IconDecoderTest, DamagedFilesGiveNoImage) {
  const std::string good = MakeIco({BmpIconImage(16, Red)});
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
    EXPECT_TRUE(DecodeIcon(cases[i], IconSize, 24).isNull());
  }
  // A count larger than the directory: the entries that are there count.
  EXPECT_FALSE(DecodeIcon(manyImages, IconSize, 24).isNull());
  EXPECT_TRUE(DecodeIcon(good, QSize(), 24).isNull());
}
