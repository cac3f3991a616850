// The metafile player: records of both forms drawn where they belong.
#include <gtest/gtest.h>

#include <QPainter>

#include "drawing/metafile/MetafilePlayer.h"
#include "drawing/metafile/MetafilePlayerDevice.h"
#include "support/DrawingFixtures.h"

using namespace drawfx;

namespace {

const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb Clear = qRgba(0, 0, 0, 0);

constexpr std::uint32_t Stock = 0x80000000u;
constexpr std::uint32_t NullPen = Stock | 8;
constexpr std::uint32_t NullBrush = Stock | 5;

// Plays into a transparent image of w x h, the target being the whole image.
QImage Play(const std::string& bytes, int w, int h, bool* played = nullptr) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  const bool ok = PlayMetafile(painter, bytes, QRectF(0, 0, w, h));
  if (played != nullptr) *played = ok;
  return image;
}

// A 100 x 100 pixel EMF drawn 1:1 into a 100 x 100 image.
EmfBuilder Emf100() {
  return EmfBuilder::ForPixels(100, 100);
}

EmfBuilder& RedBrushNoPen(EmfBuilder& emf) {
  return emf.SolidBrush(1, ColorRef(255, 0, 0)).Select(1).Select(NullPen);
}

// Pixels of `color` in the image and inside `area`.
void ExpectOnlyInside(const QImage& image, const QRect& area, QRgb color) {
  EXPECT_EQ(CountPixels(image, area, color), area.width() * area.height());
  EXPECT_EQ(CountPixels(image, image.rect(), color), area.width() * area.height());
}

Bmp TwoByTwo(bool topDown) {
  // Top row red, green; bottom row blue, white.
  Bmp bmp;
  bmp.Width = 2;
  bmp.Height = topDown ? -2 : 2;
  bmp.Pixels = Rows24({{Red, Green}, {Blue, White}}, topDown);
  return bmp;
}

}  // namespace

TEST(MetafilePlayerTest, DetectsTheForm) {
  EXPECT_EQ(metafile::DetectForm(Emf100().Finish()), metafile::MetafileForm::Enhanced);
  EXPECT_EQ(metafile::DetectForm(WmfBuilder(0, 0, 10, 10, 96).Finish()),
            metafile::MetafileForm::Placeable);
  EXPECT_EQ(metafile::DetectForm(WmfBuilder(0, 0, 10, 10, 96, false).Finish()),
            metafile::MetafileForm::Windows);
  EXPECT_EQ(metafile::DetectForm(""), metafile::MetafileForm::None);
  EXPECT_EQ(metafile::DetectForm(std::string(100, 'x')), metafile::MetafileForm::None);
}

TEST(MetafilePlayerTest, NothingIsPlayedFromNonMetafiles) {
  bool played = true;
  const QImage image = Play(std::string(200, '\1'), 20, 20, &played);
  EXPECT_FALSE(played);
  EXPECT_EQ(CountPixels(image, image.rect(), Clear), 400);
}

// --- Enhanced metafiles ---

TEST(MetafilePlayerTest, EmfFilledRectangleWhereItBelongs) {
  EmfBuilder emf = Emf100();
  RedBrushNoPen(emf).Rectangle(20, 30, 60, 70);
  bool played = false;
  const QImage image = Play(emf.Finish(), 100, 100, &played);
  EXPECT_TRUE(played);
  ExpectOnlyInside(image, QRect(20, 30, 40, 40), Red);
}

TEST(MetafilePlayerTest, EmfFrameIsScaledOntoTheTarget) {
  EmfBuilder emf = Emf100();
  RedBrushNoPen(emf).Rectangle(20, 30, 60, 70);
  const QImage image = Play(emf.Finish(), 200, 50);
  ExpectOnlyInside(image, QRect(40, 15, 80, 20), Red);
}

TEST(MetafilePlayerTest, EmfFrameWithAnOffsetMapsItsCornerToTheTargets) {
  // Frame from (10, 10) to (60, 60) pixels of the reference device.
  EmfBuilder emf(265, 265, 1587, 1587, 960, 960, 254, 254);
  RedBrushNoPen(emf).Rectangle(10, 10, 35, 35);
  const QImage image = Play(emf.Finish(), 100, 100);
  EXPECT_EQ(image.pixel(5, 5), Red);
  EXPECT_EQ(image.pixel(45, 45), Red);
  EXPECT_EQ(image.pixel(55, 55), Clear);
}

