#include "core/folder/FolderListing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/folder/KindListing.h"
#include "core/pictures/KindNotices.h"
#include "core/platform/Errors.h"
#include "support/TestUtil.h"

namespace {

using Names = std::vector<std::string>;

const char* const PictureMask = "*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf";

// Orders are checked under a pinned locale; the user's may be anything.
const NameOrder& UsOrder() {
  static const NameOrder order(QLocale(QLocale::English, QLocale::UnitedStates));
  return order;
}

void MakeFolder(const std::string& path) {
  ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << path;
}

std::string Canonical(const std::string& path) {
  char buffer[PATH_MAX];
  return realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

// Runs f and returns the code of the EInOutError it raised (0 for none),
// checking that the message belongs to the code.
template <typename F>
int InOutCodeOf(F f, std::string* message = nullptr) {
  try {
    f();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message(), InOutErrorMessage(e.ErrorCode()));
    if (message) *message = e.Message();
    return e.ErrorCode();
  }
  return 0;
}

// Permissions do not bind root, who runs these tests in containers: the
// check then runs in a child process that has become the user "nobody".
// Returns the EInOutError code the child saw (0 for none), or -1 when the
// child could not change its user.
template <typename F>
int InOutCodeAsUser(F f) {
  if (geteuid() != 0) return InOutCodeOf(f);
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(255);
    int code = 0;
    try {
      f();
    } catch (const EInOutError& e) {
      code = e.ErrorCode();
    } catch (...) {
      code = 254;
    }
    _exit(code);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status) == 255 ? -1 : WEXITSTATUS(status);
}

// --- Files ---

TEST(FolderListing, PicturesOnlySortedIgnoringCase) {
  TempDir dir;
  for (const char* name : {"B.jpg", "a.JPG", "c.bmp", "d.jpeg", "e.txt", ".f.jpg"})
    dir.Write(name, "");
  MakeFolder(dir.File("g.jpg"));
  EXPECT_EQ(ListPictureFiles(dir.Path(), PictureMask, UsOrder()),
            (Names{"a.JPG", "B.jpg", "c.bmp", "d.jpeg"}));
}

TEST(FolderListing, DigitsComparedAsCharacters) {
  TempDir dir;
  for (const char* name : {"img10.jpg", "img2.jpg", "IMG1.jpg"}) dir.Write(name, "");
  EXPECT_EQ(ListPictureFiles(dir.Path(), PictureMask, UsOrder()),
            (Names{"IMG1.jpg", "img10.jpg", "img2.jpg"}));
}

TEST(FolderListing, EveryPictureExtensionInAnyCase) {
  TempDir dir;
  const Names pictures = {"a.jpg", "b.JPEG", "c.Bmp", "d.ico", "e.EMF", "f.wmf"};
  for (const auto& name : pictures) dir.Write(name, "");
  for (const char* name : {"g.jpgx", "h.xjpg", "jpg", "i.jpg.txt", "j.jp", "k.png", "l.", "m"})
    dir.Write(name, "");
  EXPECT_EQ(ListPictureFiles(dir.Path(), PictureMask, UsOrder()), pictures);
}

TEST(FolderListing, OnlyJpegAndEmfCounted) {
  TempDir dir;
  dir.Write("one.jpeg", "");
  dir.Write("two.emf", "");
  EXPECT_EQ(ListPictureFiles(dir.Path(), PictureMask, UsOrder()).size(), 2u);
}

TEST(FolderListing, EmptyFolderListsNothing) {
  TempDir dir;
  EXPECT_TRUE(ListPictureFiles(dir.Path(), PictureMask, UsOrder()).empty());
}

TEST(FolderListing, ReadOnlyFilesListed) {
  TempDir dir;
  dir.Write("ro.jpg", "");
  ASSERT_EQ(chmod(dir.File("ro.jpg").c_str(), 0444), 0);
  EXPECT_EQ(ListPictureFiles(dir.Path(), PictureMask, UsOrder()), (Names{"ro.jpg"}));
}

