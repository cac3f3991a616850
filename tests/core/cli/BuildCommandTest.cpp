// ambrelin-build run as a separate process on generated folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "core/folder/ImageTable.h"
#include "core/platform/TextFile.h"
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