TEST(MetafilePlayerTest, EmfPenOutline) {
  EmfBuilder emf = Emf100();
  emf.Pen(1, 0, 0, ColorRef(0, 0, 255)).Select(1).Select(NullBrush).Rectangle(10, 10, 50, 50);
  const QImage image = Play(emf.Finish(), 100, 100);
  EXPECT_EQ(image.pixel(10, 30), Blue);
  EXPECT_EQ(image.pixel(30, 10), Blue);
  EXPECT_EQ(image.pixel(50, 30), Blue);
  EXPECT_EQ(image.pixel(30, 30), Clear);
  EXPECT_EQ(image.pixel(70, 30), Clear);
}

TEST(MetafilePlayerTest, EmfDefaultBrushIsWhiteAndStockBrushesWork) {
  EmfBuilder emf = Emf100();
  emf.Select(NullPen).Rectangle(0, 0, 50, 50).Select(Stock | 4).Rectangle(50, 50, 100, 100);
  const QImage image = Play(emf.Finish(), 100, 100);
  EXPECT_EQ(image.pixel(25, 25), White);
  EXPECT_EQ(image.pixel(75, 75), Black);
  EXPECT_EQ(image.pixel(75, 25), Clear);
}

TEST(MetafilePlayerTest, EmfPolygonsAndHoles) {
  EmfBuilder emf = Emf100();
  RedBrushNoPen(emf).Polygon16({{0, 0}, {50, 0}, {0, 50}});
  // Poly-polygon: a square with a square hole (alternate filling).
  std::string p(16, '\0');
  Put32(p, 2);
  Put32(p, 8);
  Put32(p, 4);
  Put32(p, 4);
  for (auto [x, y] : std::vector<std::pair<int, int>>{
           {50, 50}, {100, 50}, {100, 100}, {50, 100}, {65, 65}, {85, 65}, {85, 85}, {65, 85}}) {
    Put16(p, std::uint16_t(x));
    Put16(p, std::uint16_t(y));
  }
  emf.Raw(91, p);
  const QImage image = Play(emf.Finish(), 100, 100);
  EXPECT_EQ(image.pixel(10, 10), Red);
  EXPECT_EQ(image.pixel(40, 40), Clear);
  EXPECT_EQ(image.pixel(55, 55), Red);
  EXPECT_EQ(image.pixel(75, 75), Clear);
  EXPECT_EQ(image.pixel(95, 95), Red);
}

TEST(MetafilePlayerTest, EmfEllipseAndPie) {
  EmfBuilder emf = Emf100();
  RedBrushNoPen(emf).Record(42, {0, 0, 50, 50});
  // A pie of the lower-right ellipse from its right point counter-clockwise
  // to its top point: the upper-right quarter.
  emf.Record(47, {50, 50, 100, 100, 100, 75, 75, 50});
  const QImage image = Play(emf.Finish(), 100, 100);
  EXPECT_EQ(image.pixel(25, 25), Red);
  EXPECT_EQ(image.pixel(2, 2), Clear);
  EXPECT_EQ(image.pixel(85, 65), Red);
  EXPECT_EQ(image.pixel(65, 85), Clear);
  EXPECT_EQ(image.pixel(65, 65), Clear);
  EXPECT_EQ(image.pixel(85, 85), Clear);
}

TEST(MetafilePlayerTest, EmfClockwiseArcDirection) {
  EmfBuilder emf = Emf100();
  RedBrushNoPen(emf).Record(57, {2});  // AD_CLOCKWISE
  emf.Record(47, {0, 0, 100, 100, 100, 50, 50, 0});
  const QImage image = Play(emf.Finish(), 100, 100);
  EXPECT_EQ(image.pixel(80, 25), Clear);
  EXPECT_EQ(image.pixel(25, 25), Red);
  EXPECT_EQ(image.pixel(25, 75), Red);
  EXPECT_EQ(image.pixel(75, 75), Red);
}

