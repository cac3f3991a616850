#include "core/folder/TIniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <string>

#include "core/platform/Errors.h"
#include "support/TestUtil.h"

namespace {

struct ReadCase {
  const char* Name;
  std::string Content;
  std::string Section;
  std::string Key;
  std::string Expected;
};

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ReadsValue) {
  const ReadCase& c = GetParam();
  TempDir dir;
  dir.Write("Test.INI", c.Content);
  const TIniFile ini(dir.File("Test.INI"));
  EXPECT_EQ(ini.ReadString(c.Section, c.Key, "<default>"), c.Expected);
}

const std::string Nul("\0", 1);

INSTANTIATE_TEST_SUITE_P(
    Ini, IniReadTest,
    ::testing::Values(
        ReadCase{"Plain", "[Options]\r\nFileName=album\r\n", "Options", "FileName", "album"},
        ReadCase{"MissingKey", "[Options]\r\nFileName=album\r\n", "Options", "Title", "<default>"},
        ReadCase{"MissingSection", "[Main]\r\nFileName=album\r\n", "Options", "FileName",
                 "<default>"},
        ReadCase{"KeyInOtherSection", "[Main]\r\nA=1\r\n[Options]\r\nB=2\r\n", "Options", "A",
                 "<default>"},
        ReadCase{"EmptyValue", "[Options]\r\nFileName=\r\n", "Options", "FileName", ""},
        ReadCase{"BlanksAroundValue", "[Options]\r\nPicHeadings =  1  \r\n", "Options",
                 "PicHeadings", "1"},
        ReadCase{"TabsAroundKey", "[Options]\r\n\tPicHeadings\t=\t1\t\r\n", "Options",
                 "PicHeadings", "1"},
        ReadCase{"BlanksInsideValueKept", "[Options]\r\nT= My  Album \r\n", "Options", "T",
                 "My  Album"},
        ReadCase{"DoubleQuotes", "[Options]\r\nPicHeadings=\"1\"\r\n", "Options", "PicHeadings",
                 "1"},
        ReadCase{"SingleQuotes", "[Options]\r\nPicHeadings='1'\r\n", "Options", "PicHeadings", "1"},
        ReadCase{"QuotesKeepInnerBlanks", "[Options]\r\nT=  \" x \"  \r\n", "Options", "T", " x "},
        ReadCase{"UnmatchedQuotesKept", "[Options]\r\nT=\"x'\r\n", "Options", "T", "\"x'"},
        ReadCase{"LoneQuoteKept", "[Options]\r\nT=\"\r\n", "Options", "T", "\""},
        ReadCase{"EmptyQuotes", "[Options]\r\nT=\"\"\r\n", "Options", "T", ""},
        ReadCase{"InnerQuotesOnlyAtEnds", "[Options]\r\nT=\"a\" and \"b\"\r\n", "Options", "T",
                 "a\" and \"b"},
        ReadCase{"UpperCaseNames", "[OPTIONS]\r\nPICHEADINGS=0\r\n", "Options", "PicHeadings", "0"},
        ReadCase{"LowerCaseNames", "[options]\r\nfilename=x\r\n", "Options", "FileName", "x"},
        ReadCase{"BlanksInBrackets", "  [ Options ]  \r\nA=1\r\n", "Options", "A", "1"},
        ReadCase{"EqualsInValue", "[Options]\r\nA=b=c\r\n", "Options", "A", "b=c"},
        ReadCase{"FirstOfTwoKeys", "[Options]\r\nA=1\r\nA=2\r\n", "Options", "A", "1"},
        ReadCase{"FirstOfTwoSections", "[Options]\r\nA=1\r\n[Options]\r\nB=2\r\n", "Options", "B",
                 "<default>"},
        ReadCase{"LfEndings", "[Main]\nX=1\n[Options]\nA=2\n", "Options", "A", "2"},
        ReadCase{"CrEndings", "[Main]\rX=1\r[Options]\rA=2\r", "Options", "A", "2"},
        ReadCase{"NoFinalLineEnd", "[Options]\r\nA=last", "Options", "A", "last"},
        ReadCase{"CommentIsNoKey", "[Options]\r\n;A=1\r\n", "Options", ";A", "<default>"},
        ReadCase{"CommentSkipped", "[Options]\r\n; A=1\r\nA=2\r\n", "Options", "A", "2"},
        ReadCase{"LineWithoutEquals", "[Options]\r\nA\r\n", "Options", "A", "<default>"},
        ReadCase{"StopsAtNul", "[Options]\r\n" + Nul + "A=1\r\n", "Options", "A", "<default>"},
        ReadCase{"Utf8Value", "[Options]\r\nT=Fotos \xC3\xA9t\xC3\xA9\r\n", "Options", "T",
                 "Fotos \xC3\xA9t\xC3\xA9"},
        ReadCase{"EmptyFile", "", "Options", "A", "<default>"}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.Name); });

