// ambrelin-build --publish on a mixed folder, run as a separate process: the
// published folder's files, a second publish with nothing changed, and a
// picture removed from the album while a stranger's file lies in the
// published folder. And a manifest whose entries name paths.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include <QImage>

#include "core/publish/Publish.h"
#include "core/publish/PublishManifest.h"
#include "support/FailureFolder.h"
#include "support/PhoneFixtures.h"
#include "support/PictureFixtures.h"
#include "support/TestUtil.h"

namespace {

using CliResult = ProgramResult;

CliResult RunCli(const std::vector<std::string>& args) {
  return RunProgram(AMBRELIN_BUILD_PATH, args, "1796656029");
}

// A JPEG decoded to RGB, with the markers in front of its first scan.
struct Decoded {
  int Width = 0;
  int Height = 0;
  std::vector<unsigned char> Rgb;
  std::vector<int> Markers;
  std::string Icc;
  // "R", "G", "B", "W" or "?" for the colour at a point.
  char ColourAt(double fx, double fy) const {
    const std::size_t at = (static_cast<std::size_t>(fy * Height) * Width + fx * Width) * 3;
    const int r = Rgb[at], g = Rgb[at + 1], b = Rgb[at + 2];
    if (r > 200 && g > 200 && b > 200) return 'W';
    if (r > 200 && g < 60 && b < 60) return 'R';
    if (g > 200 && r < 60 && b < 60) return 'G';
    if (b > 200 && r < 60 && g < 60) return 'B';
    return '?';
  }
  // The colours of the four quadrants: top left, top right, bottom left,
  // bottom right.
  std::string Quadrants() const {
    return {ColourAt(0.25, 0.25), ColourAt(0.75, 0.25), ColourAt(0.25, 0.75), ColourAt(0.75, 0.75)};
  }
};

struct DecodeErrors {
  jpeg_error_mgr Manager;
  std::jmp_buf Exit;
};

Decoded Decode(const std::string& jpeg) {
  Decoded d;
  jpeg_decompress_struct info;
  DecodeErrors errors;
  info.err = jpeg_std_error(&errors.Manager);
  errors.Manager.error_exit = [](j_common_ptr i) {
    std::longjmp(reinterpret_cast<DecodeErrors*>(i->err)->Exit, 1);
  };
  if (setjmp(errors.Exit)) {
    jpeg_destroy_decompress(&info);
    ADD_FAILURE() << "not a JPEG";
    return Decoded();
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
  for (int m = 0; m < 16; ++m) jpeg_save_markers(&info, JPEG_APP0 + m, 0xFFFF);
  jpeg_save_markers(&info, JPEG_COM, 0xFFFF);
  jpeg_read_header(&info, TRUE);
  for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next) d.Markers.push_back(m->marker);
  JOCTET* icc = nullptr;
  unsigned iccSize = 0;
  if (jpeg_read_icc_profile(&info, &icc, &iccSize))
    d.Icc.assign(reinterpret_cast<const char*>(icc), iccSize);
  std::free(icc);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  d.Width = static_cast<int>(info.output_width);
  d.Height = static_cast<int>(info.output_height);
  d.Rgb.resize(static_cast<std::size_t>(d.Width) * d.Height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = d.Rgb.data() + static_cast<std::size_t>(info.output_scanline) * d.Width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return d;
}

// The colours of an image's four quadrants, as Decoded::Quadrants gives them.
std::string QuadrantsOf(const QImage& image) {
  Decoded d;
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  d.Width = rgb.width();
  d.Height = rgb.height();
  for (int y = 0; y < d.Height; ++y)
    d.Rgb.insert(d.Rgb.end(), rgb.constScanLine(y), rgb.constScanLine(y) + d.Width * 3);
  return d.Quadrants();
}

std::vector<std::string> Names(const FolderState& state) {
  std::vector<std::string> names;
  for (const auto& [name, file] : state) names.push_back(name);
  return names;
}

}  // namespace

TEST(PublishTest, MixedFolderThenUnchangedThenPictureRemoved) {
  TempDir dir, outside;
  const std::string icc = MakeIccProfile(700);
  const std::string thumbnail = MakeQuadrantJpeg(160, 120, 70);
  // Stored sideways with orientation 6, GPS position, serial number,
  // embedded thumbnail and ICC profile: shrunk, turned and stripped.
  dir.Write("IMG_0001.JPG",
            WithCameraExif(WithIccProfile(MakeQuadrantJpeg(640, 480), icc), 6, thumbnail));
  // Small enough and upright: the compressed data kept, the EXIF block left out.
  const std::string small = WithIccProfile(MakeQuadrantJpeg(200, 150), icc);
  dir.Write("Small.JPG", WithCameraExif(small, 1));
  // Small enough but turned (whole MCU blocks): a lossless transform.
  dir.Write("Turned.jpeg", WithCameraExif(MakeQuadrantJpeg(160, 128), 8));
  // Turned by 180 degrees with partial MCU blocks: decoded and encoded.
  dir.Write("odd.jpg", WithCameraExif(MakeQuadrantJpeg(100, 75), 3));
  // The kinds browsers do not all show, or show far larger than needed.
  dir.Write("IMG_0001.HEIC", MakeHeic(400, 300, 6));  // its JPEG's name is taken
  dir.Write("Scan.TIFF", MakeTiff(400, 300));
  dir.Write("Pic.AVIF", MakeAvif(640, 480));
  dir.Write("Chat.WEBP", MakeWebP(300, 200));
  QImage see(64, 64, QImage::Format_ARGB32);
  see.fill(Qt::transparent);
  dir.Write("Sticker.webp", drawfx::EncodeWithQt(see, "webp", 100));
  dir.Write("Shot.PNG",
            drawfx::PngWithChunk(MakePng(200, 100), "tEXt", std::string("Comment\0SN-0042", 15)));
  // Two frames, looping, with a comment.
  const std::string gif = MakeGif(40, 30), frame = gif.substr(25, gif.size() - 26);
  dir.Write("Funny.GIF", gif.substr(0, 25) + "\x21\xFF\x0BNETSCAPE2.0\x03\x01" +
                             std::string("\0\0\0", 3) + "\x21\xFE\x07SN-0042" +
                             std::string(1, '\0') + frame + frame + ";");
  dir.Write("SCAN.BMP", MakeBmp(40, 30));
  dir.Write("Logo.ICO", MakeIcon());
  dir.Write("Chart.WMF", MakePlaceableWmf(0, 0, 1000, 500, 1000));
  dir.Write("Plan.EMF", MakeEmf());

  const std::string web = outside.File("web");  // made by the publish
  const auto publish = [&] {
    return RunCli({"--publish", web, "--max-size", "320", "--all-kinds", dir.Path()});
  };
  const CliResult r = publish();
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "Ambrelin created!\n" + dir.File("album.html") +
                       "\nPublished 15 pictures (15 made, 0 up to date) to " + web + "\n" + web +
                       "/album.html\n");

