// The album build: its inputs, its state and its steps. Every file of a
// build lies in the picture folder; names are looked up ignoring letter case.
#pragma once

#include <QDateTime>
#include <string>
#include <vector>

#include "core/folder/ImageTable.h"
#include "core/pictures/PictureKind.h"
#include "core/pictures/ProbePicture.h"
#include "core/platform/LocaleFormats.h"
#include "core/platform/TextFile.h"
#include "core/shell/MessageBoxes.h"
#include "core/shell/VersionInfo.h"

class TIniFile;

// What the main window (or the batch front-end) gives a build.
struct AlbumInput {
  std::string Title;      // the page title box
  std::string IndexName;  // the index file name box; a build may rewrite it
  bool IncludeFileNames = true;
  bool AllPictureKinds = false;           // the file list takes in the phone and messenger kinds
  std::vector<std::string> PictureFiles;  // the file list, in its order
};

// What a build works with besides its input.
struct AlbumEnvironment {
  AlbumEnvironment(std::string pictureDirectory, ImageTable& table, const VersionInfo& version,
                   MessageBoxes& messages)
      : PictureDirectory(std::move(pictureDirectory)),
        Table(table),
        Version(version),
        Messages(messages) {}

  std::string PictureDirectory;
  ImageTable& Table;
  const VersionInfo& Version;
  MessageBoxes& Messages;
  ScreenMetrics Screen;
  DateTimeSettings DateTime = UnitedStatesDateTimeSettings();
  QDateTime (*Clock)() = BuildInstant;
  PictureProbe Probe;                        // the last successful measurement
  const TIniFile* FolderSettings = nullptr;  // where the options are stored
};

// The state of the last build; each build overwrites it.
struct AlbumBuildState {
  std::string BuildDate;
  std::string BuildTime;
  int AlbumPictureCount = 0;
  bool InputInvalid = false;
  std::string AlbumBaseName;
  TextLines TemplateLines;
  TextLines ThumbnailLines;
  TextLines PictureLines;
  TextLines FooterLines;
};

inline constexpr const char* ThumbnailFileName = "TN.INC";
inline constexpr const char* PictureFileName = "Pics.INC";
inline constexpr const char* FooterFileName = "DLM.INC";
inline constexpr const char* EmailFileName = "Email.Inc";

// The whole build behind "&Create Album". Returns true when the album was
// written, "Ambrelin created!" was shown and the options were stored.
// Errors of the steps pass to the caller and end the build where they occur.
bool CreateAlbum(AlbumBuildState& state, AlbumInput& input, AlbumEnvironment& env);

// Captures the date and time, checks title and index name (one message per
// missing input), derives AlbumBaseName (rewriting input.IndexName when it
// held a ".") and, when valid, rebuilds the image table.
void ValidateAlbumInput(AlbumBuildState& state, AlbumInput& input, AlbumEnvironment& env);

// The index name reduced to what follows its last "\", ":" or "/".
std::string IndexNameWithoutFolder(const std::string& indexName);

void PrepareTemplate(AlbumBuildState& state, const AlbumInput& input, const AlbumEnvironment& env);
void BuildThumbnailFragment(AlbumBuildState& state, const AlbumInput& input,
                            const AlbumEnvironment& env);
void BuildPictureFragment(AlbumBuildState& state, const AlbumInput& input, AlbumEnvironment& env);
void BuildFooterFragment(AlbumBuildState& state, const AlbumEnvironment& env);
void AssemblePage(AlbumBuildState& state, const AlbumEnvironment& env);

// The default template lines for a title and version.
TextLines DefaultTemplateLines(const std::string& title, const VersionInfo& version);

// The display size of a picture: fitted into 768 x 400, never enlarged.
struct DisplaySize {
  int Width;
  int Height;
};
DisplaySize FitDisplaySize(int width, int height);

// The page's file name: AlbumBaseName + ".html", lower-cased.
std::string PageFileName(const std::string& albumBaseName);