TEST(IniFile, MissingFileOrFolderGivesDefault) {
  TempDir dir;
  EXPECT_EQ(TIniFile(dir.File("none.ini")).ReadString("Main", "A", "d"), "d");
  EXPECT_EQ(TIniFile(dir.File("no/such/dir.ini")).ReadString("Main", "A", "d"), "d");
  EXPECT_EQ(TIniFile(dir.Path()).ReadString("Main", "A", "d"), "d");  // a folder
  EXPECT_EQ(TIniFile().ReadString("Main", "A", "d"), "d");
}

TEST(IniFile, BindingTouchesNoFile) {
  TempDir dir;
  TIniFile ini(dir.File("A.INI"));
  ini.Bind(dir.File("B.INI"));
  EXPECT_EQ(ini.FileName(), dir.File("B.INI"));
  EXPECT_EQ(ini.ReadString("Main", "A", "d"), "d");
  EXPECT_FALSE(dir.Exists("A.INI"));
  EXPECT_FALSE(dir.Exists("B.INI"));
}

TEST(IniFile, LongValueWrittenWholeReadAs2047Bytes) {
  TempDir dir;
  const TIniFile ini(dir.File("Test.INI"));
  std::string title;
  for (int i = 0; i < 3000; ++i) title += static_cast<char>('a' + i % 26);
  ini.WriteString("Options", "WebPageTitle", title);
  EXPECT_EQ(dir.Read("Test.INI"), "[Options]\r\nWebPageTitle=" + title + "\r\n");
  EXPECT_EQ(ini.ReadString("Options", "WebPageTitle", ""), title.substr(0, 2047));
}

TEST(IniFile, LongValueCutNeverSplitsUtf8Character) {
  TempDir dir;
  const TIniFile ini(dir.File("Test.INI"));
  // 2046 ASCII bytes, then a two-byte character across the 2047 limit.
  const std::string value = std::string(2046, 'x') + "\xC3\xA9" + "tail";
  ini.WriteString("Options", "T", value);
  EXPECT_EQ(ini.ReadString("Options", "T", ""), std::string(2046, 'x'));
}

TEST(IniFile, QuotedAndBlankValuesReadBackWithout) {
  TempDir dir;
  const TIniFile ini(dir.File("Test.INI"));
  ini.WriteString("Options", "WebPageTitle", "\"Summer\"");
  EXPECT_EQ(dir.Read("Test.INI"), "[Options]\r\nWebPageTitle=\"Summer\"\r\n");
  EXPECT_EQ(ini.ReadString("Options", "WebPageTitle", ""), "Summer");
  ini.WriteString("Options", "WebPageTitle", "  Summer  ");
  EXPECT_EQ(dir.Read("Test.INI"), "[Options]\r\nWebPageTitle=  Summer  \r\n");
  EXPECT_EQ(ini.ReadString("Options", "WebPageTitle", ""), "Summer");
}

TEST(IniFile, FirstWriteCreatesSectionAndKey) {
  TempDir dir;
  const TIniFile ini(dir.File("Ambrelin.INI"));
  ini.WriteString("Main", "PicDirPath", "/home/me/pics");
  EXPECT_EQ(dir.Read("Ambrelin.INI"), "[Main]\r\nPicDirPath=/home/me/pics\r\n");
}

struct WriteCase {
  const char* Name;
  std::string Before;
  std::string Section;
  std::string Key;
  std::string Value;
  std::string After;
  std::optional<std::string> ReadBack = std::nullopt;  // when it differs from Value
};

class IniWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWriteTest, WritesValue) {
  const WriteCase& c = GetParam();
  TempDir dir;
  dir.Write("Test.INI", c.Before);
  const TIniFile ini(dir.File("Test.INI"));
  ini.WriteString(c.Section, c.Key, c.Value);
  EXPECT_EQ(dir.Read("Test.INI"), c.After);
  EXPECT_EQ(ini.ReadString(c.Section, c.Key, "<default>"), c.ReadBack.value_or(c.Value));
}

