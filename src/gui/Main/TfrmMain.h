// The main window: the picture folder (drive box, folder list, file list),
// the album options and the commands. The work is done by the settings,
// image table and album build functions; the window reads its boxes into
// them and shows what they give back.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "core/Main/ImageTable.h"
#include "core/Main/Settings.h"
#include "core/Main/TIniFile.h"
#include "core/Main/album/AlbumBuild.h"
#include "core/app/EventGuard.h"
#include "core/app/MessageBoxes.h"
#include "core/app/VersionInfo.h"
#include "core/pictures/PictureKind.h"
#include "core/pictures/ProbePicture.h"
#include "core/platform/LocaleFormats.h"

namespace Ui {
class TfrmMain;
}
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TAboutBox;
class TDirectoryListBox;
class TDriveComboBox;
class TFileListBox;

// What the main window's module owns for the whole run. The program makes
// one at start-up; tests make their own.
struct MainState {
  explicit MainState(MessageBoxes& messages) : Messages(messages) {}

  // Given before the window is created.
  MessageBoxes& Messages;
  std::string ProgramDirectory;  // the directory current at start-up
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
  AlbumBuildState Build;         // the last album build
  PictureProbe Probe;            // the last picture measured by a build
};

// Opens the description editor modally on the main window's state and
// returns when it is closed.
using DescriptionEditor = std::function<void(MainState&)>;

class TfrmMain : public QWidget {
  Q_OBJECT

 public:
  // Creates the window hidden, laid out for state.Screen (designed at 96
  // pixels per inch, text 13 pixels high), and runs FormCreate.
  explicit TfrmMain(MainState& state, QWidget* parent = nullptr);
  ~TfrmMain() override;

  // The About box that btnAbout shows (created after this window).
  void SetAboutBox(TAboutBox* aboutBox) { AboutBox = aboutBox; }
  // The editor that btnEditDesc opens; none: descriptions are only loaded.
  void SetDescriptionEditor(DescriptionEditor editor) { Editor = std::move(editor); }

  // The event handlers. Each runs its body through the guard: an error is
  // shown in the error box and ends the handler, never the program.
  void FormCreate();
  void FormActivate();
  void DLB1Change();
  void btnEditDescClick();
  void btnCreateClick();
  void btnAboutClick();
  void btnExitClick();

  // How many times the folder handling DLB1Change has run.
  int FolderChanges() const { return FolderChangeCount; }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void ApplyFonts(int pixelsPerInch);
  void ShowStartFolder();
  void ShowOptions(const AlbumOptions& options);
  AlbumOptions BoxOptions() const;
  void SetFileCount();

  MainState& State;
  EventGuard Guard;
  std::unique_ptr<Ui::TfrmMain> ui;
  TAboutBox* AboutBox = nullptr;
  DescriptionEditor Editor;
  int FolderChangeCount = 0;
  // During start-up: the "PicDirPath" write was refused once already and is
  // not reported a second time by the folder handling.
  bool StartupPicDirPathRefused = false;
};
