// Writes the seed corpora of the fuzz targets, made by the tests' own
// fixture generators (PictureFixtures, DrawingFixtures): FuzzSeeds OUTDIR
// writes OUTDIR/<target>/<seed>.
// Nothing here is committed as a binary: scripts/fuzz.sh makes the seeds
// anew before every run.
#include <sys/stat.h>

#include <QPainter>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "support/DrawingFixtures.h"
#include "support/PhoneFixtures.h"
#include "support/PictureFixtures.h"

namespace {

struct Seed {
  std::string Name;
  std::string Bytes;
};

bool WriteSeeds(const std::string& outDir, const std::string& target,
                const std::vector<Seed>& seeds) {
  const std::string dir = outDir + "/" + target;
  mkdir(dir.c_str(), 0755);
  for (const Seed& seed : seeds) {
    std::ofstream out(dir + "/" + seed.Name, std::ios::binary | std::ios::trunc);
    out.write(seed.Bytes.data(), static_cast<std::streamsize>(seed.Bytes.size()));
    if (!out) {
      std::cerr << "cannot write " << dir << "/" << seed.Name << '\n';
      return false;
    }
  }
  return true;
}

// A string literal with its NUL bytes, without the terminating one.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

// A description file record: the name's length at 0 and its bytes from 1,
// the description's length at 256 and its bytes from 257, the hidden flag
// at 512. Both texts are at most 255 bytes here.
std::string Record(const std::string& name, const std::string& description) {
  std::string record(513, '\0');
  record[0] = static_cast<char>(name.size());
  record.replace(1, name.size(), name);
  record[256] = static_cast<char>(description.size());
  record.replace(257, description.size(), description);
  return record;
}

// Header fields of the bitmaps made by MakeBmp (a 14-byte file header, then
// a 40-byte info header), changed for the variants below.
constexpr std::size_t BmpInfoSizeAt = 14;
constexpr std::size_t BmpCompressionAt = 30;
constexpr std::size_t BmpColoursUsedAt = 46;
constexpr std::size_t BmpInfoEnd = 54;

// A bitmap with the 12-byte core header, 8 bits per pixel: a 256-entry
// colour table of 3-byte entries, then the rows.
std::string CoreBitmap(int w, int h) {
  std::string bmp = "BM" + std::string(12, '\0');
  std::string core(12, '\0');
  PutU32(core, 0, 12);
  PutU16(core, 4, static_cast<std::uint16_t>(w));
  PutU16(core, 6, static_cast<std::uint16_t>(h));
  PutU16(core, 8, 1);
  PutU16(core, 10, 8);
  bmp += core;
  for (int i = 0; i < 256; ++i) bmp.append(3, static_cast<char>(i));
  const int rowBytes = (w + 3) / 4 * 4;
  bmp.append(static_cast<std::size_t>(rowBytes * h), '\x11');
  PutU32(bmp, 2, static_cast<std::uint32_t>(bmp.size()));
  PutU32(bmp, 10, 14 + 12 + 256 * 3);
  return bmp;
}

std::vector<Seed> BitmapSeeds() {
  std::string rle = MakeBmp(3, 2, 8);
  PutU32(rle, BmpCompressionAt, 1);
  std::string fields = MakeBmp(2, 2, 16);
  PutU32(fields, BmpCompressionAt, 3);
  std::string used = MakeBmp(3, 2, 8);
  PutU32(used, BmpColoursUsedAt, 7);
  std::string v5 = MakeBmp(2, 2);
  v5.insert(BmpInfoEnd, std::string(124 - 40, '\0'));
  PutU32(v5, BmpInfoSizeAt, 124);
  return {
      {"24bit", MakeBmp(5, 3)},
      {"top-down", MakeBmp(4, 4, 24, true)},
      {"1bit", MakeBmp(9, 2, 1)},
      {"4bit", MakeBmp(3, 3, 4)},
      {"8bit", MakeBmp(3, 2, 8)},
      {"16bit", MakeBmp(2, 2, 16)},
      {"32bit", MakeBmp(2, 2, 32)},
      {"empty", ""},
      {"core-8bit", CoreBitmap(5, 3)},
      {"rle8", rle},
      {"bitfields", fields},
      {"colours-used", used},
      {"v5-header", v5},
  };
}

std::vector<Seed> JpegSeeds() {
  return {
      {"baseline", MakeJpeg(16, 8, 50)},
      {"grey", MakeJpeg(8, 8, 50, 0, true)},
      {"progressive", MakeJpeg(9, 17, 50, 0, false, true)},
      {"exif", MakeJpeg(8, 8, 50, 64)},
      {"empty", ""},
      {"bitmap-named-jpeg", MakeBmp(2, 2)},
  };
}

// The frame's right edge in an enhanced metafile header.
constexpr std::size_t EmfFrameRightAt = 32;

std::vector<Seed> MetafileSeeds() {
  std::string zeroWidth = MakeEmf();
  PutU32(zeroWidth, EmfFrameRightAt, 0);
  return {
      {"placeable", MakePlaceableWmf(0, 0, 1440, 720, 1440)},
      {"placeable-no-units", MakePlaceableWmf(-10, -10, 300, 200, 0)},
      {"not-placeable", MakeNonPlaceableWmf()},
      {"enhanced", MakeEmf()},
      {"enhanced-zero-width", zeroWidth},
  };
}

std::vector<Seed> IconSeeds() {
  return {{"icon", MakeIcon(1)}, {"cursor", MakeIcon(2)}, {"short", MakeIcon(1).substr(0, 5)}};
}

// The phone and messenger kinds in each of their forms: turned, with the
// blocks their readers walk over (an eXIf chunk, a GIF comment, the
// extended WebP form with an EXIF chunk), a grid of tiles.
std::vector<Seed> PngSeeds() {
  return {{"plain", MakePng(16, 8)}, {"exif-6", MakePng(8, 16, 6)}};
}

std::vector<Seed> GifSeeds() {
  const std::string gif = MakeGif(8, 6);
  constexpr std::size_t afterColourTable = 13 + 12;
  return {{"plain", gif},
          {"comment", gif.substr(0, afterColourTable) +
                          Bytes("\x21\xFE\x03"
                                "abc\0") +
                          gif.substr(afterColourTable)}};
}

std::vector<Seed> WebPSeeds() {
  return {{"lossy", MakeWebP(16, 8)},
          {"lossless", MakeWebP(8, 16, WebPForm::Lossless)},
          {"extended", MakeWebP(16, 16, WebPForm::Extended)}};
}

std::vector<Seed> TiffSeeds() {
  return {{"plain", MakeTiff(8, 6)}, {"orientation-6", MakeTiff(6, 8, 6)}};
}

std::vector<Seed> HeifSeeds() {
  return {{"plain", MakeHeic(16, 16)},
          {"turned-5", MakeHeic(20, 12, 5)},
          {"grid", MakeHeicGrid(80, 60, 64, 3)}};
}

std::vector<Seed> AvifSeeds() {
  return {{"irot-1", MakeAvif(16, 16, 1)}, {"imir-0", MakeAvif(16, 8, -1, 0)}};
}

std::vector<Seed> TextSeeds() {
  return {
      {"crlf", "<HTML>\r\n<Head>\r\n\r\n<!--INC TN.INC -->\r\n</HTML>\r\n"},
      {"mixed", "one\rtwo\nthree\r\n\n\rfour"},
      {"nul", Bytes("line 1\r\nline 2\r\nli\0ne 3\r\n")},
      {"utf8", "Crème brûlée\r\n日本\n"},
  };
}

std::vector<Seed> IniSeeds() {
  const std::string folder =
      "[Options]\r\nWebPageTitle=Holiday\r\nFileName=album\r\nPicHeadings=1\r\n";
  return {
      {"replace", "Options\nWebPageTitle\nTrip\n" + folder},
      {"new-key", "Options\nExtra\n\"quoted value\"\n" + folder},
      {"new-section", "Main\nPicDirPath\n/home/user/Pictures\n" + folder},
      {"other-case", "OPTIONS\npicheadings\n 0 \n[options]\r\n  PICHEADINGS = 1 \r\n"},
      {"empty-file", "Main\nPicDirPath\n/tmp\n"},
      {"comments", "S\nk\nv\n; a comment\r\n[S]\r\n;k=commented\r\nk\r\n\r\n[T]\r\nk=t\r\n"},
  };
}

std::vector<Seed> DescriptionSeeds() {
  const std::string two = Record("a.jpg", "Harbour at dawn") + Record("B.JPG", "Sunset\r\nBeach");
  return {
      {"two", two},
      {"same-name", Record("IMG_01.JPG", "first") + Record("img_01.jpg", "second")},
      {"cut-short", two + std::string(74, 'x')},
      {"long", Record(std::string(255, 'n'), std::string(255, 'd'))},
      {"empty", ""},
  };
}

// --- Publishing ---

// JPEGs as cameras and phones write them: EXIF blocks with every
// orientation, GPS and serial number, an embedded thumbnail, ICC profiles
// of one and of two segments, and the coding variants. Sizes of whole and
// of partial MCU blocks take both ways of turning.
std::vector<Seed> WebCopySeeds() {
  const std::string icc = MakeIccProfile(300);
  const std::string thumbnail = MakeQuadrantJpeg(16, 12, 50);
  std::vector<Seed> seeds = JpegSeeds();
  for (int orientation = 1; orientation <= 8; ++orientation)
    seeds.push_back({"orientation-" + std::to_string(orientation),
                     WithCameraExif(MakeQuadrantJpeg(32, 16, 50), orientation)});
  seeds.insert(
      seeds.end(),
      {{"partial-blocks-turned", WithCameraExif(MakeQuadrantJpeg(20, 13, 50), 6)},
       {"thumbnail-gps-serial", WithCameraExif(MakeQuadrantJpeg(24, 16, 50), 3, thumbnail)},
       {"icc", WithIccProfile(MakeQuadrantJpeg(16, 16, 50), icc)},
       {"icc-two-segments", WithIccProfile(MakeQuadrantJpeg(16, 16, 50), MakeIccProfile(70000))},
       {"big-endian-exif", WithExif(MakeJpeg(24, 8, 50), 8, true)},
       {"cut-exif", WithExif(MakeJpeg(24, 8, 50), 6, false, 200, 30)},
       {"progressive-turned", WithExif(MakeJpeg(40, 24, 50, 0, false, true), 5)}});
  return seeds;
}

std::vector<Seed> ManifestSeeds() {
  const std::string head = "ambrelin-publish 2\n";
  return {
      {"two", head + "a.jpg\tA.JPG\t1000\t1765000000123456789\t2048\t1\t800\n" +
                  "chart.wmf\tChart.WMF\t300\t1765000000000000000\t2048\t1\t300\n"},
      {"crlf-and-escapes", head + "a%09b.jpg\ta%09b.jpg\t1\t2\t0\t1\t3\r\n" +
                               "100%25.jpg\t100%25.JPG\t1\t2\t0\t1\t3\r\n"},
      {"paths", head + "../x\tx\t1\t2\t0\t1\t3\n/etc/x\tx\t1\t2\t0\t1\t3\n" +
                    "%2E%2E%2Fx\tx\t1\t2\t0\t1\t3\n..\tx\t1\t2\t0\t1\t3\n"},
      {"damaged", head + "a.jpg\tA.JPG\t-1\t2\t0\t1\n%zz\tb\t1\t2\t3\t4\t5\n"},
      {"pages", head + "page\talbum.html\npage\t..%2Fx\npage\tindex%0A.html\n"},
      {"first-version", "ambrelin-publish 1\na.jpg\ta.jpg\t1\t2\t0\t1\t3\n"},
      {"other-version", "ambrelin-publish 3\na.jpg\ta.jpg\t1\t2\t0\t1\t3\n"},
  };
}

// --- Drawing: the readers' seeds and more forms of each kind ---

// Bitmaps that drawing reads differently: run-length data of both depths
// with deltas and literal runs, colour masks after the header and inside the
// larger headers, wide pictures that are scaled down, and a huge header with
// no pixel data.
std::vector<Seed> DrawBitmapSeeds() {
  std::vector<Seed> seeds = BitmapSeeds();
  drawfx::Bmp rle8;
  rle8.Width = 6;
  rle8.Height = 4;
  rle8.Bits = 8;
  rle8.Compression = 1;
  rle8.Table = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255)};
  rle8.Pixels = std::string(
      "\x03\x01\x00\x03\x01\x02\x02\x00\x00\x02\x01\x01\x00\x00"
      "\x00\x04\x01\x02\x01\x02\x00\x01",
      22);
  drawfx::Bmp rle4 = rle8;
  rle4.Bits = 4;
  rle4.Compression = 2;
  rle4.Pixels = std::string("\x05\x12\x00\x00\x00\x03\x21\x20\x00\x02\x01\x01\x00\x01", 14);
  drawfx::Bmp fields;
  fields.Width = 3;
  fields.Height = 2;
  fields.Bits = 16;
  fields.Compression = 3;
  fields.Masks = {0xF800, 0x07E0, 0x001F};
  fields.Pixels = std::string(16, '\x5A');
  drawfx::Bmp fields56 = fields;
  fields56.HeaderSize = 56;
  fields56.Bits = 32;
  fields56.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  fields56.Pixels = std::string(24, '\x7F');
  drawfx::Bmp v4 = fields56;
  v4.HeaderSize = 108;
  v4.Height = -2;
  drawfx::Bmp wide;
  wide.Width = 1200;
  wide.Height = 24;
  wide.Bits = 1;
  wide.Table = {qRgb(10, 20, 30), qRgb(240, 230, 220)};
  for (int i = 0; i < 152 * 24; ++i) wide.Pixels.push_back(char(i * 37));
  BmpFields huge;
  huge.Width = 8000;
  huge.Height = 8000;
  huge.WithPixels = false;
  seeds.insert(seeds.end(), {{"draw-rle8", drawfx::MakeBmp(rle8)},
                             {"draw-rle4", drawfx::MakeBmp(rle4)},
                             {"draw-bitfields-565", drawfx::MakeBmp(fields)},
                             {"draw-bitfields-56-header", drawfx::MakeBmp(fields56)},
                             {"draw-v4-top-down", drawfx::MakeBmp(v4)},
                             {"draw-wide-1bit", drawfx::MakeBmp(wide)},
                             {"draw-huge-no-pixels", MakeBmp(huge)}});
  return seeds;
}

