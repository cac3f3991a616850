// ambrelin-build run as a separate process on generated folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/folder/ImageTable.h"
#include "core/platform/TextFile.h"
#include "support/PhoneFixtures.h"
#include "support/PictureFixtures.h"
#include "support/TestUtil.h"

namespace {
using CliResult = ProgramResult;

CliResult RunCli(const std::vector<std::string>& args, const std::string& epoch = "1796656029") {
  return RunProgram(AMBRELIN_BUILD_PATH, args, epoch);
}

std::string Record(const std::string& name, const std::string& description) {
  PictureEntry entry;
  entry.SetName(name);
  entry.SetDescription(description);
  return std::string(reinterpret_cast<const char*>(&entry), sizeof entry);
}

void MakeThreePictureFolder(const TempDir& dir) {
  dir.Write("A.JPG", MakeJpeg(1024, 768));
  dir.Write("b.jpg", MakeJpeg(600, 900));
  dir.Write("c.jpg", MakeJpeg(300, 200));
  dir.Write("notes.txt", "not a picture");
  dir.Write("!.KVD", Record("a.jpg", "Harbour at dawn") + Record("C.JPG", "Bridge"));
}
}  // namespace

TEST(BuildCommandTest, ThreePictureFolderBuildsTheWholeAlbum) {
  TempDir dir;
  MakeThreePictureFolder(dir);
  const CliResult r = RunCli({"--title", "Holiday", dir.Path()});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "Ambrelin created!\n" + dir.File("album.html") + "\n");
  EXPECT_EQ(r.Err, "ambrelin-build: warning: " + dir.Path() +
                       ": 1 picture has capital letters in its name, and the page links it in "
                       "lower case, which this folder does not find: A.JPG (--lowercase-names "
                       "renames it)\n");
  const TextLines page = SplitTextLines(dir.Read("album.html"));
  ASSERT_EQ(page.size(), 64u);
  EXPECT_EQ(page[4], "<Title>Holiday</Title>");
  EXPECT_EQ(page[16], "        <IMG width=75 align=left  src=a.jpg Border=0></A>");
  EXPECT_EQ(page[38], "<Center>Harbour at dawn</Center>");
  EXPECT_EQ(page[59],
            "Page created using Ambrelin by Orvane, vers 3.1, on 12/7/2026 at 3:07:09 PM.<BR>");
  std::string thumbnails =
      "<!-- Thumbnails start here -->\r\n<Table Border=2 Align=Center>\r\n  <TR>\r\n";
  for (const auto& [n, name] : {std::pair{3, "a.jpg"}, {2, "b.jpg"}, {1, "c.jpg"}})
    thumbnails += std::string("    <TD Align=Center>\r\n      <A HRef=#AMB") + std::to_string(n) +
                  ">\r\n        <IMG width=75 align=left  src=" + name +
                  " Border=0></A>\r\n      <BR><Small>" + name + "</small>\r\n    </TD>\r\n";
  thumbnails += "</TABLE>\r\n</P>\r\n";
  EXPECT_EQ(dir.Read("TN.INC"), thumbnails);
  EXPECT_EQ(SplitTextLines(dir.Read("Pics.INC")).size(), 23u);
  EXPECT_EQ(SplitTextLines(dir.Read("DLM.INC")).size(), 3u);
  EXPECT_EQ(SplitTextLines(dir.Read("album.SRC")).size(), 21u);
  EXPECT_EQ(dir.Read("AmbrelinDir.INI"),
            "[Options]\r\nWebPageTitle=Holiday\r\nFileName=album\r\nPicHeadings=1\r\n");

  // A second build with a new title keeps the user's template.
  const std::string templateBefore = dir.Read("album.SRC");
  const CliResult again = RunCli({"--title", "Trip", "--no-filenames", dir.Path()});
  ASSERT_EQ(again.Status, 0) << again.Err;
  EXPECT_EQ(dir.Read("album.SRC"), templateBefore);
  EXPECT_EQ(SplitTextLines(dir.Read("album.html"))[4], "<Title>Holiday</Title>");
  EXPECT_EQ(dir.Read("AmbrelinDir.INI"),
            "[Options]\r\nWebPageTitle=Trip\r\nFileName=album\r\nPicHeadings=0\r\n");
}

