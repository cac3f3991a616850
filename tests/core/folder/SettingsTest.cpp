#include "core/folder/Settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "core/platform/Errors.h"
#include "support/TestUtil.h"

namespace {

std::string Canonical(const std::string& path) {
  char buffer[PATH_MAX];
  return realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

// A program directory (canonical, as the current directory reads) holding
// whatever a case puts there.
class SettingsStartUpTest : public ::testing::Test {
 protected:
  SettingsStartUpTest() : ProgramDirectory(Canonical(Dir.Path())) {}
  std::string Ini() const { return Dir.Read("Ambrelin.INI"); }
  static std::string MainFile(const std::string& path) {
    return "[Main]\r\nPicDirPath=" + path + "\r\n";
  }

  TempDir Dir;
  std::string ProgramDirectory;
  TIniFile ProgramSettings;
  std::string PictureDirectory;
};

TEST_F(SettingsStartUpTest, FirstRunCreatesFileWithProgramDirectory) {
  ChooseStartDirectory(ProgramSettings, ProgramDirectory, PictureDirectory);
  EXPECT_EQ(ProgramSettings.FileName(), ProgramDirectory + "/Ambrelin.INI");
  EXPECT_EQ(PictureDirectory, ProgramDirectory);
  EXPECT_EQ(Ini(), MainFile(ProgramDirectory));
}

TEST_F(SettingsStartUpTest, StoredFolderChosen) {
  ASSERT_EQ(mkdir(Dir.File("pics").c_str(), 0755), 0);
  Dir.Write("Ambrelin.INI", MainFile(ProgramDirectory + "/pics"));
  ChooseStartDirectory(ProgramSettings, ProgramDirectory, PictureDirectory);
  EXPECT_EQ(PictureDirectory, ProgramDirectory + "/pics");
  EXPECT_EQ(Ini(), MainFile(ProgramDirectory + "/pics"));
}

TEST_F(SettingsStartUpTest, FirstStartShowsTheGivenFolderUntilOneIsStored) {
  ASSERT_EQ(mkdir(Dir.File("pics").c_str(), 0755), 0);
  ChooseStartDirectory(ProgramSettings, ProgramDirectory, PictureDirectory,
                       ProgramDirectory + "/pics");
  EXPECT_EQ(PictureDirectory, ProgramDirectory + "/pics");
  RememberPictureDirectory(ProgramSettings, ProgramDirectory);
  ChooseStartDirectory(ProgramSettings, ProgramDirectory, PictureDirectory,
                       ProgramDirectory + "/pics");
  EXPECT_EQ(PictureDirectory, ProgramDirectory);
  EXPECT_EQ(Ini(), MainFile(ProgramDirectory));
}

struct StaleCase {
  const char* Name;
  std::string Content;  // "$" stands for the program directory
};

class SettingsStaleTest : public SettingsStartUpTest,
                          public ::testing::WithParamInterface<StaleCase> {};

std::string Expand(std::string text, const std::string& dir) {
  for (auto at = text.find('$'); at != std::string::npos; at = text.find('$', at + dir.size()))
    text.replace(at, 1, dir);
  return text;
}

TEST_P(SettingsStaleTest, FallsBackToProgramDirectoryAndRewritesAtOnce) {
  Dir.Write("picture.jpg", "x");
  ASSERT_EQ(mkdir(Dir.File("deleted").c_str(), 0755), 0);
  ASSERT_EQ(rmdir(Dir.File("deleted").c_str()), 0);
  Dir.Write("Ambrelin.INI", Expand(GetParam().Content, ProgramDirectory));
  ChooseStartDirectory(ProgramSettings, ProgramDirectory, PictureDirectory);
  EXPECT_EQ(PictureDirectory, ProgramDirectory);
  EXPECT_EQ(ProgramSettings.ReadString("Main", "PicDirPath", "<none>"), ProgramDirectory);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsStaleTest,
    ::testing::Values(StaleCase{"EmptyFile", ""}, StaleCase{"OtherSection", "[Options]\r\nA=1\r\n"},
                      StaleCase{"MissingKey", "[Main]\r\nOther=1\r\n"},
                      StaleCase{"EmptyValue", "[Main]\r\nPicDirPath=\r\n"},
                      StaleCase{"BlankValue", "[Main]\r\nPicDirPath=   \r\n"},
                      StaleCase{"AFile", "[Main]\r\nPicDirPath=$/picture.jpg\r\n"},
                      StaleCase{"DeletedFolder", "[Main]\r\nPicDirPath=$/deleted\r\n"},
                      StaleCase{"NeverExisted", "[Main]\r\nPicDirPath=/no/such/folder\r\n"},
                      StaleCase{"ItselfWithUpperCaseNames", "[MAIN]\r\nPICDIRPATH=$\r\n"}),
    [](const ::testing::TestParamInfo<StaleCase>& info) { return std::string(info.param.Name); });

TEST_F(SettingsStartUpTest, DeletedFolderLineReplacedInPlace) {
  Dir.Write("Ambrelin.INI", "; kept\r\n[Main]\r\nPicDirPath=/no/such/folder\r\nOther=1\r\n");
  ChooseStartDirectory(ProgramSettings, ProgramDirectory, PictureDirectory);
  EXPECT_EQ(Ini(), "; kept\r\n[Main]\r\nPicDirPath=" + ProgramDirectory + "\r\nOther=1\r\n");
}

TEST_F(SettingsStartUpTest, RelativeFolderTakenRelativeToProgramDirectory) {
  ASSERT_EQ(mkdir(Dir.File("pics").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(Dir.File("pics/2024").c_str(), 0755), 0);
  Dir.Write("Ambrelin.INI", MainFile("pics/./2024/../2024"));
  ChooseStartDirectory(ProgramSettings, ProgramDirectory, PictureDirectory);
  EXPECT_EQ(PictureDirectory, ProgramDirectory + "/pics/2024");
  EXPECT_EQ(Ini(), MainFile(ProgramDirectory + "/pics/2024"));
}

TEST_F(SettingsStartUpTest, ExistingFileFoundIgnoringCase) {
  ASSERT_EQ(mkdir(Dir.File("pics").c_str(), 0755), 0);
  Dir.Write("ambrelin.ini", MainFile(ProgramDirectory + "/pics"));
  ChooseStartDirectory(ProgramSettings, ProgramDirectory, PictureDirectory);
  EXPECT_EQ(PictureDirectory, ProgramDirectory + "/pics");
  EXPECT_FALSE(Dir.Exists("Ambrelin.INI"));
}

TEST_F(SettingsStartUpTest, RefusedWriteStillChoosesFolder) {
  ASSERT_EQ(mkdir(Dir.File("pics").c_str(), 0755), 0);
  Dir.Write("Ambrelin.INI", MainFile(ProgramDirectory + "/pics"));
  ASSERT_EQ(chmod(Dir.File("Ambrelin.INI").c_str(), 0444), 0);
  try {
    ChooseStartDirectory(ProgramSettings, ProgramDirectory, PictureDirectory);
    FAIL() << "no error";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + ProgramDirectory + "/Ambrelin.INI");
  }
  EXPECT_EQ(PictureDirectory, ProgramDirectory + "/pics");
}

TEST_F(SettingsStartUpTest, RememberWritesFolderAsGiven) {
  BindProgramSettings(ProgramSettings, ProgramDirectory);
  RememberPictureDirectory(ProgramSettings, "/");
  EXPECT_EQ(Ini(), MainFile("/"));
  RememberPictureDirectory(ProgramSettings, "/home/Me/Pics");
  EXPECT_EQ(Ini(), MainFile("/home/Me/Pics"));
}

TEST(SettingsDecision, StartDirectoryFromSetting) {
  TempDir dir;
  const std::string program = Canonical(dir.Path());
  ASSERT_EQ(mkdir(dir.File("a").c_str(), 0755), 0);
  dir.Write("f", "");
  EXPECT_EQ(StartDirectoryFromSetting("", program), program);
  EXPECT_EQ(StartDirectoryFromSetting("a", program), program + "/a");
  EXPECT_EQ(StartDirectoryFromSetting(program + "/a/", program), program + "/a");
  EXPECT_EQ(StartDirectoryFromSetting("f", program), program);
  EXPECT_EQ(StartDirectoryFromSetting("b", program), program);
  EXPECT_EQ(StartDirectoryFromSetting("/", program), "/");
  EXPECT_EQ(StartDirectoryFromSetting("..", program + "/a"), program);
}

// --- Album options ---

TEST(SettingsAlbumOptions, FolderWithoutFileGivesDefaultsAndCreatesNothing) {
  TempDir dir;
  TIniFile folderSettings;
  const AlbumOptions options = LoadAlbumOptions(folderSettings, dir.Path());
  EXPECT_EQ(folderSettings.FileName(), dir.Path() + "/AmbrelinDir.INI");
  EXPECT_EQ(options.WebPageTitle, "My Ambrelin");
  EXPECT_EQ(options.FileName, "album.html");
  EXPECT_TRUE(options.IncludeFileNames);
  EXPECT_FALSE(dir.Exists("AmbrelinDir.INI"));
}

TEST(SettingsAlbumOptions, FirstSaveWritesFourLinesInOrder) {
  TempDir dir;
  TIniFile folderSettings;
  const AlbumOptions options = LoadAlbumOptions(folderSettings, dir.Path());
  SaveAlbumOptions(folderSettings, options);
  EXPECT_EQ(dir.Read("AmbrelinDir.INI"),
            "[Options]\r\nWebPageTitle=My Ambrelin\r\nFileName=album.html\r\nPicHeadings=1\r\n");
}

TEST(SettingsAlbumOptions, SaveThenLoadRoundTrip) {
  TempDir dir;
  TIniFile folderSettings;
  LoadAlbumOptions(folderSettings, dir.Path());
  SaveAlbumOptions(folderSettings, AlbumOptions{" Trip \xC3\xA0 Rome ", "album", false});
  EXPECT_EQ(
      dir.Read("AmbrelinDir.INI"),
      "[Options]\r\nWebPageTitle= Trip \xC3\xA0 Rome \r\nFileName=album\r\nPicHeadings=0\r\n");
  TIniFile other;
  const AlbumOptions read = LoadAlbumOptions(other, dir.Path());
  EXPECT_EQ(read.WebPageTitle, "Trip \xC3\xA0 Rome");  // blanks around dropped on reading
  EXPECT_EQ(read.FileName, "album");
  EXPECT_FALSE(read.IncludeFileNames);
}

TEST(SettingsAlbumOptions, SaveReplacesKeysInPlaceAndKeepsOtherLines) {
  TempDir dir;
  dir.Write("AmbrelinDir.INI",
            "[OPTIONS]\r\nPICHEADINGS=0\r\nWEBPAGETITLE=Old\r\nExtra=1\r\n\r\n[Mine]\r\nX=1\r\n");
  TIniFile folderSettings;
  const AlbumOptions read = LoadAlbumOptions(folderSettings, dir.Path());
  EXPECT_EQ(read.WebPageTitle, "Old");
  EXPECT_EQ(read.FileName, "album.html");
  EXPECT_FALSE(read.IncludeFileNames);
  SaveAlbumOptions(folderSettings, AlbumOptions{"New", "index", true});
  EXPECT_EQ(dir.Read("AmbrelinDir.INI"),
            "[OPTIONS]\r\nPicHeadings=1\r\nWebPageTitle=New\r\nExtra=1\r\nFileName=index\r\n\r\n"
            "[Mine]\r\nX=1\r\n");
}

// The option of all picture kinds comes after the others, once it was on.
TEST(SettingsAlbumOptions, AllPictureKindsIsStoredOnceTurnedOn) {
  TempDir dir;
  TIniFile folderSettings;
  LoadAlbumOptions(folderSettings, dir.Path());
  const std::string fourLines = "[Options]\r\nWebPageTitle=T\r\nFileName=a\r\nPicHeadings=1\r\n";
  SaveAlbumOptions(folderSettings, AlbumOptions{"T", "a", true, false});
  EXPECT_EQ(dir.Read("AmbrelinDir.INI"), fourLines);
  SaveAlbumOptions(folderSettings, AlbumOptions{"T", "a", true, true});
  EXPECT_EQ(dir.Read("AmbrelinDir.INI"), fourLines + "AllPictureKinds=1\r\n");
  EXPECT_TRUE(LoadAlbumOptions(folderSettings, dir.Path()).AllPictureKinds);
  SaveAlbumOptions(folderSettings, AlbumOptions{"T", "a", true, false});
  EXPECT_EQ(dir.Read("AmbrelinDir.INI"), fourLines + "AllPictureKinds=0\r\n");
  EXPECT_FALSE(LoadAlbumOptions(folderSettings, dir.Path()).AllPictureKinds);
}

struct HeadingsCase {
  const char* Name;
  std::string Line;
  bool Ticked;
};

class SettingsPicHeadingsTest : public ::testing::TestWithParam<HeadingsCase> {};

TEST_P(SettingsPicHeadingsTest, TickedOnlyForExactlyOne) {
  TempDir dir;
  dir.Write("AmbrelinDir.INI", "[Options]\r\n" + GetParam().Line + "\r\n");
  TIniFile folderSettings;
  EXPECT_EQ(LoadAlbumOptions(folderSettings, dir.Path()).IncludeFileNames, GetParam().Ticked);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsPicHeadingsTest,
    ::testing::Values(HeadingsCase{"One", "PicHeadings=1", true},
                      HeadingsCase{"BlanksAround", "PicHeadings =  1 \t", true},
                      HeadingsCase{"DoubleQuoted", "PicHeadings=\"1\"", true},
                      HeadingsCase{"SingleQuoted", "PicHeadings='1'", true},
                      HeadingsCase{"UpperCaseKey", "PICHEADINGS=1", true},
                      HeadingsCase{"Missing", "Other=0", true},
                      HeadingsCase{"Zero", "PicHeadings=0", false},
                      HeadingsCase{"Empty", "PicHeadings=", false},
                      HeadingsCase{"OnePointZero", "PicHeadings=1.0", false},
                      HeadingsCase{"On", "PicHeadings=on", false},
                      HeadingsCase{"Yes", "PicHeadings=yes", false},
                      HeadingsCase{"True", "PicHeadings=true", false},
                      HeadingsCase{"ZeroOne", "PicHeadings=01", false},
                      HeadingsCase{"BlankInsideQuotes", "PicHeadings=\" 1\"", false}),
    [](const ::testing::TestParamInfo<HeadingsCase>& info) {
      return std::string(info.param.Name);
    });

TEST(SettingsAlbumOptions, EmptyValuesReadEmptyNotDefault) {
  TempDir dir;
  dir.Write("AmbrelinDir.INI", "[Options]\r\nWebPageTitle=\r\nFileName=\"\"\r\n");
  TIniFile folderSettings;
  const AlbumOptions options = LoadAlbumOptions(folderSettings, dir.Path());
  EXPECT_EQ(options.WebPageTitle, "");
  EXPECT_EQ(options.FileName, "");
}

TEST(SettingsAlbumOptions, RebindingFollowsTheFolder) {
  TempDir a, b;
  a.Write("AmbrelinDir.INI", "[Options]\r\nWebPageTitle=A\r\n");
  TIniFile folderSettings;
  EXPECT_EQ(LoadAlbumOptions(folderSettings, a.Path()).WebPageTitle, "A");
  EXPECT_EQ(LoadAlbumOptions(folderSettings, b.Path()).WebPageTitle, "My Ambrelin");
  EXPECT_EQ(folderSettings.FileName(), b.Path() + "/AmbrelinDir.INI");
  EXPECT_FALSE(b.Exists("AmbrelinDir.INI"));
}

TEST(SettingsAlbumOptions, ReadOnlyFolderSaveFailsNamingTheFile) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.File("ro").c_str(), 0755), 0);
  ASSERT_EQ(chmod(dir.File("ro").c_str(), 0555), 0);
  TIniFile folderSettings;
  const AlbumOptions options = LoadAlbumOptions(folderSettings, dir.File("ro"));
  try {
    SaveAlbumOptions(folderSettings, options);
    FAIL() << "no error";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + dir.File("ro") + "/AmbrelinDir.INI");
  }
  EXPECT_FALSE(dir.Exists("ro/AmbrelinDir.INI"));
}

TEST(SettingsAlbumOptions, ReadOnlyFileSaveFailsAndKeepsIt) {
  TempDir dir;
  const std::string before = "[Options]\r\nWebPageTitle=Kept\r\n";
  dir.Write("AmbrelinDir.INI", before);
  ASSERT_EQ(chmod(dir.File("AmbrelinDir.INI").c_str(), 0444), 0);
  TIniFile folderSettings;
  const AlbumOptions options = LoadAlbumOptions(folderSettings, dir.Path());
  EXPECT_EQ(options.WebPageTitle, "Kept");
  EXPECT_THROW(SaveAlbumOptions(folderSettings, AlbumOptions{"New", "x", false}),
               EIniFileException);
  EXPECT_EQ(dir.Read("AmbrelinDir.INI"), before);
}

}  // namespace
