// Measuring picture files: one table of files and what measuring them
// gives. Every row is also loaded into a Picture, which must fail with the
// same error or give the same size, since measuring reads only the headers
// but promises the checks of a full load.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "core/pictures/Picture.h"
#include "core/pictures/ProbePicture.h"
#include "core/platform/Errors.h"
#include "support/PhoneFixtures.h"
#include "support/PictureFixtures.h"
#include "support/TestUtil.h"

namespace {

struct Outcome {
  std::string ErrorClass;  // empty on success
  std::string Message;
  int Width = 0;
  int Height = 0;
  bool Landscape = true;

  bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
  if (!o.ErrorClass.empty()) return out << o.ErrorClass << " \"" << o.Message << "\"";
  return out << o.Width << " x " << o.Height << (o.Landscape ? " landscape" : " portrait");
}

Outcome Measures(int w, int h) {
  Outcome o;
  o.Width = w;
  o.Height = h;
  o.Landscape = !(h > w);
  return o;
}

Outcome Fails(std::string errorClass, std::string message) {
  Outcome o;
  o.ErrorClass = std::move(errorClass);
  o.Message = std::move(message);
  return o;
}

Outcome BitmapNotValid() {
  return Fails("EInvalidGraphic", "Bitmap image is not valid");
}
Outcome MetafileNotValid() {
  return Fails("EInvalidGraphic", "Metafile is not valid");
}
Outcome StreamReadError() {
  return Fails("EReadError", "Stream read error");
}
Outcome JpegError(int code) {
  return Fails("EJPEG", "JPEG error #" + std::to_string(code));
}

ScreenMetrics TestScreen() {
  return ScreenMetrics{96, 24, 32, 32};
}

// The probe starts from values no row gives, so that a failure that
// touched it shows.
const PictureProbe Untouched{7, 5, false};

Outcome Probe(const std::string& dir, const std::string& name,
              const ScreenMetrics& screen = TestScreen(), bool allKinds = false) {
  PictureProbe probe = Untouched;
  try {
    ProbePicture(probe, dir, name, screen, allKinds);
  } catch (const Exception& e) {
    EXPECT_EQ(probe.ProbeWidth, Untouched.ProbeWidth);
    EXPECT_EQ(probe.ProbeHeight, Untouched.ProbeHeight);
    EXPECT_EQ(probe.Landscape, Untouched.Landscape);
    return Fails(e.ClassName(), e.Message());
  }
  Outcome o;
  o.Width = probe.ProbeWidth;
  o.Height = probe.ProbeHeight;
  o.Landscape = probe.Landscape;
  return o;
}

// A full load, reported by the measuring rule.
Outcome Load(const std::string& dir, const std::string& name,
             const ScreenMetrics& screen = TestScreen(), bool allKinds = false) {
  Picture picture;
  try {
    picture.LoadFromFile(dir, name, screen, allKinds);
  } catch (const Exception& e) {
    return Fails(e.ClassName(), e.Message());
  }
  const bool positive = picture.Width() > 0 && picture.Height() > 0;
  return Measures(positive ? picture.Width() : 0, positive ? picture.Height() : 0);
}

std::string JpegWithoutStartMarker() {
  return MakeBmp(8, 8);
}

// A JPEG whose entropy-coded data after the first scan header is garbage.
std::string JpegWithDamagedData() {
  std::string jpeg = MakeJpeg(64, 48, 75);
  const auto scan = jpeg.rfind("\xFF\xDA");
  for (std::size_t i = scan + 20; i + 2 < jpeg.size(); ++i) jpeg[i] = static_cast<char>(0xFF);
  return jpeg;
}

std::string WithU32(std::string bytes, std::size_t offset, std::uint32_t value) {
  PutU32(bytes, offset, value);
  return bytes;
}

std::string WithU16(std::string bytes, std::size_t offset, std::uint16_t value) {
  PutU16(bytes, offset, value);
  return bytes;
}

std::string Cut(std::string bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

BmpFields Bmp(std::function<void(BmpFields&)> change) {
  BmpFields fields;
  change(fields);
  return fields;
}

EmfFields Emf(std::function<void(EmfFields&)> change) {
  EmfFields fields;
  change(fields);
  return fields;
}

struct Row {
  std::string Label;
  std::string Name;
  std::string Bytes;
  Outcome Expected;
  bool AllKinds = false;  // the folder's album takes in all picture kinds
};

// The bytes with `from` (its first occurrence) replaced by `to`.
std::string Replaced(std::string bytes, const std::string& from, const std::string& to) {
  bytes.replace(bytes.find(from), from.size(), to);
  return bytes;
}

// Every EXIF orientation over a landscape and a portrait picture: 5 to 8
// swap width and height. Blocks that tell nothing leave the stored size.
std::vector<Row> OrientationRows() {
  const std::string landscape = MakeJpeg(640, 480), portrait = MakeJpeg(480, 640);
  std::vector<Row> rows = {
      {"BigEndianIn40KBlock", "r.jpg", WithExif(landscape, 6, true, 40000), Measures(480, 640)},
      {"TagMissing", "r.jpg", WithExif(landscape, 0), Measures(640, 480)},
      {"BlockCutInTheTag", "r.jpg", WithExif(landscape, 6, false, 0, 34), Measures(640, 480)}};
  for (int o = 1; o <= 8; ++o) {
    rows.push_back({std::to_string(o) + "Landscape", "r.jpg", WithExif(landscape, o),
                    o < 5 ? Measures(640, 480) : Measures(480, 640)});
    rows.push_back({std::to_string(o) + "Portrait", "r.jpg", WithExif(portrait, o),
                    o < 5 ? Measures(480, 640) : Measures(640, 480)});
  }
  return rows;
}

std::vector<Row> Rows() {
  const std::string jpeg640x480 = MakeJpeg(640, 480);
  const std::string placeable = MakePlaceableWmf(0, 0, 1440, 720, 1440);
  const std::string emf = MakeEmf();
  // The enhanced metafile's records: header (108 bytes), rectangle (24), end (20).
  constexpr std::size_t EmfRectangleAt = 108, EmfEofAt = 132;
  return {
      // Extensions.
      {"JpgLowerCase", "photo.jpg", jpeg640x480, Measures(640, 480)},
      {"JpgUpperCase", "photo.JPG", jpeg640x480, Measures(640, 480)},
      {"JpegMixedCase", "photo.Jpeg", jpeg640x480, Measures(640, 480)},
      {"GifUnknown", "photo.gif", jpeg640x480,
       Fails("EInvalidGraphic", "Unknown picture file extension (.gif)")},
      {"NoExtension", "photo", jpeg640x480,
       Fails("EInvalidGraphic", "Unknown picture file extension (.)")},
      {"LastExtensionCounts", "archive.jpg.txt", jpeg640x480,
       Fails("EInvalidGraphic", "Unknown picture file extension (.txt)")},
      {"ExtensionKeepsCase", "photo.GIF", jpeg640x480,
       Fails("EInvalidGraphic", "Unknown picture file extension (.GIF)")},
      {"HeicUnknownWithoutAllKinds", "IMG_0001.HEIC", MakeHeic(64, 48),
       Fails("EInvalidGraphic", "Unknown picture file extension (.HEIC)")},

      // JPEG.
      {"JpegPortrait", "p.jpg", MakeJpeg(480, 640), Measures(480, 640)},
      {"JpegSquare", "s.jpg", MakeJpeg(500, 500), Measures(500, 500)},
      {"JpegWithExif", "exif.jpg", MakeJpeg(320, 200, 90, 40000), Measures(320, 200)},
      {"JpegGrayProgressive", "g.jpg", MakeJpeg(30, 40, 75, 0, true, true), Measures(30, 40)},
      {"JpegDamagedData", "damaged.jpg", JpegWithDamagedData(), Measures(64, 48)},
      {"JpegEndsBeforeFrame", "cut.jpg", Cut(jpeg640x480, 20), JpegError(JERR_NO_IMAGE)},
      {"BmpNamedJpg", "bitmap.jpg", JpegWithoutStartMarker(), JpegError(JERR_NO_SOI)},
      {"EmptyJpg", "empty.jpg", "", Measures(0, 0)},
      {"EmptyJpeg", "empty.jpeg", "", Measures(0, 0)},
      {"OneByteJpg", "one.jpg", "\xFF", JpegError(JERR_NO_SOI)},

      // Bitmaps.
      {"Bitmap", "b.bmp", MakeBmp(40, 30), Measures(40, 30)},
      {"BitmapTopDown", "td.bmp", MakeBmp(30, 40, 24, true), Measures(30, 40)},
      {"BitmapCoreHeader", "core.bmp", MakeBmp(Bmp([](BmpFields& s) {
         s.HeaderSize = 12;
         s.BitsPerPixel = 8;
       })),
       Measures(4, 3)},
      {"BitmapV5Header", "v5.bmp", MakeBmp(Bmp([](BmpFields& s) { s.HeaderSize = 124; })),
       Measures(4, 3)},
      {"Bitmap8BitPalette", "p8.bmp", MakeBmp(9, 7, 8), Measures(9, 7)},
      {"BitmapBitFields", "bf.bmp",
       MakeBmp(Bmp([](BmpFields& s) {
         s.BitsPerPixel = 16;
         s.Compression = 3;
         s.WithPixels = false;
       })) +
           std::string(12, '\x1F'),
       Measures(4, 3)},
      {"BitmapRle8", "rle.bmp", MakeBmp(Bmp([](BmpFields& s) {
         s.BitsPerPixel = 8;
         s.Compression = 1;
       })),
       Measures(4, 3)},
      {"BitmapWithoutPixels", "nopix.bmp", MakeBmp(Bmp([](BmpFields& s) { s.WithPixels = false; })),
       Measures(4, 3)},
      {"BitmapZeroWidth", "w0.bmp", MakeBmp(Bmp([](BmpFields& s) { s.Width = 0; })),
       Measures(0, 0)},
      {"BitmapZeroHeight", "h0.bmp", MakeBmp(Bmp([](BmpFields& s) { s.Height = 0; })),
       Measures(0, 0)},
      {"BitmapHuge", "huge.bmp", MakeBmp(Bmp([](BmpFields& s) {
         s.Width = 0x7FFFFFFF;
         s.Height = -0x7FFFFFFF;
         s.BitsPerPixel = 32;
         s.WithPixels = false;
       })),
       Measures(0x7FFFFFFF, 0x7FFFFFFF)},
      {"EmptyBmp", "empty.bmp", "", Measures(0, 0)},
      {"BitmapShorterThanFileHeader", "short.bmp", "BM\x10\0\0\0", StreamReadError()},
      {"BitmapWrongSignature", "sig.bmp", "XY" + MakeBmp(4, 3).substr(2), BitmapNotValid()},
      {"BitmapEndsInDibHeader", "dib.bmp", Cut(MakeBmp(4, 3), 30), BitmapNotValid()},
      {"BitmapEndsInDibSize", "dibsize.bmp", Cut(MakeBmp(4, 3), 16), BitmapNotValid()},
      {"BitmapOddHeaderSize", "hdr.bmp", MakeBmp(Bmp([](BmpFields& s) { s.HeaderSize = 20; })),
       BitmapNotValid()},
      {"BitmapAbsurdHeaderSize", "hdr2.bmp", WithU32(MakeBmp(4, 3), 14, 0xFFFFFFF0),
       BitmapNotValid()},
      {"BitmapTwoPlanes", "planes.bmp", MakeBmp(Bmp([](BmpFields& s) { s.Planes = 2; })),
       BitmapNotValid()},
      {"BitmapOddDepth", "depth.bmp", MakeBmp(Bmp([](BmpFields& s) { s.BitsPerPixel = 7; })),
       BitmapNotValid()},
      // Width at offset 14 + 4 of the info header.
      {"BitmapNegativeWidth", "negw.bmp", WithU32(MakeBmp(4, 3), 18, 0xFFFFFFFC), BitmapNotValid()},
      {"BitmapRleWithWrongDepth", "rle24.bmp",
       MakeBmp(Bmp([](BmpFields& s) { s.Compression = 1; })), BitmapNotValid()},
      {"BitmapRleTopDown", "rletd.bmp", MakeBmp(Bmp([](BmpFields& s) {
         s.BitsPerPixel = 8;
         s.Compression = 1;
         s.Height = -3;
       })),
       BitmapNotValid()},
      {"BitmapMasksCutShort", "masks.bmp",
       MakeBmp(Bmp([](BmpFields& s) {
         s.BitsPerPixel = 32;
         s.Compression = 3;
         s.WithPixels = false;
       })) +
           std::string(8, '\0'),
       StreamReadError()},
      {"BitmapColourTableCutShort", "table.bmp", Cut(MakeBmp(4, 3, 8), 14 + 40 + 1000),
       StreamReadError()},
      // Used colours at offset 14 + 32 of the info header.
      {"BitmapAbsurdColourCount", "colours.bmp", WithU32(MakeBmp(4, 3, 8), 46, 0xFFFFFFFF),
       StreamReadError()},

      // Icons.
      {"Icon", "i.ico", MakeIcon(), Measures(32, 32)},
      {"IconDirectoryOnly", "dir.ico", Cut(MakeIcon(), 6), Measures(32, 32)},
      {"CursorAsIcon", "cursor.ico", MakeIcon(2),
       Fails("EInvalidGraphic", "Icon image is not valid")},
      {"IconTypeAbove2", "t3.ico", MakeIcon(3),
       Fails("EInvalidGraphic", "Icon image is not valid")},
      {"EmptyIco", "empty.ico", "", StreamReadError()},
      {"IconShorterThanDirectory", "short.ico", Cut(MakeIcon(), 5), StreamReadError()},

      // Metafiles.
      {"Placeable1440UnitsPerInch", "box.wmf", placeable, Measures(96, 48)},
      {"PlaceableNamedEmf", "box.emf", placeable, Measures(96, 48)},
      {"PlaceableDefaultUnits", "u0.wmf", MakePlaceableWmf(10, 20, 106, 68, 0), Measures(96, 48)},
      {"PlaceablePortrait", "tall.wmf", MakePlaceableWmf(0, 0, 720, 1440, 1440), Measures(48, 96)},
      {"PlaceableZeroWidth", "flat.wmf", MakePlaceableWmf(5, 0, 5, 720, 1440), Measures(0, 0)},
      {"PlaceableWrongChecksum", "sum.wmf", WithU16(placeable, 20, 0x1234), MetafileNotValid()},
      {"PlaceableWrongKey", "key.wmf", WithU32(placeable, 0, 0x9AC6CDD8), MetafileNotValid()},
      {"PlaceableCutInHeader", "cut.wmf", Cut(placeable, 21), MetafileNotValid()},
      {"PlaceableWithoutRecords", "bare.wmf", Cut(placeable, 22), MetafileNotValid()},
      {"PlaceableBadMetaHeader", "meta.wmf", WithU16(placeable, 22 + 4, 0x0200),
       MetafileNotValid()},
      {"PlaceableRecordsCutShort", "short.wmf", Cut(placeable, placeable.size() - 2),
       MetafileNotValid()},
      {"NonPlaceableWmf", "plain.wmf", MakeNonPlaceableWmf(), MetafileNotValid()},
      {"NonPlaceableNamedEmf", "plain.emf", MakeNonPlaceableWmf(), MetafileNotValid()},
      {"EmptyWmf", "empty.wmf", "", MetafileNotValid()},
      {"Enhanced", "e.emf", emf, Measures(96, 48)},
      {"EnhancedNamedWmf", "e.wmf", emf, Measures(96, 48)},
      {"EnhancedOtherDevice", "dev.emf", MakeEmf(Emf([](EmfFields& s) {
         s.DevicePixelsX = 1280;
         s.DeviceMillimetresX = 320;  // 4 pixels a millimetre: 101.6 rounds to 102
         s.DevicePixelsY = 1024;
         s.DeviceMillimetresY = 256;
         s.FrameBottom = 5080;
       })),
       Measures(102, 203)},
      {"EnhancedZeroWidthFrame", "zero.emf", MakeEmf(Emf([](EmfFields& s) { s.FrameRight = 0; })),
       Measures(0, 0)},
      {"EnhancedInvertedFrame", "inv.emf", MakeEmf(Emf([](EmfFields& s) { s.FrameLeft = 5000; })),
       Measures(0, 0)},
      {"EnhancedDeviceWithoutMillimetres", "nomm.emf",
       MakeEmf(Emf([](EmfFields& s) { s.DeviceMillimetresX = 0; })), Measures(0, 0)},
      {"EnhancedTotalBelowHeader", "small.emf", WithU32(emf, EmfTotalBytesOffset, 96),
       MetafileNotValid()},
      {"EnhancedTotalBeyondFile", "long.emf", WithU32(emf, EmfTotalBytesOffset, 0xFFFFFF00),
       StreamReadError()},
      {"EnhancedCutShort", "cut.emf", Cut(emf, emf.size() - 4), StreamReadError()},
      {"EnhancedRecordSizeOdd", "odd.emf", WithU32(emf, EmfRectangleAt + 4, 22),
       MetafileNotValid()},
      {"EnhancedRecordBeyondTotal", "rec.emf", WithU32(emf, EmfEofAt + 4, 24), MetafileNotValid()},
      {"EnhancedWithoutEof", "noeof.emf", WithU32(emf, EmfEofAt, 43), MetafileNotValid()},
      {"EnhancedHeaderRecordTooSmall", "hdr.emf", WithU32(emf, 4, 84), MetafileNotValid()},
      // Too short for the enhanced form (at most 100 bytes): read as placeable.
      {"EnhancedOf100Bytes", "hundred.emf", Cut(emf, 100), MetafileNotValid()},
  };
}

// The phone and messenger kinds, measured as Chromium shows them (Safari
// for HEIF and TIFF): quarter turns by irot or an EXIF orientation swap
// width and height, a HEIF clean aperture crops, a WebP EXIF orientation
// counts for nothing. Damaged headers fail as the other kinds do.
std::vector<Row> PhoneKindRows() {
  const std::string png = MakePng(64, 48), gif = MakeGif(40, 30), tiff = MakeTiff(64, 48);
  const std::string webp = MakeWebP(64, 48), heic = MakeHeic(64, 48), avif = MakeAvif(64, 48, 1);
  const auto notValid = [](const std::string& kind) {
    return Fails("EInvalidGraphic", kind + " image is not valid");
  };
  std::vector<Row> rows = {
      {"Png", "shot.png", png, Measures(64, 48)},
      {"PngExifOrientation6", "turned.PNG", MakePng(64, 48, 6), Measures(48, 64)},
      {"PngCutInHeader", "cut.png", Cut(png, 32), StreamReadError()},
      {"PngHeaderCrcWrong", "crc.png", WithU32(png, 29, 0), notValid("PNG")},
      {"Gif", "sticker.gif", gif, Measures(40, 30)},
      {"GifScreenSmallerThanImage", "small.gif", WithU16(gif, 6, 10), Measures(40, 30)},
      {"GifCutInColourTable", "cut.gif", Cut(gif, 20), StreamReadError()},
      {"GifWithoutImage", "empty.gif", gif.substr(0, 25) + ";", notValid("GIF")},
      {"WebPLossy", "s.webp", webp, Measures(64, 48)},
      {"WebPLossless", "l.webp", MakeWebP(64, 48, WebPForm::Lossless), Measures(64, 48)},
      {"WebPExtendedExifIgnored", "x.webp", MakeWebP(64, 48, WebPForm::Extended), Measures(64, 48)},
      {"WebPCutInFrameHeader", "cut.webp", Cut(webp, 25), StreamReadError()},
      {"WebPNoKeyFrame", "key.webp", Replaced(webp, "\x9D\x01\x2A", "\x9D\x01\x2B"),
       notValid("WebP")},
      {"Tiff", "scan.tif", tiff, Measures(64, 48)},
      {"TiffOrientation6", "scan.TIFF", MakeTiff(64, 48, 6), Measures(48, 64)},
      {"TiffShorterThanHeader", "cut.tif", Cut(tiff, 7), StreamReadError()},
      {"TiffDirectoryBeyondFile", "ifd.tif", Cut(tiff, tiff.size() / 2), notValid("TIFF")},
      {"Heic", "IMG_0001.heic", heic, Measures(64, 48)},  // coded 64 x 64, cropped
      {"HeicOrientation6", "IMG_0002.HEIC", MakeHeic(64, 48, 6), Measures(48, 64)},
      {"HeifOrientation5", "t.heif", MakeHeic(64, 48, 5), Measures(48, 64)},
      {"HeicGridOfTiles", "grid.hif", MakeHeicGrid(200, 150, 64), Measures(200, 150)},
      {"HeicGridTurned", "IMG_0003.heic", MakeHeicGrid(200, 150, 64, 3), Measures(150, 200)},
      {"HeicCutBeforeMeta", "cut.heic", Cut(heic, 30), StreamReadError()},
      {"HeicNoPictureHandler", "h.heic", Replaced(heic, "pict", "vide"), notValid("HEIF")},
      {"HeicPropertyIndexBeyondLast", "i.heic", Replaced(heic, "ipco", "free"), notValid("HEIF")},
      {"AvifTurnedByIrot", "a.avif", avif, Measures(48, 64)},
      {"AvifMirrored", "m.avif", MakeAvif(64, 48, -1, 1), Measures(64, 48)},
      {"AvifWithoutItsBrand", "b.avif", Replaced(Replaced(avif, "avif", "heic"), "avif", "heic"),
       notValid("AVIF")},
      {"AvifCutInMeta", "cut.avif", Cut(avif, 100), StreamReadError()},
  };
  for (Row& row : rows) row.AllKinds = true;
  return rows;
}

class ProbePictureTable : public ::testing::TestWithParam<Row> {};

TEST_P(ProbePictureTable, MeasuresAsLoadingDoes) {
  const Row& row = GetParam();
  TempDir dir;
  dir.Write(row.Name, row.Bytes);
  EXPECT_EQ(Probe(dir.Path(), row.Name, TestScreen(), row.AllKinds), row.Expected);
  EXPECT_EQ(Load(dir.Path(), row.Name, TestScreen(), row.AllKinds), row.Expected);
}

INSTANTIATE_TEST_SUITE_P(Files, ProbePictureTable, ::testing::ValuesIn(Rows()),
                         [](const ::testing::TestParamInfo<Row>& info) {
                           return info.param.Label;
                         });
INSTANTIATE_TEST_SUITE_P(Orientation, ProbePictureTable, ::testing::ValuesIn(OrientationRows()),
                         [](const ::testing::TestParamInfo<Row>& info) {
                           return info.param.Label;
                         });
INSTANTIATE_TEST_SUITE_P(PhoneKinds, ProbePictureTable, ::testing::ValuesIn(PhoneKindRows()),
                         [](const ::testing::TestParamInfo<Row>& info) {
                           return info.param.Label;
                         });

TEST(ProbePictureTest, KeepsTheLastSuccessfulValuesAfterAFailure) {
  TempDir dir;
  dir.Write("tall.jpg", MakeJpeg(30, 60));
  dir.Write("bad.ico", MakeIcon(2));
  PictureProbe probe;
  ProbePicture(probe, dir.Path(), "tall.jpg", TestScreen());
  EXPECT_THROW(ProbePicture(probe, dir.Path(), "bad.ico", TestScreen()), EInvalidGraphic);
  EXPECT_THROW(ProbePicture(probe, dir.Path(), "missing.jpg", TestScreen()), EFOpenError);
  EXPECT_EQ(probe.ProbeWidth, 30);
  EXPECT_EQ(probe.ProbeHeight, 60);
  EXPECT_FALSE(probe.Landscape);
}

TEST(ProbePictureTest, MissingFileIsNamedAsPassed) {
  TempDir dir;
  EXPECT_EQ(Probe(dir.Path(), "Missing.JPG"), Fails("EFOpenError", "Cannot open file Missing.JPG"));
  EXPECT_EQ(Load(dir.Path(), "Missing.JPG"), Fails("EFOpenError", "Cannot open file Missing.JPG"));
  const std::string absolute = dir.File("gone.bmp");
  EXPECT_EQ(Probe("/elsewhere", absolute), Fails("EFOpenError", "Cannot open file " + absolute));
}

TEST(ProbePictureTest, AFolderIsNoPictureFile) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.File("folder.jpg").c_str(), 0755), 0);
  EXPECT_EQ(Probe(dir.Path(), "folder.jpg"), Fails("EFOpenError", "Cannot open file folder.jpg"));
}

