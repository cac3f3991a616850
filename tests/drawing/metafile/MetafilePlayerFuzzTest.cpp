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