// On a file system that tells letter case apart (the test's temporary
// folder), the page's lower-cased links miss pictures with capitals.
TEST(BuildCommandTest, CapitalLettersAreReportedAndRenamedOnRequest) {
  TempDir dir;
  dir.Write("DSC_0001.JPG", MakeJpeg(40, 30));
  dir.Write("IMG_0002.JPG", MakeJpeg(30, 40));
  dir.Write("img_0002.jpg", MakeJpeg(20, 20));  // takes IMG_0002.JPG's link
  dir.Write("!.KVD", Record("DSC_0001.JPG", "First") + Record("gone.jpg", "Sea"));
  const std::string warning = "ambrelin-build: warning: " + dir.Path() + ": ";
  const CliResult plain = RunCli({"--title", "Holiday", dir.Path()});
  EXPECT_EQ(plain.Err, warning +
                           "2 pictures have capital letters in their names, and the page links "
                           "them in lower case, which this folder does not find: DSC_0001.JPG, "
                           "IMG_0002.JPG (--lowercase-names renames them)\n");
  const std::string pageBefore = dir.Read("album.html");
  const CliResult renamed = RunCli({"--lowercase-names", dir.Path()});
  EXPECT_EQ(renamed.Status, 0);
  EXPECT_EQ(renamed.Err, warning +
                             "1 picture was not renamed, and the page does not find it: "
                             "IMG_0002.JPG (another file has that name)\n");
  EXPECT_FALSE(dir.Exists("DSC_0001.JPG"));
  EXPECT_EQ(dir.Read("dsc_0001.jpg") + dir.Read("IMG_0002.JPG") + dir.Read("img_0002.jpg"),
            MakeJpeg(40, 30) + MakeJpeg(30, 40) + MakeJpeg(20, 20));
  EXPECT_EQ(dir.Read("!.KVD"), Record("dsc_0001.jpg", "First") + Record("gone.jpg", "Sea"));
  EXPECT_EQ(dir.Read("album.html"), pageBefore);  // the links were lower-case already
}

// However many pictures the page misses, one line names the first five.
TEST(BuildCommandTest, ThousandCameraNamesGiveOneWarningLine) {
  TempDir dir;
  const std::string jpeg = MakeJpeg(8, 8);
  std::string names;
  for (int i = 1; i <= 1000; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "DSC_%04d.JPG", i);
    dir.Write(name, jpeg);
    if (i <= 5) names += (i > 1 ? ", " : "") + std::string(name);
  }
  const CliResult r = RunCli({dir.Path()});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Err, "ambrelin-build: warning: " + dir.Path() +
                       ": 1000 pictures have capital letters in their names, and the page links "
                       "them in lower case, which this folder does not find: " +
                       names + " and 995 more (--lowercase-names renames them)\n");
}

TEST(BuildCommandTest, ReproducibleWithTheSameSourceDateEpoch) {
  TempDir dir;
  MakeThreePictureFolder(dir);
  ASSERT_EQ(RunCli({dir.Path()}).Status, 0);
  const std::string first = dir.Read("album.html");
  ASSERT_EQ(RunCli({dir.Path()}).Status, 0);
  EXPECT_EQ(dir.Read("album.html"), first);
  ASSERT_EQ(RunCli({dir.Path()}, "1796742429").Status, 0);  // a day later
  EXPECT_NE(dir.Read("album.html"), first);
}