TEST(ProbePictureTest, FindsTheFileIgnoringLetterCase) {
  TempDir dir;
  dir.Write("A.JPG", MakeJpeg(64, 48));
  EXPECT_EQ(Probe(dir.Path(), "a.jpg"), Measures(64, 48));
  EXPECT_EQ(Load(dir.Path(), "a.jpg"), Measures(64, 48));
}

TEST(ProbePictureTest, IconsMeasureAsTheScreensIconSize) {
  TempDir dir;
  dir.Write("i.ico", MakeIcon());
  const ScreenMetrics wideIcons{96, 24, 48, 40};
  EXPECT_EQ(Probe(dir.Path(), "i.ico", wideIcons), Measures(48, 40));
}

TEST(ProbePictureTest, PlaceableMetafilesScaleWithTheScreen) {
  TempDir dir;
  dir.Write("inch.wmf", MakePlaceableWmf(0, 0, 1000, 500, 1000));
  dir.Write("default.wmf", MakePlaceableWmf(0, 0, 96, 48, 0));
  const ScreenMetrics large{120, 24, 32, 32};
  EXPECT_EQ(Probe(dir.Path(), "inch.wmf", large), Measures(120, 60));
  EXPECT_EQ(Probe(dir.Path(), "default.wmf", large), Measures(120, 60));
  EXPECT_EQ(Load(dir.Path(), "default.wmf", large), Measures(120, 60));
}

}  // namespace
