// The two settings files: the program's "Ambrelin.INI" in the directory
// that was current at start-up (it remembers the last picture folder) and
// each picture folder's "AmbrelinDir.INI" (the album options last used
// there). The settings objects belong to the caller; these functions bind,
// read and write them at the moments the main window chooses.
#pragma once

#include <string>

#include "core/folder/TIniFile.h"

// File names, sections, keys and defaults.
inline constexpr char ProgramSettingsFileName[] = "Ambrelin.INI";
inline constexpr char FolderSettingsFileName[] = "AmbrelinDir.INI";
inline constexpr char MainSection[] = "Main";
inline constexpr char PicDirPathKey[] = "PicDirPath";
inline constexpr char OptionsSection[] = "Options";
inline constexpr char WebPageTitleKey[] = "WebPageTitle";
inline constexpr char FileNameKey[] = "FileName";
inline constexpr char PicHeadingsKey[] = "PicHeadings";
inline constexpr char AllPictureKindsKey[] = "AllPictureKinds";
inline constexpr char PublishFolderKey[] = "PublishFolder";
inline constexpr char DefaultWebPageTitle[] = "My Ambrelin";
inline constexpr char DefaultFileName[] = "album.html";
inline constexpr char DefaultPicHeadings[] = "1";
inline constexpr char DefaultAllPictureKinds[] = "0";

// The album options of a picture folder, as the main window's boxes show
// them: the page title, the index file name, whether picture file names
// appear on the page (the `IncludeFileNames` option) and whether the album
// takes in all picture kinds, the phone and messenger kinds too.
struct AlbumOptions {
  std::string WebPageTitle = DefaultWebPageTitle;
  std::string FileName = DefaultFileName;
  bool IncludeFileNames = true;
  bool AllPictureKinds = false;
};

// Binds programSettings to programDirectory + "/Ambrelin.INI".
void BindProgramSettings(TIniFile& programSettings, const std::string& programDirectory);

// The picture folder that start-up shows, from the stored "PicDirPath"
// value: the folder it names when that is an existing directory (a relative
// value taken relative to programDirectory; the result is absolute and
// canonical), else programDirectory (value empty, a file, or a folder that
// no longer exists).
std::string StartDirectoryFromSetting(const std::string& storedPath,
                                      const std::string& programDirectory);

// The start-up steps of the program settings: bind programSettings to
// programDirectory's "Ambrelin.INI", read "PicDirPath" of "Main" (default
// firstStartDirectory, or programDirectory when that is empty: the folder
// a first start shows), choose the folder by StartDirectoryFromSetting and
// write it back at once, so a stale or missing entry is replaced before
// anything else happens. pictureDirectory receives the chosen folder before
// the write; a refused write raises EIniFileException and leaves the choice
// in pictureDirectory, so start-up can still show that folder.
void ChooseStartDirectory(TIniFile& programSettings, const std::string& programDirectory,
                          std::string& pictureDirectory,
                          const std::string& firstStartDirectory = {});

// Writes the shown folder, exactly as the folder list reports it, to
// "PicDirPath" of "Main". Raises EIniFileException when refused.
void RememberPictureDirectory(const TIniFile& programSettings, const std::string& pictureDirectory);

// Binds folderSettings to pictureDirectory + "/AmbrelinDir.INI" (writing
// nothing: a folder without that file keeps having none) and reads the
// options of "Options": "WebPageTitle" (default "My Ambrelin"), "FileName"
// (default "album.html"), "PicHeadings" (default "1") and "AllPictureKinds"
// (default "0"); each of the last two is on only when its value is exactly
// "1".
AlbumOptions LoadAlbumOptions(TIniFile& folderSettings, const std::string& pictureDirectory);

// Writes "WebPageTitle", "FileName" (both unchanged, not trimmed),
// "PicHeadings" ("1" or "0") and "AllPictureKinds" ("1" or "0") to
// "Options", in this order. "AllPictureKinds" is written only when the
// option is on or the file holds the key already, so the file of a folder
// that never took in all kinds keeps its four lines. The first refused
// write raises EIniFileException; the values written before it stay.
void SaveAlbumOptions(const TIniFile& folderSettings, const AlbumOptions& options);

// The folder this picture folder's album was last published to, from
// "PublishFolder" of "Options" ("" when it never was).
std::string LoadPublishFolder(const TIniFile& folderSettings);

// Writes "PublishFolder" of "Options" after a successful publish; the other
// keys keep their lines. Raises EIniFileException when refused.
void SavePublishFolder(const TIniFile& folderSettings, const std::string& publishFolder);