TEST(FolderListing, LinksToFilesListedOthersNot) {
  TempDir dir;
  dir.Write("real.jpg", "");
  MakeFolder(dir.File("folder"));
  ASSERT_EQ(symlink("real.jpg", dir.File("link.jpg").c_str()), 0);
  ASSERT_EQ(symlink("folder", dir.File("folderlink.jpg").c_str()), 0);
  ASSERT_EQ(symlink("missing.jpg", dir.File("dangling.jpg").c_str()), 0);
  EXPECT_EQ(ListPictureFiles(dir.Path(), PictureMask, UsOrder()), (Names{"link.jpg", "real.jpg"}));
}

TEST(FolderListing, SpecialFilesNotListed) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.File("pipe.jpg").c_str(), 0644), 0);
  dir.Write("x.jpg", "");
  EXPECT_EQ(ListPictureFiles(dir.Path(), PictureMask, UsOrder()), (Names{"x.jpg"}));
}

TEST(FolderListing, NamesEqualIgnoringCaseOrderedByBytes) {
  TempDir dir;
  for (const char* name : {"b.jpg", "a.jpg", "A.jpg", "A.JPG", "a.JPG"}) dir.Write(name, "");
  EXPECT_EQ(ListPictureFiles(dir.Path(), PictureMask, UsOrder()),
            (Names{"A.JPG", "A.jpg", "a.JPG", "a.jpg", "b.jpg"}));
}

TEST(FolderListing, NameMatchedByTwoPartsListedTwice) {
  TempDir dir;
  dir.Write("a.jpg", "");
  dir.Write("b.bmp", "");
  EXPECT_EQ(ListPictureFiles(dir.Path(), "*.jpg;*.JPG", UsOrder()), (Names{"a.jpg", "a.jpg"}));
}

// One pass gives the album's pictures and those of the kinds it leaves out;
// without all kinds the pictures are exactly those of the registry's mask.
TEST(FolderListing, AlbumPicturesAndThoseOfTheKindsLeftOut) {
  TempDir dir;
  for (const char* name : {"b.jpg", "A.HEIC", "c.png", "d.Tif", "e.mov", "f.dng", "g.bmp", "h.wmf"})
    dir.Write(name, "");
  const KindListing six = ListAlbumPictures(dir.Path(), false, UsOrder());
  EXPECT_EQ(six.Pictures, ListPictureFiles(dir.Path(), PictureMask, UsOrder()));
  EXPECT_EQ(six.LeftOut, (Names{"A.HEIC", "c.png", "d.Tif"}));
  EXPECT_EQ(LeftOutNotice(six.LeftOut), "3 more pictures: HEIC 1, PNG 1, TIFF 1");
  const KindListing all = ListAlbumPictures(dir.Path(), true, UsOrder());
  EXPECT_EQ(all.Pictures, (Names{"A.HEIC", "b.jpg", "c.png", "d.Tif", "g.bmp", "h.wmf"}));
  EXPECT_TRUE(all.LeftOut.empty());
  EXPECT_EQ(BrowserLimits(all.Pictures), "HEIC 1, TIFF 1 only in Safari, WMF 1 in no browser");
  EXPECT_EQ(ListPicturesAndLeftOut(dir.Path(), "*.*", "*.png", UsOrder()).Pictures.size(), 8u);
}

TEST(FolderListing, OrderIndependentOfCreationOrder) {
  Names names = {"Zebra.jpg", "apple.jpg", "_under.jpg", "10.jpg", "9.jpg",
                 "a b.jpg",   "a-b.jpg",   "ab.jpg",     "Ab.jpg", "\xC3\xA9t\xC3\xA9.jpg",
                 "eta.jpg",   "faux.jpg",  "(1).jpg"};
  std::mt19937 random(7);
  Names first;
  for (int round = 0; round < 3; ++round) {
    std::shuffle(names.begin(), names.end(), random);
    TempDir dir;
    for (const auto& name : names) dir.Write(name, "");
    const Names listed = ListPictureFiles(dir.Path(), PictureMask, UsOrder());
    ASSERT_EQ(listed.size(), names.size());
    if (round == 0) first = listed;
    EXPECT_EQ(listed, first);
  }
  // Locale-aware: the accented name sorts with the e's, not after z.
  const auto pos = [&](const std::string& n) {
    return std::find(first.begin(), first.end(), n) - first.begin();
  };
  EXPECT_LT(pos("eta.jpg"), pos("\xC3\xA9t\xC3\xA9.jpg"));
  EXPECT_LT(pos("\xC3\xA9t\xC3\xA9.jpg"), pos("faux.jpg"));
  EXPECT_LT(pos("10.jpg"), pos("9.jpg"));
}