TEST(MetafilePlayerTest, EmfAnisotropicWindowAndViewport) {
  EmfBuilder emf = Emf100();
  RedBrushNoPen(emf)
      .Record(17, {8})          // MM_ANISOTROPIC
      .Record(9, {1000, 1000})  // window extent
      .Record(11, {100, 100})   // viewport extent
      .Record(10, {100, 100})   // window origin
      .Rectangle(300, 400, 700, 800);
  const QImage image = Play(emf.Finish(), 100, 100);
  ExpectOnlyInside(image, QRect(20, 30, 40, 40), Red);
}

TEST(MetafilePlayerTest, EmfIsotropicKeepsUnitsSquare) {
  EmfBuilder emf = Emf100();
  RedBrushNoPen(emf)
      .Record(17, {7})        // MM_ISOTROPIC
      .Record(9, {100, 100})  // window extent
      .Record(11, {100, 50})  // viewport extent: the smaller scale wins
      .Rectangle(0, 0, 100, 100);
  const QImage image = Play(emf.Finish(), 100, 100);
  ExpectOnlyInside(image, QRect(0, 0, 50, 50), Red);
}

TEST(MetafilePlayerTest, EmfMetricModeHasItsYAxisUp) {
  EmfBuilder emf = Emf100();
  RedBrushNoPen(emf)
      .Record(17, {2})             // MM_LOMETRIC: 0.1 mm, y up
      .Record(12, {0, 100})        // viewport origin at the bottom-left
      .Rectangle(0, 0, 132, 132);  // 13.2 mm: about 50 pixels
  const QImage image = Play(emf.Finish(), 100, 100);
  EXPECT_EQ(image.pixel(25, 75), Red);
  EXPECT_EQ(image.pixel(25, 25), Clear);
  EXPECT_EQ(image.pixel(75, 75), Clear);
}

TEST(MetafilePlayerTest, EmfSavedStateComesBack) {
  EmfBuilder emf = Emf100();
  RedBrushNoPen(emf)
      .Record(33, {})  // SaveDC
      .SolidBrush(2, ColorRef(0, 255, 0))
      .Select(2)
      .Record(10, {-50, 0})  // window origin moved
      .Rectangle(0, 0, 10, 10)
      .Record(34, {-1})  // RestoreDC
      .Rectangle(0, 0, 10, 10);
  const QImage image = Play(emf.Finish(), 100, 100);
  EXPECT_EQ(image.pixel(55, 5), Green);
  EXPECT_EQ(image.pixel(5, 5), Red);
}

TEST(MetafilePlayerTest, EmfWorldTransform) {
  EmfBuilder emf = Emf100();
  RedBrushNoPen(emf);
  std::string xform;
  for (float v : {2.0f, 0.0f, 0.0f, 1.0f, 50.0f, 10.0f}) PutF32(xform, v);
  emf.Raw(35, xform).Rectangle(0, 0, 20, 20);
  const QImage image = Play(emf.Finish(), 100, 100);
  ExpectOnlyInside(image, QRect(50, 10, 40, 20), Red);
}

TEST(MetafilePlayerTest, EmfClipping) {
  EmfBuilder emf = Emf100();
  RedBrushNoPen(emf)
      .Record(30, {0, 0, 50, 100})  // IntersectClipRect
      .Record(29, {0, 0, 50, 20})   // ExcludeClipRect
      .Rectangle(0, 0, 100, 100);
  const QImage image = Play(emf.Finish(), 100, 100);
  ExpectOnlyInside(image, QRect(0, 20, 50, 80), Red);
}

TEST(MetafilePlayerTest, EmfClipRegionInDeviceUnits) {
  EmfBuilder emf = Emf100();
  RedBrushNoPen(emf);
  std::string p;
  Put32(p, 32 + 16);  // region data size
  Put32(p, 5);        // RGN_COPY
  Put32(p, 32);
  Put32(p, 1);
  Put32(p, 1);
  Put32(p, 16);
  for (int v : {60, 60, 80, 90}) PutI32(p, v);  // bounds
  for (int v : {60, 60, 80, 90}) PutI32(p, v);
  emf.Raw(75, p).Record(17, {8}).Record(9, {10, 10}).Record(11, {1, 1}).Rectangle(0, 0, 1000, 1000);
  const QImage image = Play(emf.Finish(), 100, 100);
  ExpectOnlyInside(image, QRect(60, 60, 20, 30), Red);
}

