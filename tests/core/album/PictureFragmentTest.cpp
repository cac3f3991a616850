#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/folder/DescriptionFile.h"
#include "core/platform/Errors.h"
#include "support/AlbumTestSupport.h"
#include "support/PictureFixtures.h"

using Box = RecordingMessageBoxes::Box;

TEST(PictureFragmentTest, FittingIntoTheDisplayBounds) {
  struct Case {
    int w, h, fw, fh;
  } cases[] = {
      {1024, 768, 533, 400},
      {600, 900, 266, 400},
      {300, 200, 300, 200},
      {2000, 500, 768, 192},
      {800, 410, 768, 393},
      {769, 400, 768, 399},
      {768, 401, 766, 400},
      {768, 400, 768, 400},
      {100, 1000, 40, 400},
      {0, 0, 0, 0},
      // H x 768 exceeds 32 bits: the result is still the true quotient.
      {10000, 3000000, 1, 400},
      // A side never rounds down to 0: the picture stays visible.
      {65500, 1, 768, 1},
      {1, 65500, 1, 400},
  };
  for (const auto& c : cases) {
    const DisplaySize size = FitDisplaySize(c.w, c.h);
    EXPECT_EQ(size.Width, c.fw) << c.w << "x" << c.h;
    EXPECT_EQ(size.Height, c.fh) << c.w << "x" << c.h;
  }
}

namespace {
// The three-picture folder: A.JPG 1024 x 768 "Harbour at dawn", b.jpg
// 600 x 900 without description, c.jpg 300 x 200 "Bridge".
void MakeThreePictureFolder(AlbumFixture& f) {
  f.Dir.Write("A.JPG", MakeJpeg(1024, 768));
  f.Dir.Write("b.jpg", MakeJpeg(600, 900));
  f.Dir.Write("c.jpg", MakeJpeg(300, 200));
  f.UseTable({"A.JPG", "b.jpg", "c.jpg"});
  f.Table.Entries[0].SetDescription("Harbour at dawn");
  f.Table.Entries[2].SetDescription("Bridge");
  SaveDescriptions(f.Table, DescriptionFilePath(f.Dir.Path()), "Bridge", 3);
}

TextLines ThreePictureLines(bool withNames) {
  TextLines lines = {
      "<!-- Pictures start here -->",
      "<Font size=3>",
      "<A Name=AMB3></A>",
      "<Center><H3>a.jpg</H3></Center>",
      "<A HRef=a.jpg>",
      "  <Center><IMG src=a.jpg Width=533 Height=400></Center></A>",
      "<Center>Harbour at dawn</Center>",
      "<HR>",
      "<A Name=AMB2></A>",
      "<Center><H3>b.jpg</H3></Center>",
      "<A HRef=b.jpg>",
      "<IMG align=left src=b.jpg Width=266 Height=400></A>",
      "<Center></Center>",
      "<BR Clear = Left>",
      "<HR>",
      "<A Name=AMB1></A>",
      "<Center><H3>c.jpg</H3></Center>",
      "<A HRef=c.jpg>",
      "  <Center><IMG src=c.jpg Width=300 Height=200></Center></A>",
      "<Center>Bridge</Center>",
      "<HR>",
      "</TABLE>",
      "</P>",
  };
  if (!withNames)
    std::erase_if(lines, [](const std::string& l) { return l.find("<H3>") != std::string::npos; });
  return lines;
}
}  // namespace

TEST(PictureFragmentTest, ThreePicturesWithAndWithoutNames) {
  for (const bool withNames : {true, false}) {
    AlbumFixture f;
    MakeThreePictureFolder(f);
    f.Input.IncludeFileNames = withNames;
    BuildPictureFragment(f.State, f.Input, f.Env);
    EXPECT_EQ(f.State.PictureLines, ThreePictureLines(withNames));
    EXPECT_EQ(f.State.PictureLines.size(), withNames ? 23u : 20u);
    EXPECT_EQ(f.Dir.Read("Pics.INC"), CrLf(ThreePictureLines(withNames)));
  }
}

// The description line is written whole, so its "</Center>" always closes
// the centring, also for the longest descriptions and their references.
TEST(PictureFragmentTest, SquareIsLandscapeAndLongDescriptionLinesAreWhole) {
  const std::string e = "\xC3\xA9";  // é, two bytes
  std::string accented;
  for (int i = 0; i < 127; ++i) accented += e;
  std::string references;
  for (int i = 0; i < 127; ++i) references += "&#233;";
  const struct {
    std::string Description, Line;
  } rows[] = {
      {std::string(238, 'd'), "<Center>" + std::string(238, 'd') + "</Center>"},
      {std::string(255, 'd'), "<Center>" + std::string(255, 'd') + "</Center>"},
      {accented + "x", "<Center>" + references + "x</Center>"},
  };
  for (const auto& row : rows) {
    AlbumFixture f;
    f.Dir.Write("sq.jpg", MakeJpeg(500, 500));
    f.UseTable({"sq.jpg"});
    f.Table.Entries[0].SetDescription(row.Description);
    BuildPictureFragment(f.State, f.Input, f.Env);
    EXPECT_EQ(f.State.PictureLines[5],
              "  <Center><IMG src=sq.jpg Width=400 Height=400></Center></A>");
    EXPECT_EQ(f.State.PictureLines[6], row.Line);
    EXPECT_EQ(f.State.PictureLines.size(), 10u);  // no <BR Clear = Left>
  }
}

