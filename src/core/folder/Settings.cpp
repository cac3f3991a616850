#include "core/folder/Settings.h"

#include <climits>
#include <cstdlib>
#include <memory>

#include "core/platform/FileSystem.h"

namespace {
// The absolute canonical form of an existing folder, as the folder list
// reports folders (no trailing "/" except the root); the path unchanged if
// it cannot be resolved.
std::string CanonicalFolder(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
  return resolved ? std::string(resolved.get()) : path;
}
}  // namespace

void BindProgramSettings(TIniFile& programSettings, const std::string& programDirectory) {
  programSettings.Bind(JoinPath(programDirectory, ProgramSettingsFileName));
}

std::string StartDirectoryFromSetting(const std::string& storedPath,
                                      const std::string& programDirectory) {
  if (storedPath.empty()) return programDirectory;
  const std::string path = JoinPath(programDirectory, storedPath);
  if (!IsDirectory(path)) return programDirectory;
  return CanonicalFolder(path);
}

void ChooseStartDirectory(TIniFile& programSettings, const std::string& programDirectory,
                          std::string& pictureDirectory, const std::string& firstStartDirectory) {
  BindProgramSettings(programSettings, programDirectory);
  const std::string stored = programSettings.ReadString(
      MainSection, PicDirPathKey,
      firstStartDirectory.empty() ? programDirectory : firstStartDirectory);
  pictureDirectory = StartDirectoryFromSetting(stored, programDirectory);
  RememberPictureDirectory(programSettings, pictureDirectory);
}

void RememberPictureDirectory(const TIniFile& programSettings,
                              const std::string& pictureDirectory) {
  programSettings.WriteString(MainSection, PicDirPathKey, pictureDirectory);
}

AlbumOptions LoadAlbumOptions(TIniFile& folderSettings, const std::string& pictureDirectory) {
  folderSettings.Bind(JoinPath(pictureDirectory, FolderSettingsFileName));
  AlbumOptions options;
  options.WebPageTitle =
      folderSettings.ReadString(OptionsSection, WebPageTitleKey, DefaultWebPageTitle);
  options.FileName = folderSettings.ReadString(OptionsSection, FileNameKey, DefaultFileName);
  // Compared byte for byte: "01", "1.0", "on" or "true" leave the option off.
  options.IncludeFileNames =
      folderSettings.ReadString(OptionsSection, PicHeadingsKey, DefaultPicHeadings) == "1";
  options.AllPictureKinds =
      folderSettings.ReadString(OptionsSection, AllPictureKindsKey, DefaultAllPictureKinds) == "1";
  return options;
}

void SaveAlbumOptions(const TIniFile& folderSettings, const AlbumOptions& options) {
  folderSettings.WriteString(OptionsSection, WebPageTitleKey, options.WebPageTitle);
  folderSettings.WriteString(OptionsSection, FileNameKey, options.FileName);
  folderSettings.WriteString(OptionsSection, PicHeadingsKey, options.IncludeFileNames ? "1" : "0");
  // No value read from the file can be a line break: it tells a missing key.
  const bool stored = folderSettings.ReadString(OptionsSection, AllPictureKindsKey, "\n") != "\n";
  if (options.AllPictureKinds || stored)
    folderSettings.WriteString(OptionsSection, AllPictureKindsKey,
                               options.AllPictureKinds ? "1" : "0");
}

std::string LoadPublishFolder(const TIniFile& folderSettings) {
  return folderSettings.ReadString(OptionsSection, PublishFolderKey, "");
}

void SavePublishFolder(const TIniFile& folderSettings, const std::string& publishFolder) {
  folderSettings.WriteString(OptionsSection, PublishFolderKey, publishFolder);
}