  const FolderState published = ReadFolderState(web);
  EXPECT_EQ(Names(published),
            (std::vector<std::string>{".ambrelin-publish", "album.html", "chart.png", "chat.jpg",
                                      "funny.gif", "img_0001.heic.jpg", "img_0001.jpg", "logo.png",
                                      "odd.jpg", "pic.jpg", "plan.png", "scan.jpg", "scan.png",
                                      "shot.png", "small.jpg", "sticker.png", "turned.jpeg"}));
  // Only the links to copies of another kind differ from the built page.
  EXPECT_EQ(published.at("album.html").Bytes,
            WithLinksTo(dir.Read("album.html"), {{"img_0001.heic", "img_0001.heic.jpg"},
                                                 {"scan.tiff", "scan.jpg"},
                                                 {"pic.avif", "pic.jpg"},
                                                 {"chat.webp", "chat.jpg"},
                                                 {"sticker.webp", "sticker.png"},
                                                 {"scan.bmp", "scan.png"},
                                                 {"logo.ico", "logo.png"},
                                                 {"chart.wmf", "chart.png"},
                                                 {"plan.emf", "plan.png"}}));
  EXPECT_EQ(published.at("small.jpg").Bytes, small);          // the source without its EXIF block
  const std::string loops = published.at("funny.gif").Bytes;  // both frames, no comment
  EXPECT_EQ(loops.find("SN-0042"), std::string::npos);
  EXPECT_NE(loops.find("NETSCAPE2.0"), std::string::npos);
  EXPECT_EQ(loops.size(), gif.size() + frame.size() + 19);