// Sized as browsers show it: EXIF orientation 6 turns the stored 640 x 480
// into a portrait, 3 (upside down) keeps the landscape.
TEST(PictureFragmentTest, RotatedPicturesAreSizedAsShown) {
  for (const int orientation : {6, 3}) {
    AlbumFixture f;
    f.Dir.Write("rot.jpg", WithExif(MakeJpeg(640, 480), orientation));
    f.UseTable({"rot.jpg"});
    BuildPictureFragment(f.State, f.Input, f.Env);
    const bool portrait = orientation == 6;
    EXPECT_EQ(f.State.PictureLines[5],
              portrait ? "<IMG align=left src=rot.jpg Width=300 Height=400></A>"
                       : "  <Center><IMG src=rot.jpg Width=533 Height=400></Center></A>");
    EXPECT_EQ(f.State.PictureLines[7], portrait ? "<BR Clear = Left>" : "<HR>");
  }
}

TEST(PictureFragmentTest, NoPicturesOpenNothing) {
  AlbumFixture f;
  f.UseTable({});
  BuildPictureFragment(f.State, f.Input, f.Env);
  EXPECT_EQ(f.State.PictureLines,
            (TextLines{"<!-- Pictures start here -->", "<Font size=3>", "</TABLE>", "</P>"}));
}

TEST(PictureFragmentTest, OddNamesAreEncodedInUrlsAndEscapedInHeadings) {
  AlbumFixture f;
  f.Dir.Write("My #1 <Pic>.JPG", MakeJpeg(40, 30));
  f.UseTable({"My #1 <Pic>.JPG"});
  BuildPictureFragment(f.State, f.Input, f.Env);
  EXPECT_EQ(f.State.PictureLines[3], "<Center><H3>my #1 &lt;pic&gt;.jpg</H3></Center>");
  EXPECT_EQ(f.State.PictureLines[4], "<A HRef=my%20%231%20%3Cpic%3E.jpg>");
}

TEST(AlbumBuildTest, WholeThreePictureAlbumGivesTheSixtyFourLinePage) {
  AlbumFixture f;
  MakeThreePictureFolder(f);
  f.Input.PictureFiles = {"A.JPG", "b.jpg", "c.jpg"};
  ASSERT_TRUE(CreateAlbum(f.State, f.Input, f.Env));
  EXPECT_EQ(f.Messages.Boxes, (std::vector<Box>{{Box::Plain, "Ambrelin created!"}}));
  EXPECT_EQ(f.Input.IndexName, "album");
  const TextLines page = SplitTextLines(f.Dir.Read("album.html"));
  ASSERT_EQ(page.size(), 64u);
  const TextLines templateLines = DefaultTemplateLines("Holiday", f.Version);
  TextLines expected(templateLines.begin(), templateLines.begin() + 11);
  const TextLines& thumbs = f.State.ThumbnailLines;
  expected.insert(expected.end(), thumbs.begin(), thumbs.end());
  expected.push_back("");
  const TextLines pictures = ThreePictureLines(true);
  expected.insert(expected.end(), pictures.begin(), pictures.end());
  expected.insert(expected.end(), {"", "<!--INC Email.INC -->", "", "<Font size=1>",
                                   "Page created using Ambrelin by Orvane, vers 3.1, on 12/7/2026 "
                                   "at 3:07:09 PM.<BR>",
                                   "</Font>", "", "</Body>", "</HTML>"});
  EXPECT_EQ(page, expected);
  EXPECT_EQ(f.Dir.Read("album.html"), CrLf(expected));

  f.Dir.Write("email.inc", "<A HRef=mailto:me>me</A>\r\nline two\r\n");
  f.Messages.Boxes.clear();
  f.Input.IndexName = "album.html";
  ASSERT_TRUE(CreateAlbum(f.State, f.Input, f.Env));
  EXPECT_EQ(SplitTextLines(f.Dir.Read("album.html")).size(), 65u);
}

TEST(AlbumBuildTest, DamagedSecondPictureEndsTheBuildKeepingPreviousFiles) {
  AlbumFixture f;
  MakeThreePictureFolder(f);
  f.Dir.Write("Pics.INC", "previous\r\n");
  f.Dir.Write("b.jpg", MakeBmp(10, 10));  // not a JPEG inside
  try {
    CreateAlbum(f.State, f.Input, f.Env);
    FAIL() << "no error";
  } catch (const EJPEG& e) {
    EXPECT_EQ(e.ClassName(), "EJPEG");
    // The box's first line as before; the picture named as on disk.
    EXPECT_EQ(ErrorBoxText(e), "JPEG error #53.\n" + f.Dir.File("b.jpg"));
    EXPECT_EQ(ErrorLine(e), f.Dir.File("b.jpg") + ": JPEG error #53.");
  }
  EXPECT_EQ(f.Dir.Read("Pics.INC"), "previous\r\n");
  EXPECT_TRUE(f.Dir.Exists("TN.INC"));
  EXPECT_FALSE(f.Dir.Exists("album.html"));
  EXPECT_TRUE(f.Messages.Boxes.empty());
}

TEST(AlbumBuildTest, TruncatedDescriptionFileStopsTheBuild) {
  AlbumFixture f;
  MakeThreePictureFolder(f);
  f.Dir.Write("!.KVD", f.Dir.Read("!.KVD") + "xx");
  EXPECT_THROW(CreateAlbum(f.State, f.Input, f.Env), EInOutError);
  EXPECT_FALSE(f.Dir.Exists("album.SRC"));
}