TEST(BuildCommandTest, RefusedInputAndFailures) {
  TempDir dir;
  MakeThreePictureFolder(dir);
  const CliResult empty = RunCli({"--title", "  ", dir.Path()});
  EXPECT_EQ(empty.Status, 2);
  EXPECT_EQ(empty.Err, "The web page title is missing!\n");
  EXPECT_FALSE(dir.Exists("album.SRC"));
  EXPECT_FALSE(dir.Exists("AmbrelinDir.INI"));

  const CliResult both = RunCli({"--title", "", "--index", "", dir.Path()});
  EXPECT_EQ(both.Status, 2);
  EXPECT_EQ(both.Err, "The web page title is missing!\nThe index file name is missing!\n");

  TempDir damaged;
  damaged.Write("a.jpg", MakeJpeg(20, 20));
  damaged.Write("b.ico", MakeIcon(2));
  const CliResult bad = RunCli({damaged.Path(), dir.Path()});
  EXPECT_EQ(bad.Status, 1);
  EXPECT_EQ(bad.Err, damaged.File("b.ico") +
                         ": Icon image is not valid.\nambrelin-build: warning: " + dir.Path() +
                         ": 1 picture has capital letters in its name, and the page links it in "
                         "lower case, which this folder does not find: A.JPG (--lowercase-names "
                         "renames it)\n");
  EXPECT_FALSE(damaged.Exists("album.html"));
  EXPECT_TRUE(dir.Exists("album.html"));  // the next folder is still built

  // Every error line starts with the path it is about.
  const CliResult missing = RunCli({dir.File("no-such-folder")});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Err, dir.File("no-such-folder") + ": File not found.\n");
  TempDir readOnly;
  readOnly.Write("a.jpg", MakeJpeg(20, 20));
  chmod(readOnly.Path().c_str(), 0555);  // no write bits: refused to root too
  const CliResult unwritable = RunCli({readOnly.Path()});
  EXPECT_EQ(unwritable.Status, 1);
  EXPECT_EQ(unwritable.Err, readOnly.Path() + ": Cannot create file album.SRC.\n");
}

// A folder copied from a phone: by default only the JPEG is on the page and
// one line tells what was left out; with --all-kinds every picture is, at
// the size browsers show it (the HEIC grid and the AVIF turned upright),
// and the folder remembers the option.
TEST(BuildCommandTest, PhoneFolderTakesInAllKindsOnRequest) {
  TempDir dir;
  dir.Write("img_0001.jpg", MakeJpeg(1024, 768));
  dir.Write("img_0002.heic", MakeHeicGrid(1000, 600, 512, 3));
  dir.Write("img_0003.avif", MakeAvif(640, 480, 1));
  dir.Write("sticker.webp", MakeWebP(512, 512));
  dir.Write("screenshot.png", MakePng(390, 844));
  dir.Write("funny.gif", MakeGif(480, 270));
  dir.Write("scan.tif", MakeTiff(425, 550));
  dir.Write("img_0002.mov", "a Live Photo's video");
  const auto pictureLines = [&] {
    TextLines lines;
    for (const std::string& line : SplitTextLines(dir.Read("Pics.INC")))
      if (line.find("<IMG") != std::string::npos) lines.push_back(line);
    return lines;
  };
  const std::string options =
      "[Options]\r\nWebPageTitle=Phone\r\nFileName=album\r\nPicHeadings=1\r\n";

  const CliResult plain = RunCli({"--title", "Phone", dir.Path()});
  ASSERT_EQ(plain.Status, 0) << plain.Err;
  EXPECT_EQ(plain.Err, "ambrelin-build: note: " + dir.Path() +
                           ": 6 more pictures not in the album: HEIC 1, AVIF 1, WebP 1, PNG 1, "
                           "GIF 1, TIFF 1 (--all-kinds takes them in)\n");
  EXPECT_EQ(pictureLines(),
            TextLines{"  <Center><IMG src=img_0001.jpg Width=533 Height=400></Center></A>"});
  EXPECT_EQ(dir.Read("AmbrelinDir.INI"), options);

  const CliResult all = RunCli({"--all-kinds", dir.Path()});
  ASSERT_EQ(all.Status, 0) << all.Err;
  EXPECT_EQ(all.Err, "ambrelin-build: note: " + dir.Path() +
                         ": HEIC 1, TIFF 1 only in Safari (--publish DIR makes copies that every "
                         "browser shows)\n");
  const TextLines seven = {"  <Center><IMG src=funny.gif Width=480 Height=270></Center></A>",
                           "  <Center><IMG src=img_0001.jpg Width=533 Height=400></Center></A>",
                           "<IMG align=left src=img_0002.heic Width=240 Height=400></A>",
                           "<IMG align=left src=img_0003.avif Width=300 Height=400></A>",
                           "<IMG align=left src=scan.tif Width=309 Height=400></A>",
                           "<IMG align=left src=screenshot.png Width=184 Height=400></A>",
                           "  <Center><IMG src=sticker.webp Width=400 Height=400></Center></A>"};
  EXPECT_EQ(pictureLines(), seven);
  EXPECT_EQ(dir.Read("AmbrelinDir.INI"), options + "AllPictureKinds=1\r\n");

  ASSERT_EQ(RunCli({dir.Path()}).Status, 0);  // the folder's option holds
  EXPECT_EQ(pictureLines(), seven);
  const CliResult published = RunCli({"--publish", dir.Path() + "-web", dir.Path()});
  EXPECT_EQ(published.Status, 0) << published.Err;
  EXPECT_EQ(ReadFileBytes(dir.Path() + "-web/img_0002.jpg").substr(0, 3), "\xFF\xD8\xFF");
  std::filesystem::remove_all(dir.Path() + "-web");
  ASSERT_EQ(RunCli({"--no-all-kinds", dir.Path()}).Status, 0);
  EXPECT_EQ(pictureLines().size(), 1u);
  EXPECT_EQ(dir.Read("AmbrelinDir.INI"), options + "AllPictureKinds=0\r\n");

  dir.Write("zz.heic", MakeHeic(64, 48).substr(0, 30));  // damaged: named in its error
  EXPECT_EQ(RunCli({"--all-kinds", dir.Path()}).Err,
            dir.File("zz.heic") + ": Stream read error.\n");
}

