// Damaged and hostile metafiles: the player must neither crash, read outside
// the bytes, nor hang. Metafiles that use most records are cut at every
// length and changed at random (fixed seeds, so failures repeat).
#include <gtest/gtest.h>

#include <QPainter>

#include <chrono>
#include <random>

#include "drawing/PictureDrawing.h"
#include "drawing/metafile/MetafilePlayer.h"
#include "support/DrawingFixtures.h"

using namespace drawfx;

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

ScreenMetrics Screen() {
  return ScreenMetrics{96, 24, 32, 32};
}

// Plays with a raster painter (as the program does) and through
// RenderPicture; only the absence of failures is checked.
void PlayBoth(const std::string& bytes, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  PlayMetafile(painter, bytes, QRectF(0, 0, size, size));
  painter.end();
  RenderPicture(PictureKind::Metafile, bytes, QSize(size, size), Screen());
}

using Clock = std::chrono::steady_clock;

}  // namespace

TEST(MetafilePlayerFuzzTest, RichFilesDrawSomething) {
  for (const std::string& bytes : {RichEmf(), RichWmf()}) {
    const QImage image = RenderPicture(PictureKind::Metafile, bytes, QSize(120, 90), Screen());
    ASSERT_FALSE(image.isNull());
    EXPECT_LT(CountPixels(image, image.rect(), qRgba(0, 0, 0, 0)), 120 * 90 * 9 / 10);
  }
}

TEST(MetafilePlayerFuzzTest, EveryTruncationOfAnEnhancedMetafile) {
  const std::string bytes = RichEmf();
  const auto start = Clock::now();
  for (std::size_t length = 0; length <= bytes.size(); ++length)
    PlayBoth(bytes.substr(0, length), 24);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(120));
  // Too short for the header: no picture at all.
  EXPECT_TRUE(
      RenderPicture(PictureKind::Metafile, bytes.substr(0, 87), QSize(20, 20), Screen()).isNull());
}

TEST(MetafilePlayerFuzzTest, EveryTruncationOfAWindowsMetafile) {
  const std::string bytes = RichWmf();
  for (std::size_t length = 0; length <= bytes.size(); ++length)
    PlayBoth(bytes.substr(0, length), 24);
  EXPECT_TRUE(
      RenderPicture(PictureKind::Metafile, bytes.substr(0, 22 + 17), QSize(20, 20), Screen())
          .isNull());
}

// Random bytes, 32-bit fields set to edge values and damaged record sizes.
void Mutate(std::string& bytes, std::mt19937& random) {
  static const std::uint32_t Edges[] = {0,          1,          2,          3,          4,
                                        0x7FFF,     0x8000,     0xFFFF,     0x10000,    0x7FFFFFFF,
                                        0x80000000, 0xFFFFFFFF, 0xFFFFFFF8, 0x80000005, 100000};
  const int changes = 1 + int(random() % 6);
  for (int i = 0; i < changes; ++i) {
    const std::size_t at = random() % bytes.size();
    switch (random() % 3) {
      case 0:
        bytes[at] = char(random() & 0xFF);
        break;
      case 1:
        if (at + 4 <= bytes.size()) Set32(bytes, at & ~std::size_t(3), Edges[random() % 15]);
        break;
      default:
        if (at + 2 <= bytes.size()) {
          const std::uint32_t v = Edges[random() % 15];
          bytes[at] = char(v & 0xFF);
          bytes[at + 1] = char((v >> 8) & 0xFF);
        }
        break;
    }
  }
}

TEST(MetafilePlayerFuzzTest, RandomDamageToAnEnhancedMetafile) {
  const std::string good = RichEmf();
  std::mt19937 random(1234567);
  const auto start = Clock::now();
  for (int round = 0; round < 1500; ++round) {
    std::string bytes = good;
    // Keep the first 44 bytes' form marks most of the time, so that the
    // records are reached.
    Mutate(bytes, random);
    if (round % 4 != 0) {
      std::copy(good.begin(), good.begin() + 4, bytes.begin());
      std::copy(good.begin() + 40, good.begin() + 44, bytes.begin() + 40);
    }
    PlayBoth(bytes, 32);
  }
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(300));
}