std::vector<Seed> DrawIconSeeds() {
  std::vector<Seed> seeds = IconSeeds();
  const QRgb red = qRgba(255, 0, 0, 255), half = qRgba(0, 0, 255, 128);
  seeds.insert(seeds.end(), {{"draw-sizes", drawfx::MakeIco({drawfx::BmpIconImage(16, red),
                                                             drawfx::Bmp4IconImage(32, red),
                                                             drawfx::BmpIconImage(48, half)})},
                             {"draw-png", drawfx::MakeIco({drawfx::PngIconImage(32, half)})},
                             {"draw-png-256", drawfx::MakeIco({drawfx::PngIconImage(256, red),
                                                               drawfx::Bmp4IconImage(16, red)})}});
  return seeds;
}

// JPEG pictures of every coding the decoder meets, some with restart markers
// (banded on two threads when padded, see FuzzDrawing.cpp), some so wide
// that the picture area takes them at 1/2, 1/4 or 1/8 of their size.
std::vector<Seed> DrawJpegSeeds() {
  using drawfx::EncodeJpeg;
  using drawfx::JpegOptions;
  using drawfx::NoisyGradient;
  std::vector<Seed> seeds = JpegSeeds();
  JpegOptions rows;
  rows.Quality = 50;
  rows.RestartRows = 1;
  JpegOptions interval = rows;
  interval.RestartRows = 0;
  interval.RestartInterval = 3;
  JpegOptions grey;
  grey.Quality = 30;
  grey.Grayscale = true;
  grey.RestartRows = 1;
  JpegOptions progressive;
  progressive.Quality = 30;
  progressive.Progressive = true;
  JpegOptions cmyk;
  cmyk.Cmyk = true;
  cmyk.Quality = 50;
  seeds.insert(seeds.end(),
               {{"draw-restart-rows", EncodeJpeg(NoisyGradient(48, 64), rows)},
                {"draw-restart-interval", EncodeJpeg(NoisyGradient(40, 48), interval)},
                {"draw-half-scale-restarts", EncodeJpeg(NoisyGradient(1000, 32), rows)},
                {"draw-quarter-scale-grey", EncodeJpeg(NoisyGradient(2000, 32), grey)},
                {"draw-eighth-scale-progressive", EncodeJpeg(NoisyGradient(4000, 16), progressive)},
                {"draw-cmyk", EncodeJpeg(NoisyGradient(24, 16), cmyk)}});
  return seeds;
}