TEST(BuildCommandTest, CommandLineErrorsAndHelp) {
  EXPECT_EQ(RunCli({}).Status, 2);
  EXPECT_EQ(RunCli({"--bogus", "x"}).Status, 2);
  EXPECT_EQ(RunCli({"--title"}).Status, 2);
  // Publishing: one FOLDER, DIR a folder outside it, a size of 0 to 65535
  // pixels; refused before anything is built.
  TempDir dir;
  dir.Write("a.jpg", MakeJpeg(20, 20));
  const std::string web = dir.Path() + "-web";
  TempDir other;
  other.Write("web", "a file, not a folder");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--publish", web},
                                             {"--publish", web, dir.Path(), dir.Path()},
                                             {"--publish", dir.Path(), dir.Path()},
                                             {"--publish", dir.File("web"), dir.Path()},
                                             {"--publish", dir.Path() + "/./web/../", dir.Path()},
                                             {"--publish", other.File("web"), dir.Path()},
                                             {"--publish=", dir.Path()},
                                             {"--max-size", "100", dir.Path()},
                                             {"--publish", web, "--max-size", "-1", dir.Path()},
                                             {"--publish", web, "--max-size=65536", dir.Path()},
                                             {"--publish", web, "--max-size", "12px", dir.Path()},
                                             {dir.Path(), "--publish"}}) {
    const CliResult wrong = RunCli(args);
    EXPECT_EQ(wrong.Status, 2) << args[0] << " " << args[1];
    EXPECT_NE(wrong.Err.find("Usage: ambrelin-build"), std::string::npos);
  }
  EXPECT_FALSE(dir.Exists("album.html"));
  EXPECT_FALSE(dir.Exists("web"));
  const CliResult help = RunCli({"--help"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_NE(help.Out.find("Usage: ambrelin-build"), std::string::npos);
  const CliResult version = RunCli({"--version", "--bogus"});
  EXPECT_EQ(version.Status, 0);
  EXPECT_EQ(version.Out, "ambrelin-build " AMBRELIN_PROJECT_VERSION "\n");  // as the package says
}
