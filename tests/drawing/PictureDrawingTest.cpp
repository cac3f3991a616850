// Drawing a picture of each kind into a rectangle.
#include <gtest/gtest.h>

#include <QPainter>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>
#include <tuple>

#include "drawing/PictureDrawing.h"
#include "drawing/decode/JpegDecoder.h"
#include "support/DrawingFixtures.h"
#include "support/PhoneFixtures.h"
#include "support/PictureFixtures.h"

using namespace drawfx;

namespace {

const QRgb Red = qRgb(255, 0, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Clear = qRgba(0, 0, 0, 0);
const QRgb Yellow = qRgb(255, 255, 0);

ScreenMetrics Screen(int bits = 24) {
  return ScreenMetrics{96, bits, 32, 32};
}

std::string RedBmp() {
  return Bmp24({{Red, Red, Red, Red}, {Red, Red, Red, Red}, {Red, Red, Red, Red}});
}

// An EMF of 100 x 100 reference pixels filled with blue across its frame.
std::string FullFrameEmf() {
  return EmfBuilder::ForPixels(100, 100)
      .SolidBrush(1, ColorRef(0, 0, 255))
      .Select(1)
      .Select(0x80000008u)
      .Rectangle(0, 0, 100, 100)
      .Finish();
}

// A photo-like picture with a solid square in each corner, a quarter of the
// width and height: red top left, green top right, blue bottom left, yellow
// bottom right.
QImage CornerPicture(int width, int height) {
  QImage image = NoisyGradient(width, height);
  QPainter painter(&image);
  const int w = width / 4, h = height / 4;
  for (const auto& [x, y, color] : {std::tuple{0, 0, Red},
                                    {width - w, 0, Green},
                                    {0, height - h, Blue},
                                    {width - w, height - h, Yellow}})
    painter.fillRect(x, y, w, h, QColor(color));
  return image;
}

// The corners of a CornerPicture as shown with each EXIF orientation (1 to 8).
const std::array<QRgb, 4> Shown[] = {{Red, Green, Blue, Yellow}, {Green, Red, Yellow, Blue},
                                     {Yellow, Blue, Green, Red}, {Blue, Yellow, Red, Green},
                                     {Red, Blue, Green, Yellow}, {Blue, Red, Yellow, Green},
                                     {Yellow, Green, Blue, Red}, {Green, Yellow, Red, Blue}};

// True when the image's corners show these colours: top left, top right,
// bottom left, bottom right.
bool ShowsCorners(const QImage& image, const std::array<QRgb, 4>& colors) {
  const int l = image.width() / 8, r = l * 7, t = image.height() / 8, b = t * 7;
  return Near(image.pixel(l, t), colors[0], 40) && Near(image.pixel(r, t), colors[1], 40) &&
         Near(image.pixel(l, b), colors[2], 40) && Near(image.pixel(r, b), colors[3], 40);
}

}  // namespace

TEST(PictureDrawingTest, RedBitmapIsRedAfterScaling) {
  for (QSize target : {QSize(40, 30), QSize(3, 2), QSize(4, 3), QSize(500, 7)}) {
    const QImage image = RenderPicture(PictureKind::Bitmap, RedBmp(), target, Screen());
    ASSERT_EQ(image.size(), target);
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(CountPixels(image, image.rect(), Red), target.width() * target.height());
  }
}

TEST(PictureDrawingTest, BitmapsRepeatWholePixels) {
  const QImage image =
      RenderPicture(PictureKind::Bitmap, Bmp24({{Red, Blue}}), QSize(4, 1), Screen());
  EXPECT_EQ(image.pixel(0, 0), Red);
  EXPECT_EQ(image.pixel(1, 0), Red);
  EXPECT_EQ(image.pixel(2, 0), Blue);
  EXPECT_EQ(image.pixel(3, 0), Blue);
}

TEST(PictureDrawingTest, EightBitScreensSmoothBitmapsOfMoreColours) {
  const std::string bmp = Bmp24({{Red, Blue}});
  const QImage image = RenderPicture(PictureKind::Bitmap, bmp, QSize(8, 1), Screen(8));
  int mixed = 0;
  for (int x = 0; x < 8; ++x)
    if (image.pixel(x, 0) != Red && image.pixel(x, 0) != Blue) ++mixed;
  EXPECT_GT(mixed, 0);
}

TEST(PictureDrawingTest, RleAndTopDownAndBitFieldBitmapsDraw) {
  Bmp rle;
  rle.Width = 4;
  rle.Height = 2;
  rle.Bits = 4;
  rle.Compression = 2;
  rle.Table = {Red, Blue};
  rle.Pixels = std::string("\x04\x01\x00\x00\x04\x10\x00\x01", 8);
  QImage image = RenderPicture(PictureKind::Bitmap, MakeBmp(rle), QSize(8, 4), Screen());
  EXPECT_EQ(image.pixel(0, 0), Blue);  // top row: 1 0 1 0
  EXPECT_EQ(image.pixel(2, 0), Red);
  EXPECT_EQ(image.pixel(0, 3), Red);  // bottom row: 0 1 0 1
  EXPECT_EQ(image.pixel(2, 3), Blue);

  image = RenderPicture(PictureKind::Bitmap, Bmp24({{Red}, {Blue}}, true), QSize(2, 4), Screen());
  EXPECT_EQ(image.pixel(1, 0), Red);
  EXPECT_EQ(image.pixel(1, 3), Blue);

  Bmp fields;
  fields.Width = 2;
  fields.Height = 1;
  fields.Bits = 16;
  fields.Compression = 3;
  fields.Masks = {0xF800, 0x07E0, 0x001F};
  fields.Pixels = std::string("\x00\xF8\x1F\x00", 4);
  image = RenderPicture(PictureKind::Bitmap, MakeBmp(fields), QSize(4, 2), Screen());
  EXPECT_TRUE(Near(image.pixel(0, 1), Red, 8));
  EXPECT_TRUE(Near(image.pixel(3, 1), Blue, 8));
}

TEST(PictureDrawingTest, JpegFillsTheRectangle) {
  const std::string jpeg = SolidJpeg(640, 480, qRgb(30, 160, 90));
  for (QSize target : {QSize(500, 375), QSize(100, 100), QSize(640, 480), QSize(700, 20)}) {
    const QImage image = RenderPicture(PictureKind::Jpeg, jpeg, target, Screen());
    ASSERT_EQ(image.size(), target);
    EXPECT_TRUE(Near(image.pixel(target.width() / 2, target.height() / 2), qRgb(30, 160, 90), 6));
  }
  const QImage eightBit = RenderPicture(PictureKind::Jpeg, jpeg, QSize(64, 48), Screen(8));
  EXPECT_TRUE(Near(eightBit.pixel(30, 20), qRgb(30, 160, 90), 16));
}

TEST(PictureDrawingTest, IconAtIconSizeInTheTopLeftCorner) {
  for (const std::string& ico :
       {MakeIco({BmpIconImage(16, Red)}), MakeIco({BmpIconImage(32, Red)}),
        MakeIco({PngIconImage(32, Red)}), MakeIco({PngIconImage(64, Red)})}) {
    const QImage image = RenderPicture(PictureKind::Icon, ico, QSize(100, 80), Screen());
    ASSERT_EQ(image.size(), QSize(100, 80));
    EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(CountPixels(image, QRect(0, 0, 32, 32), Red, 2), 32 * 32);
    EXPECT_EQ(CountPixels(image, image.rect(), Clear), 100 * 80 - 32 * 32);
  }
  // A rectangle smaller than the icon shows its top-left part.
  const QImage small =
      RenderPicture(PictureKind::Icon, MakeIco({BmpIconImage(32, Red)}), QSize(10, 40), Screen());
  EXPECT_EQ(CountPixels(small, small.rect(), Red), 10 * 32);
  // Another screen icon size.
  ScreenMetrics large = Screen();
  large.IconWidth = large.IconHeight = 48;
  const QImage big =
      RenderPicture(PictureKind::Icon, MakeIco({BmpIconImage(32, Red)}), QSize(60, 60), large);
  EXPECT_EQ(CountPixels(big, big.rect(), Red), 48 * 48);
}

TEST(PictureDrawingTest, MetafileIsPlayedIntoTheRectangleLessOnePixel) {
  const QImage image =
      RenderPicture(PictureKind::Metafile, FullFrameEmf(), QSize(101, 51), Screen());
  ASSERT_EQ(image.size(), QSize(101, 51));
  EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
  // The frame covers 100 x 50 pixels; the last column and row stay empty.
  EXPECT_EQ(CountPixels(image, QRect(0, 0, 100, 50), Blue), 100 * 50);
  EXPECT_EQ(CountPixels(image, QRect(100, 0, 1, 51), Clear), 51);
  EXPECT_EQ(CountPixels(image, QRect(0, 50, 101, 1), Clear), 101);
}

TEST(PictureDrawingTest, PlaceableWmfMeasuredSizeDrawsItsWholeBox) {
  // 1440 x 720 units at 1440 an inch: 96 x 48 pixels.
  WmfBuilder wmf(0, 0, 1440, 720, 1440);
  wmf.WindowOrg(0, 0)
      .WindowExt(1440, 720)
      .SolidBrush(ColorRef(0, 255, 0))
      .Select(0)
      .Pen(5, 0, 0)
      .Select(1)
      .Rectangle(0, 0, 1440, 720);
  const QImage image = RenderPicture(PictureKind::Metafile, wmf.Finish(), QSize(96, 48), Screen());
  EXPECT_EQ(CountPixels(image, QRect(0, 0, 95, 47), Green), 95 * 47);
  EXPECT_EQ(CountPixels(image, QRect(95, 0, 1, 48), Clear), 48);
}

TEST(PictureDrawingTest, NothingToDrawGivesANullImage) {
  struct Case {
    const char* Name;
    PictureKind Kind;
    std::string Bytes;
  };
  const std::string jpeg = SolidJpeg(16, 16, Red);
  const std::string ico = MakeIco({BmpIconImage(16, Red)});
  const QImage picture = CornerPicture(96, 64);
  const std::string heic = EncodeHeic(picture), avif = EncodeAvif(picture);
  const std::string png = EncodeWithQt(picture, "png"), gif = EncodeGif(picture);
  const std::string tiff = EncodeWithQt(picture, "tiff"), webp = EncodeWithQt(picture, "webp");
  const std::vector<Case> cases = {
      {"empty bitmap", PictureKind::Bitmap, ""},
      {"empty JPEG", PictureKind::Jpeg, ""},
      {"empty icon", PictureKind::Icon, ""},
      {"empty metafile", PictureKind::Metafile, ""},
      {"bitmap header only", PictureKind::Bitmap, RedBmp().substr(0, 20)},
      {"JPEG start only", PictureKind::Jpeg, jpeg.substr(0, 2)},
      {"JPEG header cut", PictureKind::Jpeg, jpeg.substr(0, 100)},
      {"bitmap as JPEG", PictureKind::Jpeg, RedBmp()},
      {"icon directory only", PictureKind::Icon, ico.substr(0, 22)},
      {"icon as bitmap", PictureKind::Bitmap, ico},
      {"text as metafile", PictureKind::Metafile, "not a metafile at all"},
      {"metafile header cut", PictureKind::Metafile, FullFrameEmf().substr(0, 60)},
      {"empty HEIF", PictureKind::Heif, ""},
      {"HEIC cut", PictureKind::Heif, heic.substr(0, heic.size() / 2)},
      {"HEIC boxes only", PictureKind::Heif, heic.substr(0, 300)},
      {"PNG as HEIF", PictureKind::Heif, png},
      {"AVIF cut", PictureKind::Avif, avif.substr(0, avif.size() / 2)},
      {"HEIC as AVIF", PictureKind::Avif, heic},
      {"PNG header only", PictureKind::Png, png.substr(0, 40)},
      {"GIF as PNG", PictureKind::Png, gif},
      {"GIF screen only", PictureKind::Gif, gif.substr(0, 13)},
      {"TIFF header only", PictureKind::Tiff, tiff.substr(0, 8)},
      {"WebP cut", PictureKind::WebP, webp.substr(0, 30)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_TRUE(RenderPicture(c.Kind, c.Bytes, QSize(50, 50), Screen()).isNull());
  }
  EXPECT_TRUE(RenderPicture(PictureKind::Bitmap, RedBmp(), QSize(0, 10), Screen()).isNull());
  EXPECT_TRUE(RenderPicture(PictureKind::Jpeg, jpeg, QSize(), Screen()).isNull());
}

TEST(PictureDrawingTest, DrawnPictureKeepsItsPixels) {
  DrawnPicture picture(PictureKind::Jpeg, SolidJpeg(800, 600, qRgb(30, 160, 90)));
  EXPECT_FALSE(picture.Empty());
  EXPECT_EQ(picture.Kind(), PictureKind::Jpeg);
  const QImage& first = picture.Render(QSize(100, 75), Screen());
  ASSERT_EQ(first.size(), QSize(100, 75));
  const qint64 key = first.cacheKey();
  EXPECT_EQ(picture.Render(QSize(100, 75), Screen()).cacheKey(), key);
  // A larger rectangle than the reduced scale kept: decoded again.
  const QImage& large = picture.Render(QSize(500, 375), Screen());
  ASSERT_EQ(large.size(), QSize(500, 375));
  EXPECT_TRUE(Near(large.pixel(250, 180), qRgb(30, 160, 90), 6));

  QImage canvas(600, 400, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  QPainter painter(&canvas);
  picture.Draw(painter, QRect(50, 10, 500, 375), Screen());
  painter.end();
  EXPECT_EQ(canvas.pixel(40, 100), qRgb(255, 255, 255));
  EXPECT_TRUE(Near(canvas.pixel(60, 100), qRgb(30, 160, 90), 6));

  picture.Assign(PictureKind::Bitmap, RedBmp());
  EXPECT_EQ(picture.Render(QSize(10, 10), Screen()).pixel(5, 5), Red);
  picture.Clear();
  EXPECT_TRUE(picture.Empty());
  EXPECT_TRUE(picture.Render(QSize(10, 10), Screen()).isNull());
}

TEST(PictureDrawingTest, DrawnPictureOfEveryKind) {
  DrawnPicture icon(PictureKind::Icon, MakeIco({BmpIconImage(16, Red)}));
  EXPECT_EQ(icon.Render(QSize(40, 40), Screen()).pixel(31, 31), Red);
  EXPECT_EQ(icon.Render(QSize(40, 40), Screen()).pixel(35, 35), Clear);
  DrawnPicture metafile(PictureKind::Metafile, FullFrameEmf());
  EXPECT_EQ(metafile.Render(QSize(11, 11), Screen()).pixel(5, 5), Blue);
  EXPECT_EQ(metafile.Render(QSize(21, 21), Screen()).pixel(15, 15), Blue);
  DrawnPicture damaged(PictureKind::Jpeg, "\xFF\xD8\xFF");
  EXPECT_TRUE(damaged.Render(QSize(10, 10), Screen()).isNull());
  EXPECT_TRUE(damaged.Render(QSize(20, 10), Screen()).isNull());
}

// A CornerPicture stored with each EXIF orientation is drawn as browsers
// show it: turned or mirrored, at its upright size (5 to 8 swap width and
// height), at full scale, at reduced DCT scales and decoded in bands.
TEST(PictureDrawingTest, JpegIsDrawnUprightForEveryExifOrientation) {
  const std::string small = EncodeJpeg(CornerPicture(96, 64));
  JpegOptions fine;
  fine.Quality = 98;
  fine.RestartRows = 1;
  const std::string large = EncodeJpeg(CornerPicture(1600, 1200), fine);
  ASSERT_GE(large.size(), 512u * 1024);  // decoded in bands
  for (int o = 1; o <= 8; ++o) {
    SCOPED_TRACE(o);
    const QSize upright = o >= 5 ? QSize(64, 96) : QSize(96, 64);
    const std::string file = WithExif(small, o);
    EXPECT_TRUE(
        ShowsCorners(RenderPicture(PictureKind::Jpeg, file, upright, Screen()), Shown[o - 1]));
    EXPECT_TRUE(ShowsCorners(DrawnPicture(PictureKind::Jpeg, file).Render(upright / 2, Screen()),
                             Shown[o - 1]));
    JpegDecodeOptions quarter;
    quarter.MinimumSize = o >= 5 ? QSize(300, 400) : QSize(400, 300);  // 1600 x 1200 / 4
    quarter.Upright = true;
    const JpegDecodeResult banded = DecodeJpegImage(WithExif(large, o), quarter);
    EXPECT_EQ(banded.Image.size(), quarter.MinimumSize);
    EXPECT_TRUE(ShowsCorners(banded.Image, Shown[o - 1]));
  }
}

// Each phone and messenger kind, stored turned as the kind can say, is drawn
// as browsers show it: HEIF by its irot and imir (a grid of tiles too, and
// from its thumbnail when that covers the rectangle), AVIF by irot then
// imir with its clean aperture left alone (as Chromium does), PNG by its
// eXIf chunk, TIFF by its Orientation tag.
TEST(PictureDrawingTest, PhonePicturesAreDrawnUpright) {
  const QImage stored = CornerPicture(96, 64);
  const struct {
    const char* Name;
    PictureKind Kind;
    std::string Bytes;
    int Orientation;
  } cases[] = {
      {"HEIC", PictureKind::Heif, EncodeHeic(stored, {.Orientation = 6}), 6},
      {"HEIC grid", PictureKind::Heif,
       EncodeHeic(stored, {.TileSize = 32, .ThumbnailSize = 48, .Orientation = 7}), 7},
      {"AVIF", PictureKind::Avif, EncodeAvif(stored, {.Rotation = 1}), 8},
      {"AVIF flipped", PictureKind::Avif, EncodeAvif(stored, {.Rotation = 1, .Mirror = 0}), 5},
      {"AVIF cropped", PictureKind::Avif, EncodeAvif(stored, {.CleanAperture = true}), 1},
      {"PNG", PictureKind::Png, PngWithOrientation(EncodeWithQt(stored, "png"), 3), 3},
      {"TIFF", PictureKind::Tiff, TiffWithOrientation(stored, 6), 6},
      {"WebP", PictureKind::WebP, EncodeWithQt(stored, "webp"), 1},
      {"GIF", PictureKind::Gif, EncodeGif(stored), 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const QSize upright = c.Orientation >= 5 ? QSize(64, 96) : QSize(96, 64);
    const QImage image = RenderPicture(c.Kind, c.Bytes, upright, Screen());
    ASSERT_EQ(image.size(), upright);
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_TRUE(ShowsCorners(image, Shown[c.Orientation - 1]));
    EXPECT_TRUE(ShowsCorners(RenderPicture(c.Kind, c.Bytes, upright / 4, Screen()),
                             Shown[c.Orientation - 1]));
  }
}

// Transparent pixels stay transparent (premultiplied), so that the window's
// background shows through them.
TEST(PictureDrawingTest, TransparentPhonePicturesLetTheBackgroundShow) {
  QImage half(64, 32, QImage::Format_ARGB32);
  half.fill(Qt::transparent);
  QPainter(&half).fillRect(0, 0, 32, 32, QColor(Red));
  const std::pair<PictureKind, std::string> pictures[] = {
      {PictureKind::Heif, EncodeHeic(half, {.Alpha = true})},
      {PictureKind::Avif, EncodeAvif(half, {.Alpha = true})},
      {PictureKind::Png, EncodeWithQt(half, "png")},
      {PictureKind::WebP, EncodeWithQt(half, "webp")},
      {PictureKind::Tiff, EncodeWithQt(half, "tiff")},
      {PictureKind::Gif, EncodeGif(half)},
  };
  for (const auto& [kind, bytes] : pictures) {
    SCOPED_TRACE(static_cast<int>(kind));
    const QImage image = RenderPicture(kind, bytes, QSize(64, 32), Screen());
    EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
    QImage window(64, 32, QImage::Format_RGB32);
    window.fill(Yellow);
    QPainter(&window).drawImage(0, 0, image);
    EXPECT_EQ(CountPixels(window, QRect(4, 4, 24, 24), Red, 12), 24 * 24);
    EXPECT_EQ(CountPixels(window, QRect(36, 4, 24, 24), Yellow, 12), 24 * 24);
  }
}

// Paging to a phone's HEIC: its thumbnail (stored unturned, and turned as
// the primary image) is drawn at once, the sharp picture as soon as the
// decode on the render thread ends; a decode paged away from is never
// reported, and a cancelled one gives nothing.
TEST(PictureDrawingTest, HeicIsDrawnFromItsThumbnailUntilItsDecodeEnds) {
  const std::string heic =
      EncodeHeic(CornerPicture(192, 128),
                 {.TileSize = 64, .ThumbnailSize = 48, .Orientation = 6, .ThumbnailTurned = false});
  const QSize target(64, 96);
  std::atomic<int> sharp{0};
  {
    DrawnPicture picture;
    picture.DecodeInBackground([&sharp] { ++sharp; });
    picture.Assign(PictureKind::Heif, heic);
    EXPECT_TRUE(ShowsCorners(picture.Render(target, Screen()), Shown[5]));
    EXPECT_FALSE(picture.Sharp());
    for (int i = 0; i < 1000 && sharp == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(sharp, 1);
    EXPECT_EQ(picture.Render(target, Screen()),
              RenderPicture(PictureKind::Heif, heic, target, Screen()));
    EXPECT_TRUE(picture.Sharp());
    picture.Assign(PictureKind::Heif, heic);
    picture.Render(target, Screen());
    picture.Clear();
  }
  EXPECT_EQ(sharp, 1);
  EXPECT_TRUE(ShowsCorners(RenderPicturePreview(PictureKind::Heif, heic, target), Shown[5]));
  const std::atomic<bool> cancel{true};
  EXPECT_TRUE(RenderPicture(PictureKind::Heif, heic, target, Screen(), &cancel).isNull());
}