TEST(MetafilePlayerTest, EmfPathFilled) {
  EmfBuilder emf = Emf100();
  RedBrushNoPen(emf)
      .Record(59, {})  // BeginPath
      .Rectangle(10, 10, 30, 30)
      .Record(27, {50, 50})  // MoveToEx
      .Record(54, {90, 50})  // LineTo
      .Record(54, {90, 90})
      .Record(61, {})   // CloseFigure
      .Record(60, {})   // EndPath
      .Record(62, {});  // FillPath
  const QImage image = Play(emf.Finish(), 100, 100);
  EXPECT_EQ(image.pixel(20, 20), Red);
  EXPECT_EQ(image.pixel(80, 60), Red);
  EXPECT_EQ(image.pixel(60, 80), Clear);
  EXPECT_EQ(image.pixel(40, 40), Clear);
}

TEST(MetafilePlayerTest, EmfLinesFromTheCurrentPosition) {
  EmfBuilder emf = Emf100();
  emf.Pen(1, 0, 0, ColorRef(0, 0, 255))
      .Select(1)
      .Record(27, {10, 20})
      .Record(54, {90, 20})
      .Record(54, {90, 80});
  const QImage image = Play(emf.Finish(), 100, 100);
  EXPECT_EQ(image.pixel(50, 20), Blue);
  EXPECT_EQ(image.pixel(90, 50), Blue);
  EXPECT_EQ(image.pixel(50, 50), Clear);
}

TEST(MetafilePlayerTest, EmfStretchedBitmaps) {
  for (bool topDown : {false, true}) {
    SCOPED_TRACE(topDown);
    EmfBuilder emf = Emf100();
    emf.StretchDib(10, 10, 40, 40, TwoByTwo(topDown));
    const QImage image = Play(emf.Finish(), 100, 100);
    EXPECT_EQ(image.pixel(20, 20), Red);
    EXPECT_EQ(image.pixel(40, 20), Green);
    EXPECT_EQ(image.pixel(20, 40), Blue);
    EXPECT_EQ(image.pixel(40, 40), White);
    EXPECT_EQ(image.pixel(60, 60), Clear);
  }
}

TEST(MetafilePlayerTest, EmfBitBltWithoutSourceFillsWithTheBrush) {
  EmfBuilder emf = Emf100();
  emf.SolidBrush(1, ColorRef(0, 255, 0)).Select(1);
  std::string p(16, '\0');
  for (int v : {10, 10, 30, 20}) PutI32(p, v);
  Put32(p, 0x00F00021);  // PATCOPY
  p.resize(100 - 8, '\0');
  emf.Raw(76, p);
  const QImage image = Play(emf.Finish(), 100, 100);
  ExpectOnlyInside(image, QRect(10, 10, 30, 20), Green);
}

TEST(MetafilePlayerTest, EmfTextIsDrawnNearItsReferencePoint) {
  EmfBuilder emf = Emf100();
  std::string font;
  PutI32(font, 2);  // handle
  PutI32(font, -24);
  font.append(12, '\0');
  PutI32(font, 700);
  font.append(8, '\0');
  for (char16_t c : std::u16string(u"DejaVu Sans")) Put16(font, c);
  font.resize(4 + 92, '\0');
  emf.Raw(82, font).Select(2).Record(18, {1}).TextW(10, 10, u"HHH");
  const QImage image = Play(emf.Finish(), 100, 100);
  const int inked = 100 * 100 - CountPixels(image, image.rect(), Clear);
  EXPECT_GT(inked, 40);
  // Black text below and right of the reference point (top-left alignment).
  EXPECT_GT(CountPixels(image, QRect(10, 10, 60, 30), Black, 40), 20);
  EXPECT_EQ(CountPixels(image, QRect(0, 45, 100, 55), Clear), 100 * 55);
  EXPECT_EQ(CountPixels(image, QRect(0, 0, 100, 8), Clear), 100 * 8);
}

TEST(MetafilePlayerTest, EmfOpaqueTextBackground) {
  EmfBuilder emf = Emf100();
  emf.Record(25, {std::int32_t(ColorRef(0, 255, 0))}).TextW(10, 10, u"ii");
  const QImage image = Play(emf.Finish(), 100, 100);
  EXPECT_GT(CountPixels(image, image.rect(), Green), 20);
}