INSTANTIATE_TEST_SUITE_P(
    Ini, IniWriteTest,
    ::testing::Values(
        WriteCase{"EmptyFile", "", "Options", "A", "1", "[Options]\r\nA=1\r\n"},
        WriteCase{"ReplaceInPlace", "[Options]\r\nA=1\r\nB=2\r\nC=3\r\n", "Options", "B", "x",
                  "[Options]\r\nA=1\r\nB=x\r\nC=3\r\n"},
        WriteCase{"ReplaceUpperCaseHandWritten",
                  "; my settings\r\n[OPTIONS]\r\n  WEBPAGETITLE = \"Old\" \r\nFILENAME=a\r\n",
                  "Options", "WebPageTitle", "New",
                  "; my settings\r\n[OPTIONS]\r\nWebPageTitle=New\r\nFILENAME=a\r\n"},
        WriteCase{"ReplaceFirstOfTwo", "[Options]\r\nA=1\r\nA=2\r\n", "Options", "A", "3",
                  "[Options]\r\nA=3\r\nA=2\r\n"},
        WriteCase{"OtherSectionsKept",
                  "[Main]\r\nA=old\r\n\r\n[Options]\r\nA=keep\r\n[Other]\r\nA=keep too\r\n", "Main",
                  "A", "new",
                  "[Main]\r\nA=new\r\n\r\n[Options]\r\nA=keep\r\n[Other]\r\nA=keep too\r\n"},
        WriteCase{"NewKeyAtEndOfLastSection", "[Options]\r\nA=1\r\n", "Options", "B", "2",
                  "[Options]\r\nA=1\r\nB=2\r\n"},
        WriteCase{"NewKeyBeforeNextSection", "[Options]\r\nA=1\r\n[Main]\r\nX=y\r\n", "Options",
                  "B", "2", "[Options]\r\nA=1\r\nB=2\r\n[Main]\r\nX=y\r\n"},
        WriteCase{"NewKeyBeforeTrailingBlankLines",
                  "[Options]\r\nA=1\r\n\r\n  \r\n[Main]\r\nX=y\r\n", "Options", "B", "2",
                  "[Options]\r\nA=1\r\nB=2\r\n\r\n  \r\n[Main]\r\nX=y\r\n"},
        WriteCase{"NewKeyAfterSectionComment", "[Options]\r\nA=1\r\n; note\r\n\r\n[Main]\r\n",
                  "Options", "B", "2", "[Options]\r\nA=1\r\n; note\r\nB=2\r\n\r\n[Main]\r\n"},
        WriteCase{"NewKeyInEmptySection", "[Options]\r\n\r\n[Main]\r\n", "Options", "B", "2",
                  "[Options]\r\nB=2\r\n\r\n[Main]\r\n"},
        WriteCase{"NewKeyInFirstOfTwoSections", "[Options]\r\nA=1\r\n[Options]\r\nB=1\r\n",
                  "Options", "B", "2", "[Options]\r\nA=1\r\nB=2\r\n[Options]\r\nB=1\r\n"},
        WriteCase{"NewSectionAtEnd", "[Main]\r\nX=y\r\n\r\n", "Options", "A", "1",
                  "[Main]\r\nX=y\r\n\r\n[Options]\r\nA=1\r\n"},
        WriteCase{"NewSectionAfterUnendedLine", "[Main]\r\nX=y", "Options", "A", "1",
                  "[Main]\r\nX=y\r\n[Options]\r\nA=1\r\n"},
        WriteCase{"LfLinesRewrittenWithCrLf", "[Main]\nX=y\n# hand\n", "Main", "X", "z",
                  "[Main]\r\nX=z\r\n# hand\r\n"},
        WriteCase{"OddLinesKeptByteForByte", "junk before\r\n[Options]\r\n\t weird = \" v \"\r\n",
                  "Options", "A", "1", "junk before\r\n[Options]\r\n\t weird = \" v \"\r\nA=1\r\n"},
        WriteCase{"EmptyValue", "[Options]\r\nA=1\r\n", "Options", "A", "", "[Options]\r\nA=\r\n"},
        WriteCase{"CommentNotReplaced", "[Options]\r\n;A=1\r\n", "Options", "A", "2",
                  "[Options]\r\n;A=1\r\nA=2\r\n"},
        // A value cannot add lines: no new section, no other key replaced.
        WriteCase{"LineBreaksBecomeBlanks", "[Options]\r\nFileName=album\r\n", "Options",
                  "WebPageTitle", "Hi\r\nFileName=evil\r\n[Other]\nx\ry",
                  "[Options]\r\nFileName=album\r\nWebPageTitle=Hi FileName=evil [Other] x y\r\n",
                  "Hi FileName=evil [Other] x y"}),
    [](const ::testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.Name); });