  // Every copy upright, in the page's shape, of a kind every browser shows.
  struct Expected {
    const char* Name;
    int Width, Height;
    const char* Quadrants;  // upright; "" where the picture has no quadrants
    bool Icc;
  };
  for (const Expected& e :
       {Expected{"img_0001.jpg", 240, 320, "BRWG", true},
        Expected{"small.jpg", 200, 150, "RGBW", true},
        Expected{"turned.jpeg", 128, 160, "GWRB", false},
        Expected{"odd.jpg", 100, 75, "WBGR", false},
        Expected{"img_0001.heic.jpg", 240, 320, "BRWG", false},
        Expected{"scan.jpg", 320, 240, "RGBW", false}, Expected{"pic.jpg", 320, 240, "RGBW", false},
        Expected{"chat.jpg", 300, 200, "RGBW", false}, Expected{"sticker.png", 64, 64, "", false},
        Expected{"shot.png", 200, 100, "RGBW", false}, Expected{"funny.gif", 40, 30, "RGBW", false},
        Expected{"scan.png", 40, 30, "", false},
        Expected{"logo.png", 16, 16, "", false},  // shown at 32 x 32
        Expected{"chart.png", 192, 96, "", false}, Expected{"plan.png", 192, 96, "", false}}) {
    SCOPED_TRACE(e.Name);
    const std::string& bytes = published.at(e.Name).Bytes;
    const std::string magic = bytes.substr(0, 4);
    EXPECT_TRUE(magic.starts_with("\xFF\xD8\xFF") || magic == "\x89PNG" || magic == "GIF8");
    const QImage shown = QImage::fromData(QByteArray::fromStdString(bytes));
    EXPECT_EQ(shown.size(), QSize(e.Width, e.Height));
    if (!magic.starts_with("\xFF\xD8")) {
      EXPECT_TRUE(*e.Quadrants == 0 || QuadrantsOf(shown) == e.Quadrants);
      continue;
    }
    const Decoded copy = Decode(bytes);
    EXPECT_EQ(copy.Quadrants(), e.Quadrants);
    EXPECT_EQ(copy.Icc, e.Icc ? icc : "");
    for (const int marker : copy.Markers)  // JFIF and the ICC profile only
      EXPECT_TRUE(marker == JPEG_APP0 || marker == JPEG_APP0 + 2) << marker;
  }
  EXPECT_EQ(QImage::fromData(QByteArray::fromStdString(published.at("sticker.png").Bytes))
                .pixelColor(8, 8)
                .alpha(),
            0);
  // What exiftool finds in the pictures is gone from every file published.
  const std::string tags = "exiftool -q -q -r -ext+ '*' -s -s -s -GPS:all -SerialNumber -Comment ";
  EXPECT_NE(RunProgram("sh", {"-c", tags + "'" + dir.Path() + "'"}, "0").Out, "");
  EXPECT_EQ(RunProgram("sh", {"-c", tags + "'" + web + "'"}, "0").Out, "");

  // Nothing changed: nothing made, nothing written.
  const CliResult again = publish();
  ASSERT_EQ(again.Status, 0) << again.Err;
  EXPECT_NE(again.Out.find("Published 15 pictures (0 made, 15 up to date) to "), std::string::npos);
  EXPECT_EQ(DescribeDifferences(published, ReadFolderState(web)), "");