TEST(MetafilePlayerTest, EmfHatchedBrush) {
  EmfBuilder emf = Emf100();
  emf.Record(39, {1, 2, std::int32_t(ColorRef(0, 0, 255)), 4})  // cross hatch
      .Select(1)
      .Select(NullPen)
      .Rectangle(0, 0, 50, 50);
  const QImage image = Play(emf.Finish(), 100, 100);
  EXPECT_GT(CountPixels(image, QRect(0, 0, 50, 50), Blue), 100);
  EXPECT_GT(CountPixels(image, QRect(0, 0, 50, 50), White), 100);  // opaque background
  EXPECT_EQ(CountPixels(image, QRect(55, 55, 45, 45), Clear), 45 * 45);
}

TEST(MetafilePlayerTest, EmfObjectsDeletedAndRecreated) {
  EmfBuilder emf = Emf100();
  emf.SolidBrush(1, ColorRef(255, 0, 0))
      .Select(1)
      .Select(NullPen)
      .Record(40, {1})  // deleted while selected: still in use
      .Rectangle(0, 0, 10, 10)
      .SolidBrush(1, ColorRef(0, 255, 0))
      .Select(1)
      .Rectangle(10, 0, 20, 10)
      .Select(7777);  // no such object: nothing changes
  emf.Rectangle(20, 0, 30, 10);
  const QImage image = Play(emf.Finish(), 100, 100);
  EXPECT_EQ(image.pixel(5, 5), Red);
  EXPECT_EQ(image.pixel(15, 5), Green);
  EXPECT_EQ(image.pixel(25, 5), Green);
}

TEST(MetafilePlayerTest, EmfEmptyFrameFallsBackToTheBounds) {
  EmfBuilder emf(0, 0, 0, 0, 960, 960, 254, 254);
  std::string bytes = RedBrushNoPen(emf).Rectangle(0, 0, 50, 50).Finish();
  for (int i : {0, 1, 2, 3}) Set32(bytes, 8 + 4 * i, i < 2 ? 0 : 100);
  const QImage image = Play(bytes, 100, 100);
  ExpectOnlyInside(image, QRect(0, 0, 50, 50), Red);

  for (int i : {0, 1, 2, 3}) Set32(bytes, 8 + 4 * i, 0);
  bool played = true;
  Play(bytes, 100, 100, &played);
  EXPECT_FALSE(played);
}

TEST(MetafilePlayerTest, PainterStateIsKept) {
  EmfBuilder emf = Emf100();
  RedBrushNoPen(emf).Record(30, {0, 0, 10, 10}).Rectangle(0, 0, 50, 50);
  QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.translate(20, 20);
  painter.setClipRect(QRect(0, 0, 40, 40));
  PlayMetafile(painter, emf.Finish(), QRectF(0, 0, 100, 100));
  EXPECT_EQ(painter.transform(), QTransform::fromTranslate(20, 20));
  EXPECT_TRUE(painter.hasClipping());
  painter.fillRect(QRect(50, 50, 10, 10), Qt::blue);  // outside the caller's clip
  painter.end();
  ExpectOnlyInside(image, QRect(20, 20, 10, 10), Red);
  EXPECT_EQ(CountPixels(image, image.rect(), Blue), 0);
}

// --- Windows metafiles ---

TEST(MetafilePlayerTest, WmfRectangleMappedByWindowOriginAndExtent) {
  // One inch by half an inch at 1440 units an inch: 96 x 48 pixels.
  WmfBuilder wmf(0, 0, 1440, 720, 1440);
  wmf.WindowOrg(0, 0)
      .WindowExt(1440, 720)
      .SolidBrush(ColorRef(0, 255, 0))
      .Select(0)
      .Pen(5, 0, 0)
      .Select(1)
      .Rectangle(360, 180, 1080, 540);
  bool played = false;
  const QImage image = Play(wmf.Finish(), 96, 48, &played);
  EXPECT_TRUE(played);
  ExpectOnlyInside(image, QRect(24, 12, 48, 24), Green);
}

