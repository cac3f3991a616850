// Failures during an album build lose nothing. A folder holds the album of
// an earlier build; a second build, with other options and descriptions,
// meets a failure at one of the files it writes: a write cut short by a
// file-size limit, a read-only folder, a read-only file, or a picture or the
// whole folder removed after the listing was taken. Each case checks the
// error (class and message), that the file that failed and every file after
// it keep their bytes and permissions, that the files written before it are
// complete new versions, that no temporary is left behind, and that the
// same build succeeds once the failure is put right.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "core/album/AlbumBuild.h"
#include "core/folder/DescriptionFile.h"
#include "core/folder/ImageTable.h"
#include "core/folder/Settings.h"
#include "core/folder/TIniFile.h"
#include "core/platform/FileSystem.h"
#include "support/FailureFolder.h"
#include "support/PictureFixtures.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TestUtil.h"

namespace {

constexpr const char* Template = "album.SRC";
constexpr const char* Page = "album.html";

QDateTime FirstBuildInstant() {
  return QDateTime(QDate(2026, 12, 7), QTime(15, 7, 9));
}
QDateTime SecondBuildInstant() {
  return QDateTime(QDate(2027, 1, 2), QTime(8, 9, 10));
}

struct BuildOptions {
  std::string Title;
  bool IncludeFileNames;
  QDateTime (*Clock)();
};
const BuildOptions FirstBuild{"First title", true, FirstBuildInstant};
const BuildOptions SecondBuild{"A second, longer title", false, SecondBuildInstant};

// One album build through CreateAlbum, as "&Create Album" runs it, with the
// folder's own settings file; the errors pass to the caller.
void BuildAlbum(const std::string& folder, const std::vector<std::string>& pictures,
                const BuildOptions& options) {
  ImageTable table;
  VersionInfo version;
  ReadVersionInfo(version, &ProgramVersionRecord());
  RecordingMessageBoxes messages;
  AlbumEnvironment env(folder, table, version, messages);
  env.Clock = options.Clock;
  env.DateTime = UnitedStatesDateTimeSettings();
  const TIniFile folderSettings(JoinPath(folder, FolderSettingsFileName));
  env.FolderSettings = &folderSettings;
  AlbumInput input;
  input.Title = options.Title;
  input.IndexName = "album.html";
  input.IncludeFileNames = options.IncludeFileNames;
  input.PictureFiles = pictures;
  AlbumBuildState state;
  if (!CreateAlbum(state, input, env)) throw std::runtime_error("the build refused its input");
}

std::string Record(const std::string& name, const std::string& description) {
  PictureEntry entry;
  entry.SetName(name);
  entry.SetDescription(description);
  return std::string(reinterpret_cast<const char*>(&entry), sizeof entry);
}

std::string Descriptions(const std::vector<std::string>& pictures, const std::string& text) {
  std::string file;
  for (const auto& name : pictures) file += Record(name, text + " " + name);
  return file;
}

enum class Injection { CutShort, ReadOnlyFolder, ReadOnlyFile, PictureRemoved, FolderRemoved };

struct AlbumCase {
  const char* Name;
  Injection How;
  std::string Target;   // the file the failure is aimed at
  int Pictures;         // 3 (a.jpg, b.jpg, c.jpg) or 0
  bool TargetMissing;   // removed after the first build
  std::string FailsAt;  // the file whose step fails; "" when the build succeeds
  std::string ClassName;
  std::string Message;  // "$FOLDER" stands for the picture folder's path
};

// The files of a build in the order it writes them; the template only when
// it does not exist yet.
std::vector<std::string> WriteOrder(bool templateMissing) {
  std::vector<std::string> order;
  if (templateMissing) order.push_back(Template);
  for (const char* name :
       {ThumbnailFileName, PictureFileName, FooterFileName, Page, FolderSettingsFileName})
    order.push_back(name);
  return order;
}

std::string Expand(std::string text, const std::string& folder) {
  const auto at = text.find("$FOLDER");
  if (at != std::string::npos) text.replace(at, 7, folder);
  return text;
}

class AlbumWriteFailureTest : public ::testing::TestWithParam<AlbumCase> {};

TEST_P(AlbumWriteFailureTest, LosesNothingAndTheNextBuildWorks) {
  const AlbumCase& c = GetParam();
  TempDir root;
  const std::string folder = root.File("pictures");
  const std::string twin = root.File("twin");
  std::filesystem::create_directory(folder);

  std::vector<std::string> pictures;
  const std::vector<std::pair<std::string, std::string>> pictureFiles = {
      {"a.jpg", MakeJpeg(64, 48)}, {"b.jpg", MakeJpeg(30, 40)}, {"c.jpg", MakeJpeg(20, 20)}};
  for (int i = 0; i < c.Pictures; ++i) {
    WriteFileBytes(JoinPath(folder, pictureFiles[i].first), pictureFiles[i].second);
    pictures.push_back(pictureFiles[i].first);
  }
  WriteFileBytes(DescriptionFilePath(folder), Descriptions(pictures, "First description of"));
  ASSERT_NO_THROW(BuildAlbum(folder, pictures, FirstBuild));

  // The second build's input: new descriptions, and the target removed
  // where the case needs it missing.
  WriteFileBytes(DescriptionFilePath(folder),
                 Descriptions(pictures,
                              "A second and much longer description, long enough to "
                              "make the picture section the largest fragment, of"));
  if (c.TargetMissing) {
    ASSERT_TRUE(std::filesystem::remove(JoinPath(folder, c.Target)));
  }
  if (c.How == Injection::ReadOnlyFile) SetMode(JoinPath(folder, c.Target), 0444);

  // What the second build writes when nothing fails: the same build in a
  // copy of the folder.
  CopyFolder(folder, twin);
  if (c.How == Injection::ReadOnlyFile) SetMode(JoinPath(twin, c.Target), 0644);
  ASSERT_NO_THROW(BuildAlbum(twin, pictures, SecondBuild));
  const FolderState rebuilt = ReadFolderState(twin);
  const FolderState before = ReadFolderState(folder);

  ChildOutcome outcome;
  const auto build = [&] { BuildAlbum(folder, pictures, SecondBuild); };
  switch (c.How) {
    case Injection::CutShort: {
      const std::size_t limit = rebuilt.at(c.Target).Bytes.size() - 1;
      for (const auto& name : WriteOrder(c.TargetMissing)) {
        if (name == c.Target) break;
        ASSERT_LE(rebuilt.at(name).Bytes.size(), limit) << name << " would be cut short first";
      }
      outcome = RunWithFileSizeLimit(limit, build);
      break;
    }
    case Injection::ReadOnlyFolder:
      SetMode(folder, 0555);
      outcome = RunCatching(build);
      break;
    case Injection::ReadOnlyFile:
      outcome = RunCatching(build);
      break;
    case Injection::PictureRemoved:
      ASSERT_TRUE(std::filesystem::remove(JoinPath(folder, c.Target)));
      outcome = RunCatching(build);
      break;
    case Injection::FolderRemoved:
      std::filesystem::remove_all(folder);
      outcome = RunCatching(build);
      break;
  }

  ASSERT_FALSE(outcome.Crashed);
  EXPECT_EQ(outcome.Threw, !c.FailsAt.empty());
  EXPECT_EQ(outcome.ClassName, c.ClassName);
  EXPECT_EQ(outcome.Message, Expand(c.Message, folder));

  // The files before the failing step are new, complete versions; the
  // failing file and all after it are as they were.
  FolderState expected = before;
  for (const auto& name : WriteOrder(c.TargetMissing)) {
    if (name == c.FailsAt) break;
    expected[name].Bytes = rebuilt.at(name).Bytes;
    if (!before.count(name)) expected[name].Mode = rebuilt.at(name).Mode;
  }
  if (c.How == Injection::PictureRemoved) expected.erase(c.Target);
  if (c.How == Injection::FolderRemoved) {
    EXPECT_FALSE(std::filesystem::exists(folder)) << "the removed folder came back";
    expected.clear();
  }
  EXPECT_EQ(DescribeDifferences(expected, ReadFolderState(folder)), "");

  // Put right, the same build works and writes what it writes anywhere.
  switch (c.How) {
    case Injection::CutShort:
      break;
    case Injection::ReadOnlyFolder:
      SetMode(folder, 0755);
      break;
    case Injection::ReadOnlyFile:
      SetMode(JoinPath(folder, c.Target), 0644);
      break;
    case Injection::PictureRemoved:
      WriteFileBytes(JoinPath(folder, c.Target), before.at(c.Target).Bytes);
      break;
    case Injection::FolderRemoved:
      std::filesystem::create_directory(folder);
      for (const auto& [name, file] : before) {
        WriteFileBytes(JoinPath(folder, name), file.Bytes);
        SetMode(JoinPath(folder, name), file.Mode);
      }
      break;
  }
  ASSERT_NO_THROW(BuildAlbum(folder, pictures, SecondBuild));
  EXPECT_EQ(DescribeDifferences(rebuilt, ReadFolderState(folder)), "");
}

const AlbumCase Cases[] = {
    // (a) A write cut short: the file-size limit lies below the new file's
    // size and above every file written before it.
    {"CutShortTemplate", Injection::CutShort, Template, 3, true, Template, "EWriteError",
     "Stream write error"},
    {"CutShortThumbnails", Injection::CutShort, ThumbnailFileName, 3, false, ThumbnailFileName,
     "EWriteError", "Stream write error"},
    {"CutShortPictures", Injection::CutShort, PictureFileName, 3, false, PictureFileName,
     "EWriteError", "Stream write error"},
    // With no pictures the footer is the largest fragment.
    {"CutShortFooter", Injection::CutShort, FooterFileName, 0, false, FooterFileName, "EWriteError",
     "Stream write error"},
    {"CutShortPage", Injection::CutShort, Page, 3, false, Page, "EWriteError",
     "Stream write error"},

    // (b) A read-only folder: a file that is not there cannot be created.
    // Files that are there and writable are rewritten in place.
    {"ReadOnlyFolderTemplate", Injection::ReadOnlyFolder, Template, 3, true, Template,
     "EFCreateError", "Cannot create file album.SRC"},
    {"ReadOnlyFolderThumbnails", Injection::ReadOnlyFolder, ThumbnailFileName, 3, true,
     ThumbnailFileName, "EFCreateError", "Cannot create file TN.INC"},
    {"ReadOnlyFolderPictures", Injection::ReadOnlyFolder, PictureFileName, 3, true, PictureFileName,
     "EFCreateError", "Cannot create file Pics.INC"},
    {"ReadOnlyFolderFooter", Injection::ReadOnlyFolder, FooterFileName, 3, true, FooterFileName,
     "EFCreateError", "Cannot create file DLM.INC"},
    {"ReadOnlyFolderPage", Injection::ReadOnlyFolder, Page, 3, true, Page, "EFCreateError",
     "Cannot create file album.html"},
    {"ReadOnlyFolderSettings", Injection::ReadOnlyFolder, FolderSettingsFileName, 3, true,
     FolderSettingsFileName, "EIniFileException", "Unable to write to $FOLDER/AmbrelinDir.INI"},
    {"ReadOnlyFolderEveryFileThere", Injection::ReadOnlyFolder, "", 3, false, "", "", ""},

    // (c) A read-only file is never replaced. The template is only read.
    {"ReadOnlyTemplateIsRead", Injection::ReadOnlyFile, Template, 3, false, "", "", ""},
    {"ReadOnlyThumbnails", Injection::ReadOnlyFile, ThumbnailFileName, 3, false, ThumbnailFileName,
     "EFCreateError", "Cannot create file TN.INC"},
    {"ReadOnlyPictures", Injection::ReadOnlyFile, PictureFileName, 3, false, PictureFileName,
     "EFCreateError", "Cannot create file Pics.INC"},
    {"ReadOnlyFooter", Injection::ReadOnlyFile, FooterFileName, 3, false, FooterFileName,
     "EFCreateError", "Cannot create file DLM.INC"},
    {"ReadOnlyPage", Injection::ReadOnlyFile, Page, 3, false, Page, "EFCreateError",
     "Cannot create file album.html"},
    {"ReadOnlySettings", Injection::ReadOnlyFile, FolderSettingsFileName, 3, false,
     FolderSettingsFileName, "EIniFileException", "Unable to write to $FOLDER/AmbrelinDir.INI"},

    // (d) Removed between the listing and the build: a listed picture ends
    // the build when it is measured; a removed folder when the first file
    // (the template, missing with the folder) is created.
    {"PictureRemoved", Injection::PictureRemoved, "b.jpg", 3, false, PictureFileName, "EFOpenError",
     "Cannot open file b.jpg"},
    {"FolderRemoved", Injection::FolderRemoved, "", 3, false, Template, "EFCreateError",
     "Cannot create file album.SRC"},
};

// Each case is shown (and named in CTest) by its name.
void PrintTo(const AlbumCase& c, std::ostream* out) {
  *out << c.Name;
}

INSTANTIATE_TEST_SUITE_P(Files, AlbumWriteFailureTest, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<AlbumCase>& info) {
                           return std::string(info.param.Name);
                         });

}  // namespace