// Metafiles of both forms with nearly every record the player knows, an
// enhanced one whose bitmaps are compressed (PNG and JPEG inside a DIB) and
// one of many clip records.
std::vector<Seed> DrawMetafileSeeds() {
  std::vector<Seed> seeds = MetafileSeeds();
  drawfx::Bmp png;
  png.Width = 8;
  png.Height = 8;
  png.Bits = 0;
  png.Compression = 5;
  const drawfx::IconImage pngImage = drawfx::PngIconImage(8, qRgb(0, 128, 255));
  png.Pixels = pngImage.Data;
  drawfx::Bmp jpeg = png;
  jpeg.Compression = 4;
  jpeg.Pixels = MakeJpeg(8, 8, 50);
  const std::string compressed = drawfx::EmfBuilder::ForPixels(40, 40)
                                     .StretchDib(0, 0, 20, 20, png)
                                     .StretchDib(20, 20, 20, 20, jpeg)
                                     .Finish();
  // Clipping by rectangles and by regions of overlapping rectangles in every
  // combining mode, then a fill.
  drawfx::EmfBuilder clips = drawfx::EmfBuilder::ForPixels(60, 60);
  for (int i = 0; i < 8; ++i)
    clips.Record(29, {7 * i, 5 * i, 7 * i + 4, 5 * i + 30});  // ExcludeClipRect
  for (std::uint32_t mode = 1; mode <= 5; ++mode) {
    std::string region;
    drawfx::Put32(region, 32 + 3 * 16);
    drawfx::Put32(region, mode);
    for (std::uint32_t v : {32u, 1u, 3u, 48u}) drawfx::Put32(region, v);
    for (int v : {0, 0, 60, 60, 2, 2, 40, 9, 10, 0, 14, 60, 0, 20, 60, 24})
      drawfx::PutI32(region, v * int(mode) % 61);
    clips.Raw(75, region);  // ExtSelectClipRgn
  }
  clips.Record(30, {1, 1, 58, 58}).Record(26, {3, -2}).Rectangle(0, 0, 60, 60);
  seeds.insert(seeds.end(), {{"draw-rich-enhanced", drawfx::RichEmf()},
                             {"draw-rich-placeable", drawfx::RichWmf()},
                             {"draw-compressed-bitmaps", compressed},
                             {"draw-clip-records", clips.Finish()}});
  return seeds;
}

