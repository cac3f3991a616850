// What the main window's module owns for the whole run: the shown folder,
// its settings and its image table. The windows share it; the program makes
// one at start-up, tests make their own.
#pragma once

#include <string>

#include "core/folder/ImageTable.h"
#include "core/folder/TIniFile.h"
#include "core/platform/LocaleFormats.h"
#include "core/platform/ScreenMetrics.h"
#include "core/shell/MessageBoxes.h"
#include "core/shell/VersionInfo.h"

struct MainState {
  explicit MainState(MessageBoxes& messages) : Messages(messages) {}

  // Given before the window is created.
  MessageBoxes& Messages;
  std::string ProgramDirectory;       // the directory current at start-up
  std::string FirstPictureDirectory;  // shown while none is stored; empty: ProgramDirectory
  ScreenMetrics Screen;
  const VersionRecord* Record = &ProgramVersionRecord();
  DateTimeSettings DateTime = UnitedStatesDateTimeSettings();

  // Kept by the window.
  VersionInfo Version;
  std::string PictureDirectory;  // the shown folder, the current directory
  std::string DescriptionFile;   // PictureDirectory's "!.KVD"
  TIniFile ProgramSettings;      // ProgramDirectory's "Ambrelin.INI"
  TIniFile FolderSettings;       // PictureDirectory's "AmbrelinDir.INI"
  ImageTable Table;              // the shown folder's pictures
  // The shown folder's pictures are of all kinds, the phone and messenger
  // kinds too (its "All picture kinds" box): the file list and the
  // description editor take them in.
  bool AllPictureKinds = false;
  // Set by the description editor when it has renamed a picture file, so
  // the file list no longer holds the folder's names: the main window
  // lists the folder again when it becomes active, and clears it.
  bool PictureRenamed = false;
};