  // A picture gone from the album goes from the published folder; a file
  // the publish did not make stays.
  std::filesystem::remove(dir.File("SCAN.BMP"));
  WriteFileBytes(web + "/notes.txt", "mine");
  const CliResult removed = publish();
  ASSERT_EQ(removed.Status, 0) << removed.Err;
  EXPECT_NE(removed.Out.find("Published 14 pictures (0 made, 14 up to date) to "),
            std::string::npos);
  const FolderState after = ReadFolderState(web);
  EXPECT_EQ(after.count("scan.png"), 0u);
  EXPECT_EQ(after.at("notes.txt").Bytes, "mine");
  EXPECT_EQ(after.size(), published.size());
}

// The manifest may lie in a shared or synced folder: an entry that names a
// path is left out, so a stale entry for it never makes publishing read,
// replace or remove a file outside the published folder. Names holding a
// tab or a line break are plain names when encoded, and only then.
TEST(PublishTest, ManifestEntriesNamingPathsReachNothingOutside) {
  TempDir dir, outside;
  const std::string web = outside.File("web");
  dir.Write("a.jpg", MakeJpeg(16, 16));
  dir.Write("album.html", "page\r\n");
  PublishRequest request;
  request.PictureDirectory = dir.Path();
  request.Pictures = {"a.jpg"};
  request.PageName = "album.html";
  request.Target = web;
  ASSERT_EQ(PublishAlbum(request).Made, 1);
  const std::string manifest = ReadFileBytes(web + "/" + PublishManifestName);

  const struct {
    std::string Field;  // the name as the manifest writes it
    std::string Kept;   // the copy's name when the entry is read, else ""
  } rows[] = {
      {"../x", ""},
      {outside.File("x"), ""},
      {"%2E%2E%2Fx", ""},
      {"..%2Fx", ""},
      {"..", ""},
      {".", ""},
      {"x%00", ""},
      {"a\tb.jpg", ""},       // a tab unencoded: not an entry
      {"a\nb.jpg", "b.jpg"},  // a line break unencoded: the next line names b.jpg
      {"a%09b.jpg", "a\tb.jpg"},
      {"a%0Ab.jpg", "a\nb.jpg"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Field);
    WriteFileBytes(outside.File("x"), "mine");
    const std::string stale = row.Field + "\tx\t4\t0\t0\t1\t4\n";
    WriteFileBytes(web + "/" + PublishManifestName, manifest + stale);
    if (!row.Kept.empty()) WriteFileBytes(web + "/" + row.Kept, "copy");
    const PublishManifest read = ParsePublishManifest(manifest + stale);
    EXPECT_EQ(read.Copies.size(), row.Kept.empty() ? 1u : 2u);

    const PublishResult result = PublishAlbum(request);
    EXPECT_EQ(result.UpToDate, 1);
    EXPECT_EQ(ReadFileBytes(outside.File("x")), "mine");
    EXPECT_EQ(result.Removed, row.Kept.empty() ? 0 : 1);
    EXPECT_FALSE(!row.Kept.empty() && std::filesystem::exists(web + "/" + row.Kept));
    EXPECT_EQ(ReadFileBytes(web + "/" + PublishManifestName), manifest);
  }
}