TEST(FolderListing, MissingFolderIsFileNotFound) {
  TempDir dir;
  std::string message;
  EXPECT_EQ(
      InOutCodeOf([&] { ListPictureFiles(dir.File("gone"), PictureMask, UsOrder()); }, &message),
      2);
  EXPECT_EQ(message, "File not found");
}

TEST(FolderListing, FileAsFolderIsInvalidFilename) {
  TempDir dir;
  dir.Write("x.jpg", "");
  EXPECT_EQ(InOutCodeOf([&] { ListSubfolders(dir.File("x.jpg"), UsOrder()); }), 3);
}

TEST(FolderListing, UnreadableFolderIsAccessDenied) {
  TempDir dir;
  ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
  MakeFolder(dir.File("locked"));
  ASSERT_EQ(chmod(dir.File("locked").c_str(), 0), 0);
  EXPECT_EQ(InOutCodeAsUser([&] { ListPictureFiles(dir.File("locked"), PictureMask, UsOrder()); }),
            5);
}

TEST(FolderListing, DefaultOrderUsesUserLocaleAndStillIgnoresCase) {
  TempDir dir;
  for (const char* name : {"b.jpg", "A.jpg", "c.jpg"}) dir.Write(name, "");
  EXPECT_EQ(ListPictureFiles(dir.Path(), PictureMask), (Names{"A.jpg", "b.jpg", "c.jpg"}));
}

// --- Masks ---

struct MaskCase {
  const char* Name;
  std::string Mask;
  std::string FileName;
  int Count;
};

class ListingMaskTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(ListingMaskTest, Matches) {
  EXPECT_EQ(MaskMatchCount(GetParam().FileName, GetParam().Mask), GetParam().Count);
}

INSTANTIATE_TEST_SUITE_P(
    Listing, ListingMaskTest,
    ::testing::Values(
        MaskCase{"Jpg", PictureMask, "a.jpg", 1}, MaskCase{"UpperCase", PictureMask, "A.JPG", 1},
        MaskCase{"MixedCase", PictureMask, "a.JpEg", 1}, MaskCase{"Wmf", PictureMask, "x.y.wmf", 1},
        MaskCase{"LongerExtension", PictureMask, "a.jpgs", 0},
        MaskCase{"NoDot", PictureMask, "ajpg", 0}, MaskCase{"OnlyExtension", PictureMask, "jpg", 0},
        MaskCase{"DotOnly", PictureMask, ".jpg", 1},  // hidden: left out by listing
        MaskCase{"Text", PictureMask, "a.txt", 0}, MaskCase{"TwoParts", "*.jpg;*.JPG", "a.jpg", 2},
        MaskCase{"BlanksAroundParts", " *.jpg ; *.bmp ", "a.bmp", 1},
        MaskCase{"EmptyParts", ";;*.jpg;", "a.jpg", 1}, MaskCase{"Everything", "*.*", "README", 1},
        MaskCase{"Star", "*", "a.b", 1}, MaskCase{"WholeName", "Email.Inc", "EMAIL.INC", 1},
        MaskCase{"EmptyMask", "", "a.jpg", 0}),
    [](const ::testing::TestParamInfo<MaskCase>& info) { return std::string(info.param.Name); });

// --- Order ---

TEST(ListingOrder, SortAgreesWithCompare) {
  Names names;
  std::mt19937 random(11);
  const std::string alphabet = "aAbBzZ09_-. \xC3\xA9";
  for (int i = 0; i < 400; ++i) {
    std::string name;
    const int length = 1 + static_cast<int>(random() % 6);
    for (int j = 0; j < length; ++j) name += alphabet[random() % alphabet.size()];
    names.push_back(name);
  }
  const NameOrder plain(QLocale::c());
  for (const NameOrder* order : {&UsOrder(), &plain}) {
    Names sorted = names;
    order->Sort(sorted);
    for (std::size_t i = 1; i < sorted.size(); ++i) {
      const int c = order->Compare(sorted[i - 1], sorted[i]);
      ASSERT_LE(c, 0) << sorted[i - 1] << " / " << sorted[i];
      if (c == 0) {
        ASSERT_LE(sorted[i - 1], sorted[i]);
      }
    }
  }
}

