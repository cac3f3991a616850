// Failures while writing the description file "!.KVD" and the two settings
// files lose nothing. Each file is written once, then written again with
// other content while a failure is injected: a write cut short by a
// file-size limit, a read-only folder (the file not there yet), a read-only
// file, or the folder removed. The error must be the documented one, the
// folder must hold exactly what it held before (no temporary, no partial
// file), and the same command must succeed once the failure is put right.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "core/folder/DescriptionFile.h"
#include "core/folder/ImageTable.h"
#include "core/folder/Settings.h"
#include "core/folder/TIniFile.h"
#include "core/platform/FileSystem.h"
#include "support/FailureFolder.h"
#include "support/TestUtil.h"

namespace {

enum class SettingsFile { Descriptions, FolderSettings, ProgramSettings };
enum class Injection {
  CutShort,
  ReadOnlyFolder,
  ReadOnlyFolderFileThere,
  ReadOnlyFile,
  FolderRemoved
};

std::string NameOfFile(SettingsFile file) {
  switch (file) {
    case SettingsFile::Descriptions:
      return DescriptionFileName;
    case SettingsFile::FolderSettings:
      return FolderSettingsFileName;
    case SettingsFile::ProgramSettings:
      return ProgramSettingsFileName;
  }
  return {};
}

// The command that writes the file, in its first (1) or second (2) form.
void WriteVersion(SettingsFile file, const std::string& folder, int version) {
  switch (file) {
    case SettingsFile::Descriptions: {
      // The description editor's save: picture 1's memo text, then the
      // whole file.
      ImageTable table;
      BuildImageTable(table, {"a.jpg", "b.jpg", "c.jpg"});
      const std::string text = version == 1 ? "First" : "Second and longer";
      for (auto& entry : table.Entries) entry.SetDescription(text + " " + entry.NameText());
      SaveDescriptions(table, DescriptionFilePath(folder), text + " memo\r\ntext", 1);
      break;
    }
    case SettingsFile::FolderSettings: {
      // The options stored after a build; the longer title makes the first
      // of the three writes the one that grows the file.
      const TIniFile settings(JoinPath(folder, FolderSettingsFileName));
      SaveAlbumOptions(settings, {version == 1 ? "Summer" : "Summer by the sea, second edition",
                                  "album", version == 1});
      break;
    }
    case SettingsFile::ProgramSettings: {
      TIniFile settings;
      BindProgramSettings(settings, folder);
      RememberPictureDirectory(
          settings, version == 1 ? "/srv/pictures/first" : "/srv/pictures/a second, longer one");
      break;
    }
  }
}

struct SettingsCase {
  const char* Name;
  SettingsFile File;
  Injection How;
  bool Fails;
  std::string ClassName;
  std::string Message;  // "$PATH" stands for the file's path as bound
};

class SettingsWriteFailureTest : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsWriteFailureTest, LosesNothingAndTheNextWriteWorks) {
  const SettingsCase& c = GetParam();
  TempDir root;
  const std::string folder = root.File("folder");
  const std::string twin = root.File("twin");
  std::filesystem::create_directory(folder);
  const std::string name = NameOfFile(c.File);
  const std::string path = JoinPath(folder, name);

  ASSERT_NO_THROW(WriteVersion(c.File, folder, 1));
  WriteFileBytes(JoinPath(folder, "other.txt"), "a file of the user's\n");
  if (c.How == Injection::ReadOnlyFolder) {
    ASSERT_TRUE(std::filesystem::remove(path));
  }
  if (c.How == Injection::ReadOnlyFile) SetMode(path, 0444);

  // What the second write gives when nothing fails.
  CopyFolder(folder, twin);
  if (c.How == Injection::ReadOnlyFile) SetMode(JoinPath(twin, name), 0644);
  ASSERT_NO_THROW(WriteVersion(c.File, twin, 2));
  const FolderState rewritten = ReadFolderState(twin);
  const FolderState before = ReadFolderState(folder);

  const auto write = [&] { WriteVersion(c.File, folder, 2); };
  ChildOutcome outcome;
  switch (c.How) {
    case Injection::CutShort:
      outcome = RunWithFileSizeLimit(rewritten.at(name).Bytes.size() - 1, write);
      break;
    case Injection::ReadOnlyFolder:
    case Injection::ReadOnlyFolderFileThere:
      SetMode(folder, 0555);
      outcome = RunCatching(write);
      break;
    case Injection::ReadOnlyFile:
      outcome = RunCatching(write);
      break;
    case Injection::FolderRemoved:
      std::filesystem::remove_all(folder);
      outcome = RunCatching(write);
      break;
  }