namespace {

// Sets or clears the immutable flag of a folder and its files: not even
// root may then change them. False where the file system or the process
// cannot.
bool SetImmutable(const std::string& folder, bool on) {
  const std::string command = std::string("chattr -R ") + (on ? "+i '" : "-i '") + folder + "'";
  return std::system((command + " 2>/dev/null").c_str()) == 0;
}

// Publishing where something of the user's could be lost. Each row
// arranges the picture folder (DSC_0001.JPG and b.bmp) and the published
// folder ($WEB), and says how the publish ends; the picture folder is never
// changed, and the published folder only where the publish succeeded.
struct SafetyRow {
  const char* Name;
  std::function<void(const TempDir& pictures, const std::string& web)> Arrange;
  bool ReadOnlyPictures;
  int Status;
  std::string Out, Err;  // with $WEB and $PICTURES for the folders
};

class PublishSafetyTest : public ::testing::TestWithParam<SafetyRow> {};

TEST_P(PublishSafetyTest, LosesNothingOfTheUsers) {
  const SafetyRow& row = GetParam();
  TempDir pictures, outside;
  const std::string web = outside.File("web");
  pictures.Write("DSC_0001.JPG", MakeJpeg(64, 48));
  pictures.Write("b.bmp", MakeBmp(8, 6));
  row.Arrange(pictures, web);
  const FolderState picturesBefore = ReadFolderState(pictures.Path());
  const FolderState webBefore = ReadFolderState(web);
  if (row.ReadOnlyPictures && !SetImmutable(pictures.Path(), true)) {
    SetImmutable(pictures.Path(), false);
    GTEST_SKIP() << "the picture folder cannot be made immutable here";
  }
  const CliResult r = RunCli({"--publish", web, pictures.Path()});
  if (row.ReadOnlyPictures) SetImmutable(pictures.Path(), false);
  auto placed = [&](std::string text) {
    for (const auto& [name, path] : {std::pair{"$WEB", web}, {"$PICTURES", pictures.Path()}})
      for (std::size_t at; (at = text.find(name)) != std::string::npos;)
        text.replace(at, std::string(name).size(), path);
    return text;
  };
  EXPECT_EQ(r.Status, row.Status);
  EXPECT_EQ(r.Out, placed(row.Out));
  EXPECT_EQ(r.Err.substr(0, r.Err.find("Usage: ")), placed(row.Err));
  EXPECT_EQ(DescribeDifferences(picturesBefore, ReadFolderState(pictures.Path())), "");
  if (r.Status != 0) {
    EXPECT_EQ(DescribeDifferences(webBefore, ReadFolderState(web)), "");
    return;
  }
  // Published from memory: the page a writable copy of the folder builds.
  TempDir copy;
  CopyFolder(pictures.Path(), copy.Path());
  ASSERT_EQ(RunCli({copy.Path()}).Status, 0);
  EXPECT_EQ(ReadFileBytes(web + "/album.html"),
            WithLinksTo(copy.Read("album.html"), {{"b.bmp", "b.png"}}));
}

const std::string Mine = "<HTML>\r\n<!--INC TN.INC -->\r\n<!--INC DLM.INC -->\r\n</HTML>\r\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, PublishSafetyTest,
    ::testing::Values(
        SafetyRow{"StrangersFilesUnderNeededNames",
                  [](const TempDir&, const std::string& web) {
                    std::filesystem::create_directory(web);
                    WriteFileBytes(web + "/dsc_0001.jpg", "the user's own picture");
                    WriteFileBytes(web + "/album.html", "a hand-written page");
                    WriteFileBytes(web + "/b.jpg", "not needed");
                  },
                  false, 1, "",
                  "$WEB: Nothing was published, so as not to replace files that publishing did "
                  "not make: dsc_0001.jpg, album.html.\n"},
        SafetyRow{
            "ReadOnlyPictureFolderWithItsOwnTemplate",
            [](const TempDir& pictures, const std::string&) { pictures.Write("album.SRC", Mine); },
            true, 0, "Published 2 pictures (2 made, 0 up to date) to $WEB\n$WEB/album.html\n",
            "ambrelin-build: note: $PICTURES: the picture folder cannot be written; the "
            "album was built in memory and the folder left as it was\n"
            "ambrelin-build: warning: $PICTURES: 1 picture has capital letters in its name, and "
            "the page links it in lower case, which this folder does not find: DSC_0001.JPG "
            "(--lowercase-names renames it)\n"},
        SafetyRow{"TargetIsAFile",
                  [](const TempDir&, const std::string& web) { WriteFileBytes(web, "a file"); },
                  false, 2, "", "ambrelin-build: $WEB: DIR is not a folder\n"}),
    [](const ::testing::TestParamInfo<SafetyRow>& info) { return std::string(info.param.Name); });

}  // namespace