// The phone and messenger kinds, as the tests' generators make them: each
// orientation property a kind has, a grid with a thumbnail, transparency.
std::vector<Seed> DrawPhoneSeeds(const std::string& kind) {
  using namespace drawfx;
  const QImage photo = NoisyGradient(48, 32);
  QImage clear = photo.convertToFormat(QImage::Format_ARGB32);
  clear.fill(Qt::transparent);
  QPainter(&clear).fillRect(0, 0, 24, 32, Qt::red);
  if (kind == "heif")
    return {{"grid", EncodeHeic(photo, {.TileSize = 16,
                                        .ThumbnailSize = 24,
                                        .Orientation = 5,
                                        .ThumbnailTurned = false})},
            {"alpha", EncodeHeic(clear, {.Alpha = true})}};
  if (kind == "avif")
    return {{"turned", EncodeAvif(photo, {.Rotation = 3, .Mirror = 1, .CleanAperture = true})},
            {"alpha", EncodeAvif(clear, {.Alpha = true})}};
  if (kind == "png")
    return {{"exif", PngWithOrientation(EncodeWithQt(photo, "png"), 6)},
            {"16-bit-alpha", EncodeWithQt(clear.convertToFormat(QImage::Format_RGBA64), "png")},
            {"palette", EncodeWithQt(photo.convertToFormat(QImage::Format_Indexed8), "png")}};
  if (kind == "gif") return {{"transparent", EncodeGif(clear)}};
  if (kind == "tiff")
    return {{"turned", TiffWithOrientation(photo, 6)}, {"alpha", EncodeWithQt(clear, "tiff")}};
  if (kind == "webp")
    return {{"lossy-alpha", EncodeWithQt(clear, "webp", 50)},
            {"lossless", EncodeWithQt(photo, "webp", 100)}};
  return {};
}

