// The main window: the picture folder (drive box, folder list, file list),
// the album options and the commands. The work is done by the settings,
// image table and album build functions; the window reads its boxes into
// them and shows what they give back.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/album/AlbumBuild.h"
#include "core/folder/MainState.h"
#include "core/folder/Settings.h"
#include "core/publish/Publish.h"
#include "core/shell/EventGuard.h"
#include "gui/mainwindow/PublishProgress.h"

namespace Ui {
class TfrmMain;
}
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TDirectoryListBox;
class TDriveComboBox;
class TFileListBox;

// Opens the description editor modally on the main window's state and
// returns when it is closed.
using DescriptionEditor = std::function<void(MainState&)>;

// Shows the About box without making it modal, with the given version line.
using AboutBoxShower = std::function<void(const std::string& versionText)>;

// Asks for a folder, the given one proposed (it need not exist yet); ""
// when the user cancels.
using FolderChooser = std::function<std::string(const std::string& proposed)>;

class TfrmMain : public QWidget {
  Q_OBJECT

 public:
  // Creates the window hidden, laid out for state.Screen (designed at 96
  // pixels per inch, text 13 pixels high), and runs FormCreate.
  explicit TfrmMain(MainState& state, QWidget* parent = nullptr);
  ~TfrmMain() override;

  // What btnAbout shows (the About box, created after this window), given
  // the text of its version line.
  void SetAboutBox(AboutBoxShower showAbout) { ShowAbout = std::move(showAbout); }
  // The editor that btnEditDesc opens; none: descriptions are only loaded.
  void SetDescriptionEditor(DescriptionEditor editor) { Editor = std::move(editor); }
  // How btnPublish asks for the target folder (ChoosePublishFolder unless
  // replaced).
  void SetFolderChooser(FolderChooser chooser) { ChooseFolder = std::move(chooser); }
  // Called on a publishing worker before each picture (tests hold them).
  void SetPublishHook(std::function<void()> hook) { PublishHook = std::move(hook); }

  // The event handlers. Each runs its body through the guard: an error is
  // shown in the error box and ends the handler, never the program.
  void FormCreate();
  void FormActivate();
  void DLB1Change();
  void btnEditDescClick();
  void btnCreateClick();
  void btnAboutClick();
  void btnExitClick();
  // "All picture kinds" ticked or cleared: the file list takes in the
  // phone and messenger kinds, or leaves them out, at once.
  void cbAllKindsClick();
  // Asks for the target folder (the last one, or "FOLDER-web" beside the
  // picture folder), refuses a file, a folder inside the picture
  // folder and someone else's files under needed names, builds the album
  // as btnCreateClick does but without its boxes (in memory when the
  // picture folder cannot be written), then publishes it
  // (core/publish/Publish.h) on worker threads while a progress dialog with
  // a Cancel button runs. Ends with one box saying what was published, or
  // that the publish was cancelled, and remembers the folder in the
  // folder's settings.
  void btnPublishClick();

  // True while a publish's threads run.
  bool Publishing() const;

  // The state of the last album build.
  const AlbumBuildState& LastBuild() const { return Build; }

  // How many times the folder handling DLB1Change has run.
  int FolderChanges() const { return FolderChangeCount; }

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  // A publish still running is cancelled and its threads joined; then the
  // window closes.
  void closeEvent(QCloseEvent* event) override;

 private:
  bool CreateAlbumFromBoxes(bool forPublishing = false, AlbumFiles* kept = nullptr);
  void StopPublishing();
  void ApplyFonts(int pixelsPerInch);
  void ShowStartFolder();
  void ShowOptions(const AlbumOptions& options);
  AlbumOptions BoxOptions() const;
  void SetFileCount();
  void ShowListedFolder();
  void ShowChosenKinds();
  void ShowKindNotice();
  void OfferLowerCaseNames(const std::vector<std::string>& pictures);
  void RereadFileList();

  MainState& State;
  EventGuard Guard;
  std::unique_ptr<Ui::TfrmMain> ui;
  AboutBoxShower ShowAbout;
  AlbumBuildState Build;  // the last album build
  // Its pictures as the page names them (a later rename to lower case
  // changes the table, not the page).
  std::vector<std::string> AlbumPictures;
  PictureProbe Probe;  // the last picture measured by a build
  DescriptionEditor Editor;
  FolderChooser ChooseFolder;
  std::function<void()> PublishHook;
  std::unique_ptr<PublishProgress> Run;  // the publish under way
  bool ClosedWhilePublishing = false;
  int FolderChangeCount = 0;
  // During start-up: the "PicDirPath" write was refused once already and is
  // not reported a second time by the folder handling.
  bool StartupPicDirPathRefused = false;
};
