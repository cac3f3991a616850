// The album build: its inputs, its state and its steps. Every file of a
// build lies in the picture folder; names are looked up ignoring letter case.
#pragma once

#include <QDateTime>
#include <map>
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

// Files of a build kept in memory instead of written: their bytes by name.
using AlbumFiles = std::map<std::string, std::string>;

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
  // When set, the build writes nothing into the picture folder, the options
  // included: each file is kept here instead (a folder that cannot be
  // written, published from memory). The folder's template is still read.
  AlbumFiles* KeptFiles = nullptr;
  // "Ambrelin created!" ends a build that wrote its files; the main
  // window's publish goes on to its progress without it.
  bool AnnounceCreated = true;
};

// The state of the last build; each build overwrites it.
struct AlbumBuildState {
  std::string BuildDate;
  std::string BuildTime;
  int AlbumPictureCount = 0;
  bool InputInvalid = false;
  std::string AlbumBaseName;
  TextLines TemplateLines;
  JoinedLines ThumbnailLines;  // one line per cell part: thousands for a big folder
  JoinedLines PictureLines;
  TextLines FooterLines;
};

inline constexpr const char* ThumbnailFileName = "TN.INC";
inline constexpr const char* PictureFileName = "Pics.INC";
inline constexpr const char* FooterFileName = "DLM.INC";
inline constexpr const char* EmailFileName = "Email.Inc";

// The whole build behind "&Create Album". Returns true when the album was
// written, "Ambrelin created!" was shown and the options were stored (or,
// with KeptFiles, the album was built in memory).
// Errors of the steps pass to the caller and end the build where they occur.
bool CreateAlbum(AlbumBuildState& state, AlbumInput& input, AlbumEnvironment& env);

// How the steps write a file of the build, given as its bytes or its
// lines: into the picture folder, or into KeptFiles when set.
void WriteAlbumFile(const AlbumEnvironment& env, const std::string& name, std::string_view bytes);
void WriteAlbumFile(const AlbumEnvironment& env, const std::string& name, const TextLines& lines);

// Captures the date and time, checks title and index name (one message per
// missing input), derives AlbumBaseName (rewriting input.IndexName when it
// held a ".") and, when valid, rebuilds the image table.
void ValidateAlbumInput(AlbumBuildState& state, AlbumInput& input, AlbumEnvironment& env);

// The index name reduced to what follows its last "\", ":" or "/".
std::string IndexNameWithoutFolder(const std::string& indexName);

// The AlbumBaseName that a build derives from an index name: what follows
// its last "\", ":" or "/", up to its first ".".
std::string AlbumBaseNameOf(const std::string& indexName);

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