TEST(MetafilePlayerFuzzTest, RandomDamageToAWindowsMetafile) {
  const std::string good = RichWmf();
  std::mt19937 random(7654321);
  for (int round = 0; round < 1500; ++round) {
    std::string bytes = good;
    Mutate(bytes, random);
    if (round % 4 != 0) std::copy(good.begin(), good.begin() + 4, bytes.begin());
    PlayBoth(bytes, 32);
  }
}

TEST(MetafilePlayerFuzzTest, RandomRecordsAfterAValidHeader) {
  std::mt19937 random(42);
  for (int round = 0; round < 400; ++round) {
    EmfBuilder emf = EmfBuilder::ForPixels(50, 50);
    WmfBuilder wmf(0, 0, 50, 50, 96);
    for (int i = 0; i < 40; ++i) {
      std::string payload(random() % 72, '\0');
      for (char& c : payload) c = char(random() % 4 == 0 ? random() & 0xFF : random() % 3);
      emf.Raw(1 + random() % 122, payload);
      wmf.Raw(std::uint16_t(random() % 2 == 0 ? random() & 0xFFFF : (random() % 16) << 8 | 0x1E),
              payload);
    }
    PlayBoth(emf.Finish(), 24);
    PlayBoth(wmf.Finish(), 24);
  }
}

TEST(MetafilePlayerFuzzTest, ZeroAndHugeRecordSizesEndThePlaying) {
  for (std::uint32_t size : {0u, 1u, 4u, 7u, 0xFFFFFFFFu, 0x80000000u}) {
    std::string emf = EmfBuilder::ForPixels(10, 10).Record(43, {0, 0, 5, 5}).Finish();
    Set32(emf, 108 + 4, size);
    PlayBoth(emf, 16);
    std::string wmf = WmfBuilder(0, 0, 10, 10, 96).Rectangle(0, 0, 5, 5).Finish();
    Set32(wmf, 22 + 18, size);
    PlayBoth(wmf, 16);
  }
}

TEST(MetafilePlayerFuzzTest, HugeCountsAndCoordinates) {
  EmfBuilder emf = EmfBuilder::ForPixels(100, 100);
  std::string polygon(16, '\0');
  Put32(polygon, 0xFFFFFFFF);  // far more points than the record holds
  PutI32(polygon, 1);
  PutI32(polygon, 1);
  emf.Raw(3, polygon).Raw(86, polygon);
  std::string polyPoly(16, '\0');
  Put32(polyPoly, 0x40000000);
  Put32(polyPoly, 0x40000000);
  emf.Raw(8, polyPoly).Raw(91, polyPoly);
  emf.Record(43, {-2147483647, -2147483647, 2147483647, 2147483647});
  emf.Record(42, {-2147483647, 0, 2147483647, 10});
  emf.Record(17, {8}).Record(9, {1, 1}).Record(11, {2147483647, 2147483647});
  emf.Record(43, {0, 0, 100000, 100000}).Record(9, {0, 0}).Record(11, {0, 5});
  std::string xform;
  for (float v : {1e30f, 0.0f, 0.0f, 1e30f, 1e30f, -1e30f}) PutF32(xform, v);
  emf.Raw(35, xform).Rectangle(0, 0, 10, 10);
  std::string text(16, '\0');
  Put32(text, 1);
  PutF32(text, 1);
  PutF32(text, 1);
  PutI32(text, 0);
  PutI32(text, 0);
  Put32(text, 0x7FFFFFFF);
  Put32(text, 76);
  Put32(text, 0);
  text.append(16, '\0');
  Put32(text, 0xFFFFFFF0);
  emf.Raw(84, text);
  for (int i = 0; i < 5000; ++i) emf.Record(33, {});  // SaveDC far beyond any use
  emf.Record(34, {-100000}).Record(34, {100000}).Record(34, {-2147483647 - 1});
  const auto start = Clock::now();
  PlayBoth(emf.Finish(), 64);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
}