TEST(ListingOrder, CLocaleStillIgnoresCase) {
  const NameOrder order(QLocale::c());
  Names names = {"b.jpg", "B.jpg", "a.JPG", "C.bmp"};
  order.Sort(names);
  EXPECT_EQ(names, (Names{"a.JPG", "B.jpg", "b.jpg", "C.bmp"}));
  EXPECT_EQ(order.Compare("ABC", "abc"), 0);
  EXPECT_LT(order.Compare("a", "B"), 0);
}

TEST(ListingOrder, CompareIgnoresCaseOnly) {
  const NameOrder& order = UsOrder();
  EXPECT_EQ(order.Compare("Photos", "photos"), 0);
  EXPECT_LT(order.Compare("img1.jpg", "img10.jpg"), 0);
  EXPECT_LT(order.Compare("img10.jpg", "img2.jpg"), 0);
  EXPECT_NE(order.Compare("a-b", "ab"), 0);      // punctuation counts
  EXPECT_NE(order.Compare("e", "\xC3\xA9"), 0);  // accents count
}

TEST(ListingOrder, DropEqualKeepsFirstByBytes) {
  Names names = {"photos", "Photos", "PHOTOS", "art"};
  UsOrder().Sort(names, /*dropEqual=*/true);
  EXPECT_EQ(names, (Names{"art", "PHOTOS"}));
}

// --- Subfolders ---

TEST(FolderListing, SubfoldersSortedHiddenAndFilesLeftOut) {
  TempDir dir;
  for (const char* name : {"b", "A", "c10", "c9", ".hidden", "Z"}) MakeFolder(dir.File(name));
  dir.Write("file", "");
  dir.Write("pic.jpg", "");
  EXPECT_EQ(ListSubfolders(dir.Path(), UsOrder()), (Names{"A", "b", "c10", "c9", "Z"}));
}

TEST(FolderListing, SubfolderEqualIgnoringCaseDropped) {
  TempDir dir;
  for (const char* name : {"photos", "Photos", "x"}) MakeFolder(dir.File(name));
  EXPECT_EQ(ListSubfolders(dir.Path(), UsOrder()), (Names{"Photos", "x"}));
}