// Every kind's drawing seeds, each behind the byte that chooses its kind
// (the order of fuzz_webcopy_kinds' kinds) and both formats.
std::vector<Seed> WebCopyKindSeeds() {
  const std::vector<std::vector<Seed>> kinds = {
      DrawPhoneSeeds("heif"), DrawPhoneSeeds("avif"), DrawPhoneSeeds("webp"),
      DrawPhoneSeeds("tiff"), DrawPhoneSeeds("png"),  DrawPhoneSeeds("gif"),
      DrawBitmapSeeds(),      DrawIconSeeds(),        DrawMetafileSeeds()};
  std::vector<Seed> seeds;
  for (std::size_t k = 0; k < kinds.size(); ++k)
    for (const Seed& seed : kinds[k])
      for (const std::size_t format : {0, 1}) {
        const char choice = static_cast<char>(k + format * kinds.size());
        seeds.push_back({std::to_string(k) + "-" + std::to_string(format) + "-" + seed.Name,
                         choice + seed.Bytes});
      }
  return seeds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: FuzzSeeds OUTDIR\n";
    return 2;
  }
  const std::string out = argv[1];
  mkdir(out.c_str(), 0755);
  const bool ok = WriteSeeds(out, "fuzz_picture_bmp", BitmapSeeds()) &&
                  WriteSeeds(out, "fuzz_picture_ico", IconSeeds()) &&
                  WriteSeeds(out, "fuzz_picture_jpeg", JpegSeeds()) &&
                  WriteSeeds(out, "fuzz_picture_metafile", MetafileSeeds()) &&
                  WriteSeeds(out, "fuzz_picture_png", PngSeeds()) &&
                  WriteSeeds(out, "fuzz_picture_gif", GifSeeds()) &&
                  WriteSeeds(out, "fuzz_picture_webp", WebPSeeds()) &&
                  WriteSeeds(out, "fuzz_picture_tiff", TiffSeeds()) &&
                  WriteSeeds(out, "fuzz_picture_heif", HeifSeeds()) &&
                  WriteSeeds(out, "fuzz_picture_avif", AvifSeeds()) &&
                  WriteSeeds(out, "fuzz_text_lines", TextSeeds()) &&
                  WriteSeeds(out, "fuzz_ini_file", IniSeeds()) &&
                  WriteSeeds(out, "fuzz_description_file", DescriptionSeeds()) &&
                  WriteSeeds(out, "fuzz_webcopy_lossless", WebCopySeeds()) &&
                  WriteSeeds(out, "fuzz_webcopy_resize", WebCopySeeds()) &&
                  WriteSeeds(out, "fuzz_webcopy_kinds", WebCopyKindSeeds()) &&
                  WriteSeeds(out, "fuzz_publish_manifest", ManifestSeeds()) &&
                  WriteSeeds(out, "fuzz_draw_bmp", DrawBitmapSeeds()) &&
                  WriteSeeds(out, "fuzz_draw_ico", DrawIconSeeds()) &&
                  WriteSeeds(out, "fuzz_draw_jpeg", DrawJpegSeeds()) &&
                  WriteSeeds(out, "fuzz_draw_metafile", DrawMetafileSeeds());
  bool phone = ok;
  for (const char* kind : {"heif", "avif", "png", "gif", "tiff", "webp"})
    phone = phone && WriteSeeds(out, std::string("fuzz_draw_") + kind, DrawPhoneSeeds(kind));
  return phone ? 0 : 1;
}