TEST(MetafilePlayerTest, WmfWindowIsMappedOntoTheBoundingBox) {
  // The records draw in a window of 200 x 100 units whatever the box says.
  WmfBuilder wmf(0, 0, 1000, 500, 1000);
  wmf.WindowOrg(100, 100)
      .WindowExt(200, 100)
      .SolidBrush(ColorRef(0, 255, 0))
      .Select(0)
      .Pen(5, 0, 0)
      .Select(1)
      .Rectangle(100, 100, 200, 150);
  const QImage image = Play(wmf.Finish(), 200, 100);
  ExpectOnlyInside(image, QRect(0, 0, 100, 50), Green);
}

TEST(MetafilePlayerTest, WmfWindowModesMapTheWindowOntoTheBox) {
  for (int mode : {8, 7}) {  // MM_ANISOTROPIC, MM_ISOTROPIC
    SCOPED_TRACE(mode);
    WmfBuilder wmf(0, 0, 2000, 1000, 1000);
    wmf.Record(0x0103, {mode}).WindowOrg(0, 0).WindowExt(200, 100);
    wmf.SolidBrush(ColorRef(0, 255, 0)).Select(0).Pen(5, 0, 0).Select(1).Rectangle(0, 0, 100, 50);
    const QImage image = Play(wmf.Finish(), 200, 100);
    ExpectOnlyInside(image, QRect(0, 0, 100, 50), Green);
  }
}

TEST(MetafilePlayerTest, WmfMetricModeIsInMillimetres) {
  // Two inches by one at 1000 units an inch; MM_LOMETRIC: 0.1 mm, y up.
  WmfBuilder wmf(0, 0, 2000, 1000, 1000);
  wmf.Record(0x0103, {2}).Record(0x020D, {1000, 0});  // viewport origin at the bottom left
  wmf.SolidBrush(ColorRef(0, 255, 0)).Select(0).Pen(5, 0, 0).Select(1).Rectangle(0, 0, 254, 127);
  const QImage image = Play(wmf.Finish(), 200, 100);  // 100 pixels an inch
  ExpectOnlyInside(image, QRect(0, 50, 100, 50), Green);
}

TEST(MetafilePlayerTest, WmfWithoutWindowRecordsUsesTheBoundingBox) {
  WmfBuilder wmf(100, 50, 300, 150, 96);
  wmf.SolidBrush(ColorRef(0, 255, 0)).Select(0).Pen(5, 0, 0).Select(1).Rectangle(100, 50, 200, 100);
  const QImage image = Play(wmf.Finish(), 100, 50);
  ExpectOnlyInside(image, QRect(0, 0, 50, 25), Green);
}

TEST(MetafilePlayerTest, WmfObjectsTakeTheLowestFreeSlot) {
  WmfBuilder wmf(0, 0, 100, 100, 96);
  wmf.Pen(5, 0, 0)                      // slot 0
      .SolidBrush(ColorRef(255, 0, 0))  // slot 1
      .SolidBrush(ColorRef(0, 255, 0))  // slot 2
      .Select(0)
      .Delete(1)
      .SolidBrush(ColorRef(0, 0, 255))  // slot 1 again
      .Select(1)
      .Rectangle(0, 0, 50, 50)
      .Select(2)
      .Rectangle(50, 50, 100, 100);
  const QImage image = Play(wmf.Finish(), 100, 100);
  EXPECT_EQ(image.pixel(25, 25), Blue);
  EXPECT_EQ(image.pixel(75, 75), Green);
}

TEST(MetafilePlayerTest, WmfShapes) {
  WmfBuilder wmf(0, 0, 100, 100, 96);
  wmf.Pen(5, 0, 0).Select(0).SolidBrush(ColorRef(255, 0, 0)).Select(1);
  wmf.Record(0x0418, {50, 50, 0, 0});                       // Ellipse
  wmf.Record(0x0324, {3, 60, 0, 100, 0, 100, 40});          // Polygon
  wmf.Record(0x061C, {10, 10, 100, 40, 60, 0});             // RoundRect
  wmf.Record(0x081A, {50, 75, 75, 100, 100, 100, 50, 50});  // Pie, upper-right quarter
  const QImage image = Play(wmf.Finish(), 100, 100);
  EXPECT_EQ(image.pixel(25, 25), Red);
  EXPECT_EQ(image.pixel(2, 2), Clear);
  EXPECT_EQ(image.pixel(95, 5), Red);
  EXPECT_EQ(image.pixel(62, 20), Clear);
  EXPECT_EQ(image.pixel(20, 70), Red);
  EXPECT_EQ(image.pixel(85, 65), Red);
  EXPECT_EQ(image.pixel(65, 85), Clear);
}

