// The editor's procedures that need no window: fitting a picture into the
// picture area, preparing a rename, the texts of a failed rename.
#include <gtest/gtest.h>

#include <string>

#include "core/editor/PicDescState.h"

namespace {

struct FitCase {
  int W, H;
  FittedSize Expected;
};

class PicDescFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(PicDescFitTest, FitsIntoFiveHundredByFiveHundred) {
  const FitCase& c = GetParam();
  EXPECT_EQ(FitPicture(c.W, c.H), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PicDescFitTest,
    ::testing::Values(FitCase{400, 300, {400, 300, false}}, FitCase{500, 500, {500, 500, false}},
                      FitCase{1024, 768, {500, 375, true}}, FitCase{800, 1000, {400, 500, true}},
                      FitCase{300, 900, {166, 500, true}}, FitCase{501, 10, {500, 9, true}},
                      FitCase{10, 501, {9, 500, true}}, FitCase{0, 0, {0, 0, false}},
                      FitCase{32, 32, {32, 32, false}},
                      // Products beyond 32 bits: the header of a huge picture.
                      FitCase{2000000000, 1000000000, {500, 250, true}},
                      FitCase{1000000, 2000000000, {0, 500, true}}),
    [](const ::testing::TestParamInfo<FitCase>& info) {
      return "Size" + std::to_string(info.param.W) + "x" + std::to_string(info.param.H);
    });

struct RenameCase {
  const char* Name;
  const char* Current;
  const char* Typed;
  bool Pending;
  const char* NewName;
};

class PicDescPrepareRenameTest : public ::testing::TestWithParam<RenameCase> {};

TEST_P(PicDescPrepareRenameTest, PreparesTheNewNameAndPaths) {
  const RenameCase& c = GetParam();
  PicDescState state;
  PrepareRename(state, "/pics", c.Current, c.Typed);
  EXPECT_EQ(state.RenamePending, c.Pending);
  EXPECT_EQ(state.RenameFromPath, std::string("/pics/") + c.Current);
  EXPECT_EQ(state.RenameToName, c.NewName);
  EXPECT_EQ(state.RenameToPath, std::string("/pics/") + c.NewName);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PicDescPrepareRenameTest,
    ::testing::Values(
        RenameCase{"TypedWithoutExtension", "photo.jpg", "beach", true, "beach.JPG"},
        RenameCase{"TypedLowerCaseExtension", "photo.jpg", "beach.jpg", true, "beach.jpg"},
        RenameCase{"TypedOtherExtension", "photo.jpg", "beach.jpeg", true, "beach.jpeg.JPG"},
        RenameCase{"TypedUpperCase", "photo.jpg", "BEACH.JPG", true, "BEACH.JPG"},
        RenameCase{"TypedEmpty", "photo.jpg", "", true, ".JPG"},
        RenameCase{"TypedShorterThanFour", "photo.jpg", "pg", true, "pg.JPG"},  // shorter than four
        RenameCase{"UpperCaseExtension", "photo.JPG", "beach", true, "beach.JPG"},
        RenameCase{"Bitmap", "photo.bmp", "beach", true, "beach.BMP"},
        RenameCase{"JpegLongExtension", "photo.jpeg", "beach", true, "beach"},
        RenameCase{"Icon", "photo.ico", "beach", true, "beach"},
        RenameCase{"EnhancedMetafile", "photo.emf", "beach.jpg", true, "beach.jpg"},
        RenameCase{"WindowsMetafileEmpty", "photo.wmf", "", true, ""},
        // Unchanged, or changed in letter case only: nothing to do.
        RenameCase{"Unchanged", "photo.jpg", "photo.jpg", false, "photo.jpg"},
        RenameCase{"CaseOnly", "photo.jpg", "PHOTO.JPG", false, "PHOTO.JPG"},
        RenameCase{"CaseOnlyWithoutExtension", "photo.jpg", "Photo", false, "Photo.JPG"},
        RenameCase{"CaseOnlyLongExtension", "photo.jpeg", "PHOTO.jpeg", false, "PHOTO.jpeg"},
        // Only ASCII letters change case: ä and Ä are different names.
        RenameCase{"NonAsciiLettersDiffer", "bäume.jpeg", "BÄUME.JPEG", true, "BÄUME.JPEG"}),
    [](const ::testing::TestParamInfo<RenameCase>& info) { return std::string(info.param.Name); });

TEST(PicDescPrepareRenameTest, PreparingAgainReplacesTheEarlierRename) {
  PicDescState state;
  PrepareRename(state, "/pics", "photo.jpg", "beach");
  EXPECT_TRUE(state.RenamePending);
  PrepareRename(state, "/pics", "photo.jpg", "photo.jpg");  // the old name restored
  EXPECT_FALSE(state.RenamePending);
}

TEST(PicDescPlainFileNameTest, OnlyNamesOfTheFolderItselfArePlain) {
  for (const char* name : {"beach.JPG", "a b.jpg", "a...", "ä.jpg", "beach.JPG."})
    EXPECT_TRUE(IsPlainFileName(name)) << name;
  // Names beginning with "." are hidden entries: the picture would leave the list.
  for (const std::string& name :
       {std::string(), std::string("."), std::string(".."), std::string(".JPG"), std::string("..."),
        std::string(".beach.jpg"), std::string("a/b.JPG"), std::string("/etc/x"),
        std::string("sub/"), std::string("a\0b", 3)})
    EXPECT_FALSE(IsPlainFileName(name)) << name;
}

TEST(PicDescRenameMessageTest, TextsByCode) {
  EXPECT_EQ(RenameFailureMessage(2, "x.JPG"), "Error: x.JPG is not a valid file name!");
  EXPECT_EQ(RenameFailureMessage(161, "a/b.JPG"), "Error: a/b.JPG is not a valid file name!");
  EXPECT_EQ(RenameFailureMessage(183, "x.JPG"), "Error: x.JPG already exists!");
  EXPECT_EQ(RenameFailureMessage(13, "x.JPG"), "Error #13 renaming file");
  EXPECT_EQ(RenameFailureMessage(5, "x.JPG"), "Error #5 renaming file");
}

}  // namespace