  ASSERT_FALSE(outcome.Crashed);
  EXPECT_EQ(outcome.Threw, c.Fails);
  EXPECT_EQ(outcome.ClassName, c.ClassName);
  std::string message = c.Message;
  if (const auto at = message.find("$PATH"); at != std::string::npos) message.replace(at, 5, path);
  EXPECT_EQ(outcome.Message, message);

  if (c.How == Injection::FolderRemoved) {
    EXPECT_FALSE(std::filesystem::exists(folder)) << "the removed folder came back";
  } else {
    EXPECT_EQ(DescribeDifferences(c.Fails ? before : rewritten, ReadFolderState(folder)), "");
  }

  // Put right, the same write works.
  switch (c.How) {
    case Injection::CutShort:
      break;
    case Injection::ReadOnlyFolder:
    case Injection::ReadOnlyFolderFileThere:
      SetMode(folder, 0755);
      break;
    case Injection::ReadOnlyFile:
      SetMode(path, 0644);
      break;
    case Injection::FolderRemoved:
      std::filesystem::create_directory(folder);
      for (const auto& [entry, file] : before) {
        WriteFileBytes(JoinPath(folder, entry), file.Bytes);
        SetMode(JoinPath(folder, entry), file.Mode);
      }
      break;
  }
  ASSERT_NO_THROW(write());
  EXPECT_EQ(DescribeDifferences(rewritten, ReadFolderState(folder)), "");
}

constexpr auto Kvd = SettingsFile::Descriptions;
constexpr auto FolderIni = SettingsFile::FolderSettings;
constexpr auto ProgramIni = SettingsFile::ProgramSettings;
const std::string IniError = "EIniFileException";
const std::string UnableToWrite = "Unable to write to $PATH";

const SettingsCase Cases[] = {
    // "!.KVD": record-file errors by their codes.
    {"DescriptionsCutShort", Kvd, Injection::CutShort, true, "EInOutError", "Disk full"},
    {"DescriptionsReadOnlyFolder", Kvd, Injection::ReadOnlyFolder, true, "EInOutError",
     "File access denied"},
    {"DescriptionsReadOnlyFile", Kvd, Injection::ReadOnlyFile, true, "EInOutError",
     "File access denied"},
    {"DescriptionsFolderRemoved", Kvd, Injection::FolderRemoved, true, "EInOutError",
     "File not found"},
    // A writable file in a read-only folder is rewritten in place.
    {"DescriptionsReadOnlyFolderFileThere", Kvd, Injection::ReadOnlyFolderFileThere, false, "", ""},

    // "AmbrelinDir.INI", through the options a build stores.
    {"FolderSettingsCutShort", FolderIni, Injection::CutShort, true, IniError, UnableToWrite},
    {"FolderSettingsReadOnlyFolder", FolderIni, Injection::ReadOnlyFolder, true, IniError,
     UnableToWrite},
    {"FolderSettingsReadOnlyFile", FolderIni, Injection::ReadOnlyFile, true, IniError,
     UnableToWrite},
    {"FolderSettingsFolderRemoved", FolderIni, Injection::FolderRemoved, true, IniError,
     UnableToWrite},
    {"FolderSettingsReadOnlyFolderFileThere", FolderIni, Injection::ReadOnlyFolderFileThere, false,
     "", ""},

    // "Ambrelin.INI", through the folder remembered at each folder change.
    {"ProgramSettingsCutShort", ProgramIni, Injection::CutShort, true, IniError, UnableToWrite},
    {"ProgramSettingsReadOnlyFolder", ProgramIni, Injection::ReadOnlyFolder, true, IniError,
     UnableToWrite},
    {"ProgramSettingsReadOnlyFile", ProgramIni, Injection::ReadOnlyFile, true, IniError,
     UnableToWrite},
    {"ProgramSettingsFolderRemoved", ProgramIni, Injection::FolderRemoved, true, IniError,
     UnableToWrite},
    {"ProgramSettingsReadOnlyFolderFileThere", ProgramIni, Injection::ReadOnlyFolderFileThere,
     false, "", ""},
};

// Each case is shown (and named in CTest) by its name.
void PrintTo(const SettingsCase& c, std::ostream* out) {
  *out << c.Name;
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsWriteFailureTest, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<SettingsCase>& info) {
                           return std::string(info.param.Name);
                         });

}  // namespace