TEST(MetafilePlayerTest, WmfPolyPolygonWithHole) {
  WmfBuilder wmf(0, 0, 100, 100, 96);
  wmf.Pen(5, 0, 0).Select(0).SolidBrush(ColorRef(255, 0, 0)).Select(1);
  wmf.Record(0x0538, {2, 4, 4, 0, 0, 100, 0, 100, 100, 0, 100, 25, 25, 75, 25, 75, 75, 25, 75});
  const QImage image = Play(wmf.Finish(), 100, 100);
  EXPECT_EQ(image.pixel(10, 10), Red);
  EXPECT_EQ(image.pixel(50, 50), Clear);
}

TEST(MetafilePlayerTest, WmfSavedStateAndClipping) {
  WmfBuilder wmf(0, 0, 100, 100, 96);
  wmf.Pen(5, 0, 0).Select(0).SolidBrush(ColorRef(255, 0, 0)).Select(1);
  wmf.Record(0x001E, {});               // SaveDC
  wmf.Record(0x0416, {100, 50, 0, 0});  // IntersectClipRect(0, 0, 50, 100)
  wmf.Rectangle(0, 0, 100, 50);
  wmf.Record(0x0127, {0xFFFF});  // RestoreDC(-1)
  wmf.Rectangle(0, 50, 100, 100);
  const QImage image = Play(wmf.Finish(), 100, 100);
  EXPECT_EQ(CountPixels(image, QRect(0, 0, 50, 50), Red), 50 * 50);  // the top half, clipped
  EXPECT_EQ(CountPixels(image, QRect(50, 0, 50, 50), Clear), 50 * 50);
  EXPECT_EQ(CountPixels(image, QRect(0, 50, 100, 50), Red), 100 * 50);
}

TEST(MetafilePlayerTest, WmfStretchedBitmap) {
  WmfBuilder wmf(0, 0, 100, 100, 96);
  wmf.StretchDib(10, 10, 40, 40, TwoByTwo(false));
  const QImage image = Play(wmf.Finish(), 100, 100);
  EXPECT_EQ(image.pixel(20, 20), Red);
  EXPECT_EQ(image.pixel(40, 20), Green);
  EXPECT_EQ(image.pixel(20, 40), Blue);
  EXPECT_EQ(image.pixel(40, 40), White);
  EXPECT_EQ(image.pixel(60, 60), Clear);
}

TEST(MetafilePlayerTest, WmfText) {
  WmfBuilder wmf(0, 0, 100, 100, 96);
  wmf.Font(-24, "Arial")
      .Select(0)
      .Record(0x0102, {1})
      .Record(0x0209, {0, 0xFF})
      .TextOut(10, 10, "HHH");
  const QImage image = Play(wmf.Finish(), 100, 100);
  EXPECT_GT(CountPixels(image, QRect(10, 10, 60, 30), Blue, 40), 20);
  EXPECT_EQ(CountPixels(image, QRect(0, 50, 100, 50), Clear), 100 * 50);
}

TEST(MetafilePlayerTest, WmfWithoutPlaceableHeaderUsesItsWindow) {
  WmfBuilder wmf(0, 0, 0, 0, 0, false);
  wmf.WindowOrg(0, 0)
      .WindowExt(1000, 1000)
      .Pen(5, 0, 0)
      .Select(0)
      .SolidBrush(ColorRef(0, 255, 0))
      .Select(1)
      .Rectangle(500, 500, 1000, 1000);
  const QImage image = Play(wmf.Finish(), 100, 100);
  ExpectOnlyInside(image, QRect(50, 50, 50, 50), Green);

  bool played = true;
  Play(WmfBuilder(0, 0, 0, 0, 0, false).Rectangle(0, 0, 5, 5).Finish(), 10, 10, &played);
  EXPECT_FALSE(played);
}