TEST(FolderListing, LinksToFoldersAreSubfolders) {
  TempDir dir;
  MakeFolder(dir.File("real"));
  dir.Write("file", "");
  ASSERT_EQ(symlink("real", dir.File("linked").c_str()), 0);
  ASSERT_EQ(symlink("file", dir.File("filelink").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", dir.File("dangling").c_str()), 0);
  EXPECT_EQ(ListSubfolders(dir.Path(), UsOrder()), (Names{"linked", "real"}));
}

TEST(FolderListing, MissingFolderSubfoldersFileNotFound) {
  TempDir dir;
  EXPECT_EQ(InOutCodeOf([&] { ListSubfolders(dir.File("gone")); }), 2);
}

// --- Folder list lines ---

struct LinesCase {
  const char* Name;
  std::string Shown;
  Names Subfolders;
  std::vector<FolderLine> Expected;
};

class ListingLinesTest : public ::testing::TestWithParam<LinesCase> {};

TEST_P(ListingLinesTest, Lines) {
  const LinesCase& c = GetParam();
  const auto lines = FolderLines(c.Shown, c.Subfolders);
  EXPECT_EQ(lines, c.Expected);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[CurrentLineIndex(lines)].Kind, FolderLine::Current);
}

INSTANTIATE_TEST_SUITE_P(
    Listing, ListingLinesTest,
    ::testing::Values(LinesCase{"Root", "/", {}, {{"/", "/", 0, FolderLine::Current}}},
                      LinesCase{"RootWithSubfolders",
                                "/",
                                {"bin", "home"},
                                {{"/", "/", 0, FolderLine::Current},
                                 {"/bin", "bin", 1, FolderLine::Subfolder},
                                 {"/home", "home", 1, FolderLine::Subfolder}}},
                      LinesCase{"FirstLevel",
                                "/home",
                                {"Me"},
                                {{"/", "/", 0, FolderLine::Root},
                                 {"/home", "home", 1, FolderLine::Current},
                                 {"/home/Me", "Me", 2, FolderLine::Subfolder}}},
                      LinesCase{"Deep",
                                "/home/Me/Pictures",
                                {"2023", "Summer Trip"},
                                {{"/", "/", 0, FolderLine::Root},
                                 {"/home", "home", 1, FolderLine::Ancestor},
                                 {"/home/Me", "Me", 2, FolderLine::Ancestor},
                                 {"/home/Me/Pictures", "Pictures", 3, FolderLine::Current},
                                 {"/home/Me/Pictures/2023", "2023", 4, FolderLine::Subfolder},
                                 {"/home/Me/Pictures/Summer Trip", "Summer Trip", 4,
                                  FolderLine::Subfolder}}},
                      LinesCase{"ExtraSlashesIgnored",
                                "//home//Me/",
                                {},
                                {{"/", "/", 0, FolderLine::Root},
                                 {"/home", "home", 1, FolderLine::Ancestor},
                                 {"/home/Me", "Me", 2, FolderLine::Current}}}),
    [](const ::testing::TestParamInfo<LinesCase>& info) { return std::string(info.param.Name); });

// --- Entering folders ---

class ListingEnterTest : public ::testing::Test {
 protected:
  ListingEnterTest() : Root(Canonical(Dir.Path())) {
    MakeFolder(Root + "/a");
    MakeFolder(Root + "/a/b");
    Dir.Write("file.jpg", "");
  }
  TempDir Dir;
  std::string Root;
};

TEST_F(ListingEnterTest, AbsoluteRelativeAndDotted) {
  EXPECT_EQ(EnterFolder(Root + "/a", "/"), Root + "/a");
  EXPECT_EQ(EnterFolder(Root + "/a/", "/"), Root + "/a");
  EXPECT_EQ(EnterFolder("b", Root + "/a"), Root + "/a/b");
  EXPECT_EQ(EnterFolder("..", Root + "/a/b"), Root + "/a");
  EXPECT_EQ(EnterFolder("./b/../b", Root + "/a"), Root + "/a/b");
  EXPECT_EQ(EnterFolder("", Root + "/a"), Root + "/a");
  EXPECT_EQ(EnterFolder("/", Root), "/");
  EXPECT_EQ(EnterFolder("..", "/"), "/");
}

TEST_F(ListingEnterTest, LinksResolved) {
  ASSERT_EQ(symlink((Root + "/a/b").c_str(), (Root + "/shortcut").c_str()), 0);
  EXPECT_EQ(EnterFolder("shortcut", Root), Root + "/a/b");
}

TEST_F(ListingEnterTest, MissingFolderIsFileNotFound) {
  std::string message;
  EXPECT_EQ(InOutCodeOf([&] { EnterFolder("gone", Root); }, &message), 2);
  EXPECT_EQ(message, "File not found");
  EXPECT_EQ(InOutCodeOf([&] { EnterFolder(Root + "/a/gone/deeper", "/"); }), 2);
}

TEST_F(ListingEnterTest, FileIsInvalidFilename) {
  std::string message;
  EXPECT_EQ(InOutCodeOf([&] { EnterFolder("file.jpg", Root); }, &message), 3);
  EXPECT_EQ(message, "Invalid filename");
  EXPECT_EQ(InOutCodeOf([&] { EnterFolder("file.jpg/x", Root); }), 3);
}

TEST_F(ListingEnterTest, LockedFolderIsAccessDenied) {
  ASSERT_EQ(chmod(Root.c_str(), 0755), 0);
  ASSERT_EQ(chmod((Root + "/a").c_str(), 0755), 0);
  ASSERT_EQ(chmod((Root + "/a/b").c_str(), 0711), 0);  // enterable, not readable
  EXPECT_EQ(InOutCodeAsUser([&] { EnterFolder("a/b", Root); }), 5);
  ASSERT_EQ(chmod((Root + "/a/b").c_str(), 0744), 0);  // readable, not enterable
  EXPECT_EQ(InOutCodeAsUser([&] { EnterFolder("a/b", Root); }), 5);
  ASSERT_EQ(chmod((Root + "/a/b").c_str(), 0755), 0);
  EXPECT_EQ(InOutCodeAsUser([&] { EnterFolder("a/b", Root); }), 0);
  EXPECT_EQ(InOutCodeOf([&] { EnterFolder("a/b", Root); }), 0);
}

}  // namespace