TEST(IniFile, FileFoundIgnoringCaseIsReadAndReplaced) {
  TempDir dir;
  dir.Write("ambrelindir.ini", "[options]\r\nwebpagetitle=Hand\r\n");
  const TIniFile ini(dir.File("AmbrelinDir.INI"));
  EXPECT_EQ(ini.ReadString("Options", "WebPageTitle", ""), "Hand");
  ini.WriteString("Options", "FileName", "index");
  EXPECT_FALSE(dir.Exists("AmbrelinDir.INI"));
  EXPECT_EQ(dir.Read("ambrelindir.ini"), "[options]\r\nwebpagetitle=Hand\r\nFileName=index\r\n");
}

TEST(IniFile, FileSeenAfterChangeByHand) {
  TempDir dir;
  const TIniFile ini(dir.File("Test.INI"));
  ini.WriteString("Main", "A", "1");
  dir.Write("Test.INI", "[Main]\r\nA=2\r\n");
  EXPECT_EQ(ini.ReadString("Main", "A", ""), "2");
}

TEST(IniFile, KeepsPermissionBits) {
  TempDir dir;
  dir.Write("Test.INI", "[Main]\r\nA=1\r\n");
  ASSERT_EQ(chmod(dir.File("Test.INI").c_str(), 0640), 0);
  TIniFile(dir.File("Test.INI")).WriteString("Main", "A", "2");
  struct stat st;
  ASSERT_EQ(stat(dir.File("Test.INI").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// Runs write and returns the message of the EIniFileException it raised.
template <typename F>
std::string IniErrorOf(F write) {
  try {
    write();
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.ClassName(), "EIniFileException");
    return e.Message();
  }
  return "<no error>";
}

TEST(IniFile, ReadOnlyFileRefusedAndUnchanged) {
  TempDir dir;
  const std::string before = "[Options]\r\nA=1\r\n";
  dir.Write("Test.INI", before);
  ASSERT_EQ(chmod(dir.File("Test.INI").c_str(), 0444), 0);
  const TIniFile ini(dir.File("Test.INI"));
  EXPECT_EQ(IniErrorOf([&] { ini.WriteString("Options", "A", "2"); }),
            "Unable to write to " + dir.File("Test.INI"));
  EXPECT_EQ(dir.Read("Test.INI"), before);
}

TEST(IniFile, ReadOnlyFolderRefusedAndNothingCreated) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.File("ro").c_str(), 0755), 0);
  ASSERT_EQ(chmod(dir.File("ro").c_str(), 0555), 0);
  const TIniFile ini(dir.File("ro/AmbrelinDir.INI"));
  EXPECT_EQ(IniErrorOf([&] { ini.WriteString("Options", "A", "2"); }),
            "Unable to write to " + dir.File("ro/AmbrelinDir.INI"));
  EXPECT_FALSE(dir.Exists("ro/AmbrelinDir.INI"));
}

TEST(IniFile, ReadOnlyFolderWithExistingFileRefusedAndUnchanged) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.File("ro").c_str(), 0755), 0);
  const std::string before = "[Options]\r\nA=1\r\n";
  dir.Write("ro/Test.INI", before);
  ASSERT_EQ(chmod(dir.File("ro/Test.INI").c_str(), 0444), 0);
  ASSERT_EQ(chmod(dir.File("ro").c_str(), 0555), 0);
  const TIniFile ini(dir.File("ro/Test.INI"));
  EXPECT_EQ(IniErrorOf([&] { ini.WriteString("Options", "A", "2"); }),
            "Unable to write to " + dir.File("ro/Test.INI"));
  EXPECT_EQ(dir.Read("ro/Test.INI"), before);
}

TEST(IniFile, MissingFolderRefused) {
  TempDir dir;
  const TIniFile ini(dir.File("gone/Test.INI"));
  EXPECT_EQ(IniErrorOf([&] { ini.WriteString("Options", "A", "2"); }),
            "Unable to write to " + dir.File("gone/Test.INI"));
}

TEST(IniFile, MessageNamesPathAsBoundNotAsFound) {
  TempDir dir;
  dir.Write("test.ini", "[Options]\r\n");
  ASSERT_EQ(chmod(dir.File("test.ini").c_str(), 0444), 0);
  const TIniFile ini(dir.File("Test.INI"));
  EXPECT_EQ(IniErrorOf([&] { ini.WriteString("Options", "A", "2"); }),
            "Unable to write to " + dir.File("Test.INI"));
}

}  // namespace
