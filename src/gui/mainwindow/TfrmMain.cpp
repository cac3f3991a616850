#include "gui/mainwindow/TfrmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QShowEvent>
#include <algorithm>
#include <optional>
#include <vector>

#include "core/album/LowerCaseNames.h"
#include "core/folder/DescriptionFile.h"
#include "core/pictures/FileFormats.h"
#include "core/pictures/KindNotices.h"
#include "core/platform/FileSystem.h"
#include "core/platform/LocalText.h"
#include "core/platform/SafeFile.h"
#include "drawing/WebCopies.h"
#include "gui/common/WindowScaling.h"
#include "gui/mainwindow/PublishFolderDialog.h"
#include "gui/mainwindow/TDirectoryListBox.h"
#include "gui/mainwindow/TDriveComboBox.h"
#include "gui/mainwindow/TFileListBox.h"
#include "ui_TfrmMain.h"

namespace {

// The window as designed: client area, place on the screen, fonts.
constexpr QSize DesignClientSize(676, 371);
constexpr QPoint DesignPosition(75, 104);
constexpr int WindowFontPixels = 13;
constexpr int TitleFontPixels = 49;
constexpr int ButtonFontPixels = 16;
constexpr int ListRowHeight = 16;

// The busy pointer while a command runs.
class BusyPointer {
 public:
  BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyPointer() { QApplication::restoreOverrideCursor(); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

// Runs an action when the scope is left, also when an error leaves it.
template <class Action>
class OnScopeExit {
 public:
  explicit OnScopeExit(Action action) : Run(std::move(action)) {}
  ~OnScopeExit() { Run(); }
  OnScopeExit(const OnScopeExit&) = delete;
  OnScopeExit& operator=(const OnScopeExit&) = delete;

 private:
  Action Run;
};

// The window's controls take no input for the scope (a publish runs under
// its progress dialog); the window itself can still be closed. The focus
// returns where it was.
class ControlsDisabled {
 public:
  explicit ControlsDisabled(QWidget& window) : Focus(window.focusWidget()) {
    for (QWidget* control : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (!control->isWindow() && control->isEnabled()) {
        control->setEnabled(false);
        Disabled.emplace_back(control);
      }
  }
  ~ControlsDisabled() {
    for (const QPointer<QWidget>& control : Disabled)
      if (control) control->setEnabled(true);
    if (Focus) Focus->setFocus();
  }
  ControlsDisabled(const ControlsDisabled&) = delete;
  ControlsDisabled& operator=(const ControlsDisabled&) = delete;

 private:
  QPointer<QWidget> Focus;
  std::vector<QPointer<QWidget>> Disabled;
};

}  // namespace

TfrmMain::TfrmMain(MainState& state, QWidget* parent)
    : QWidget(parent), State(state), Guard(state.Messages), ui(std::make_unique<Ui::TfrmMain>()) {
  ui->setupUi(this);

  const WindowScaling scaling(MainDesignPixelsPerInch, MainDesignTextHeight,
                              State.Screen.PixelsPerInch);
  ApplyFonts(State.Screen.PixelsPerInch);
  ScaleGeometry({ui->Label1, ui->DCB1, ui->DLB1, ui->FLB1, ui->Label2, ui->Label3, ui->Label4,
                 ui->Edit1, ui->Label5, ui->Edit2, ui->cb1, ui->cbAllKinds, ui->lblKinds,
                 ui->btnEditDesc, ui->btnCreate, ui->btnAbout, ui->btnExit, ui->btnPublish},
                scaling);
  // The captions that are not of fixed size grow to their texts where the
  // installed font draws them wider than designed.
  for (QLabel* caption : {ui->Label2, ui->Label4, ui->Label5}) {
    caption->setMinimumWidth(caption->width());
    SizeToText(caption);
  }
  resize(EnclosingClientSize(scaling.Size(DesignClientSize), *this));
  setMinimumSize(ControlsExtent(*this));
  move(DesignPosition);
  ui->DLB1->SetRowHeight(scaling.Length(ListRowHeight));
  ui->FLB1->SetRowHeight(scaling.Length(ListRowHeight));
  KeepFrameOnWholePixels(ui->DLB1);
  KeepFrameOnWholePixels(ui->FLB1);

  // The folder controls: drive box -> folder list -> file list, and the
  // folder list tells the drive box which volume it shows.
  ui->DCB1->SetDirList(ui->DLB1);
  ui->DCB1->SetGuard(&Guard);
  ui->DLB1->SetDriveBox(ui->DCB1);
  ui->DLB1->SetFileList(ui->FLB1);
  ui->DLB1->SetGuard(&Guard);

  // No default button: Enter and Escape in the boxes do nothing.
  for (QPushButton* button :
       {ui->btnEditDesc, ui->btnCreate, ui->btnAbout, ui->btnExit, ui->btnPublish}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  ui->DCB1->setFocus();

  connect(ui->DLB1, &TDirectoryListBox::Change, this, [this] { DLB1Change(); });
  connect(ui->btnEditDesc, &QPushButton::clicked, this, [this] { btnEditDescClick(); });
  connect(ui->btnCreate, &QPushButton::clicked, this, [this] { btnCreateClick(); });
  connect(ui->btnAbout, &QPushButton::clicked, this, [this] { btnAboutClick(); });
  connect(ui->btnExit, &QPushButton::clicked, this, [this] { btnExitClick(); });
  connect(ui->btnPublish, &QPushButton::clicked, this, [this] { btnPublishClick(); });
  connect(ui->cbAllKinds, &QCheckBox::clicked, this, [this] { cbAllKindsClick(); });
  ChooseFolder = [this](const std::string& proposed) {
    return ChoosePublishFolder(this, proposed);
  };

  FormCreate();
}

TfrmMain::~TfrmMain() {
  StopPublishing();
}

void TfrmMain::ApplyFonts(int pixelsPerInch) {
  const WindowScaling scaling(MainDesignPixelsPerInch, MainDesignTextHeight, pixelsPerInch);
  setFont(DesignFont(SansSerifFamily(), scaling.FontPixels(WindowFontPixels)));
  ui->Label1->setFont(DesignFont(ComicFamily(), scaling.FontPixels(TitleFontPixels)));
  QPalette blue = ui->Label1->palette();
  blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
  ui->Label1->setPalette(blue);
  for (QPushButton* button :
       {ui->btnEditDesc, ui->btnCreate, ui->btnAbout, ui->btnExit, ui->btnPublish})
    button->setFont(DesignFont(SansSerifFamily(), scaling.FontPixels(ButtonFontPixels)));
}

// Start-up of the main window, before it is shown. Each step runs through
// the guard on its own: a failing step is reported and start-up goes on, so
// that the window always comes up with a folder shown and everything that
// belongs to a shown folder (file list, folder settings, description file,
// image table) set for it.
void TfrmMain::FormCreate() {
  Guard.Run([&] {
    ReadVersionInfo(State.Version, State.Record);
    setWindowTitle(FromLocal(State.Version.ProductName + ", Vers " + State.Version.MajorVersion +
                             "." + State.Version.MinorVersion + ", by " +
                             State.Version.CompanyName));
  });
  // A refused "PicDirPath" write (a read-only start directory) still leaves
  // the chosen folder in PictureDirectory.
  StartupPicDirPathRefused = !Guard.Run([&] {
    ChooseStartDirectory(State.ProgramSettings, State.ProgramDirectory, State.PictureDirectory,
                         State.FirstPictureDirectory);
  });
  if (State.PictureDirectory.empty()) State.PictureDirectory = State.ProgramDirectory;
  // The phone and messenger kinds are counted, not shown, until a folder's
  // option takes them in.
  Guard.Run([&] { ui->FLB1->SetMasks(PictureFileMask(), ExtraPictureFileMask()); });
  ShowStartFolder();
  StartupPicDirPathRefused = false;
  if (ui->DLB1->Directory().empty()) return;  // not even the root could be entered

  Guard.Run([&] {
    State.DescriptionFile = DescriptionFilePath(State.PictureDirectory);
    RenameOldDescriptionFile(State.PictureDirectory);
  });
  // The start folder always has a complete settings file after start-up.
  Guard.Run([&] { SaveAlbumOptions(State.FolderSettings, BoxOptions()); });
}

// Shows the chosen start folder. One that cannot be entered is reported and
// the start directory is shown instead, and failing that the root.
void TfrmMain::ShowStartFolder() {
  std::vector<std::string> tried;
  for (const std::string& folder :
       {State.PictureDirectory, State.ProgramDirectory, std::string("/")}) {
    if (folder.empty() || std::find(tried.begin(), tried.end(), folder) != tried.end()) continue;
    tried.push_back(folder);
    if (Guard.Run([&] { ui->DLB1->ShowFolder(folder); })) return;
  }
}

// Shows the file count. After the description editor renamed a picture
// the folder is listed again first: the file list, the count, the buttons
// and the image table then hold the new names, so a build finds the files.
// The boxes keep what the user typed: the folder did not change.
void TfrmMain::FormActivate() {
  Guard.Run([&] {
    if (State.PictureRenamed) RereadFileList();
    SetFileCount();
  });
}

void TfrmMain::SetFileCount() {
  ui->Label3->setText(QString::number(ui->FLB1->Count()));
  SizeToText(ui->Label3);
}

// The folder handling, after every change of the shown folder. A refused
// "PicDirPath" write is reported once the rest has run, so the options, the
// description file and the image table always belong to the shown folder.
void TfrmMain::DLB1Change() {
  ++FolderChangeCount;
  Guard.Run([&] {
    ShowListedFolder();
    State.PictureDirectory = ui->DLB1->Directory();
    std::optional<Exception> refused;
    try {
      RememberPictureDirectory(State.ProgramSettings, State.PictureDirectory);
    } catch (const Exception& error) {
      if (!StartupPicDirPathRefused) refused.emplace(error);
    }
    State.DescriptionFile = DescriptionFilePath(State.PictureDirectory);
    ShowOptions(LoadAlbumOptions(State.FolderSettings, State.PictureDirectory));
    ShowChosenKinds();
    BuildImageTable(State.Table, ui->FLB1->Lines());
    if (refused) throw *refused;
  });
}

void TfrmMain::ShowOptions(const AlbumOptions& options) {
  ui->Edit1->setText(FromLocal(options.WebPageTitle));
  ui->Edit2->setText(FromLocal(options.FileName));
  ui->cb1->setChecked(options.IncludeFileNames);
  ui->cbAllKinds->setChecked(options.AllPictureKinds);
}

// The file count, the buttons and the notice, for the file list as it is.
void TfrmMain::ShowListedFolder() {
  SetFileCount();
  ui->btnCreate->setEnabled(ui->FLB1->Count() >= 1);
  ui->btnEditDesc->setEnabled(ui->btnCreate->isEnabled());
  ui->btnPublish->setEnabled(ui->btnCreate->isEnabled());
  ShowKindNotice();
}

// The file list takes in the kinds "All picture kinds" chooses, listing
// the folder again when that choice changed (one pass, which also counts
// the kinds left out); the count, the buttons and the notice follow.
void TfrmMain::ShowChosenKinds() {
  State.AllPictureKinds = ui->cbAllKinds->isChecked();
  ui->FLB1->SetMasks(State.AllPictureKinds ? AllPictureFileMask() : PictureFileMask(),
                     State.AllPictureKinds ? std::string() : ExtraPictureFileMask());
  ShowListedFolder();
}

// Always in view next to the check box: the pictures of the phone and
// messenger kinds the album leaves out, or, with all kinds, the album's
// pictures that some current browsers cannot show, the way out first. The
// tool tip says it whole, and what to do.
void TfrmMain::ShowKindNotice() {
  std::string text, tip;
  if (!State.AllPictureKinds) {
    text = LeftOutNotice(ui->FLB1->LeftOut());
    if (!text.empty()) tip = text + "\nTick \"All picture kinds\" to put them into the album.";
  } else if (const std::string limits = BrowserLimits(ui->FLB1->Lines()); !limits.empty()) {
    std::vector<KindCount> limited = CountSafariOnlyKinds(ui->FLB1->Lines());
    for (const KindCount& count : CountUnshownKinds(ui->FLB1->Lines())) limited.push_back(count);
    text = "Publish... for all browsers: " + KindCountsText(limited);
    tip = limits + ".\nPublish... makes copies that every browser shows.";
  }
  // A kind and its count stay on one line.
  QString shown = FromLocal(text);
  shown.replace(QRegularExpression(QStringLiteral("(\\w) (\\d)")), QStringLiteral("\\1\u00A0\\2"));
  ui->lblKinds->setText(TextInLines(*ui->lblKinds, shown, 2));
  ui->lblKinds->setToolTip(FromLocal(tip));
}

void TfrmMain::cbAllKindsClick() {
  Guard.Run([&] {
    ShowChosenKinds();
    RebuildImageTable(State.Table, ui->FLB1->Lines());
  });
}

AlbumOptions TfrmMain::BoxOptions() const {
  AlbumOptions options;
  options.WebPageTitle = ToLocal(ui->Edit1->text());
  options.FileName = ToLocal(ui->Edit2->text());
  options.IncludeFileNames = ui->cb1->isChecked();
  options.AllPictureKinds = ui->cbAllKinds->isChecked();
  return options;
}

void TfrmMain::btnEditDescClick() {
  Guard.Run([&] {
    NamingPath(State.DescriptionFile,
               [&] { LoadDescriptions(State.Table, State.DescriptionFile); });
    if (Editor) Editor(State);
  });
  // The editor has closed and this window is the active one again, also
  // where no window manager hands the activation back to it.
  if (State.PictureRenamed) FormActivate();
}

void TfrmMain::btnCreateClick() {
  Guard.Run([&] { CreateAlbumFromBoxes(); });
}

// The album build behind "&Create Album", from the boxes and the file list;
// true when the album was written. For a publish it shows neither "Ambrelin
// created!" nor the lower-case question (the published copies are
// lower-cased), and with kept it writes nothing into the picture folder,
// the options included, and keeps the files there.
bool TfrmMain::CreateAlbumFromBoxes(bool forPublishing, AlbumFiles* kept) {
  const BusyPointer busy;
  AlbumInput input;
  input.Title = ToLocal(ui->Edit1->text());
  input.IndexName = ToLocal(ui->Edit2->text());
  input.IncludeFileNames = ui->cb1->isChecked();
  input.AllPictureKinds = State.AllPictureKinds;
  input.PictureFiles = ui->FLB1->Lines();
  AlbumEnvironment env(State.PictureDirectory, State.Table, State.Version, State.Messages);
  env.Screen = State.Screen;
  env.DateTime = State.DateTime;
  env.Probe = Probe;
  env.FolderSettings = kept ? nullptr : &State.FolderSettings;
  env.KeptFiles = kept;
  env.AnnounceCreated = !forPublishing;
  // The build may rewrite the index name (also when it refuses the input
  // or fails later): the box shows what it made of it.
  const OnScopeExit writeBack([&] {
    ui->Edit2->setText(FromLocal(input.IndexName));
    Probe = env.Probe;
  });
  if (!CreateAlbum(Build, input, env)) return false;
  AlbumPictures = AlbumPictureNames(Build, State.Table);
  if (!forPublishing) OfferLowerCaseNames(input.PictureFiles);
  return true;
}

// After a build: pictures with capital letters that the page, linking them
// in lower case, does not find on this file system may be renamed to lower
// case. The page needs no new build, its links were lower-case already.
void TfrmMain::OfferLowerCaseNames(const std::vector<std::string>& pictures) {
  const std::vector<std::string> missed =
      PicturesMissedByLowerCaseLinks(State.PictureDirectory, pictures);
  if (missed.empty() || !State.Messages.AskQuestion(LowerCaseQuestion(missed))) return;
  const std::vector<LowerCaseRename> renames =
      RenamePicturesToLowerCase(State.PictureDirectory, missed);
  RereadFileList();
  const std::string note = LowerCaseNotRenamedNote(renames);
  if (!note.empty()) State.Messages.ShowPlainMessage(note);
  RenameDescriptionRecordsOf(State.PictureDirectory, renames);
}

// Lists the shown folder again after its files were renamed: the file list,
// the file count, the buttons and the image table, whose descriptions stay
// with the names still listed.
void TfrmMain::RereadFileList() {
  State.PictureRenamed = false;
  ui->FLB1->SetFolder(ui->DLB1->Directory());
  ShowListedFolder();
  RebuildImageTable(State.Table, ui->FLB1->Lines());
}

void TfrmMain::btnAboutClick() {
  Guard.Run([&] {
    if (ShowAbout) ShowAbout("Version: " + State.Version.FileVersion);
  });
}

void TfrmMain::btnExitClick() {
  close();
}

void TfrmMain::btnPublishClick() {
  if (Run) return;  // one publish at a time
  ClosedWhilePublishing = false;
  Guard.Run([&] {
    if (!ChooseFolder) return;
    const std::string target = ChooseFolder(
        ProposedPublishFolder(State.PictureDirectory, LoadPublishFolder(State.FolderSettings)));
    if (target.empty()) return;
    switch (PublishTargetProblemOf(State.PictureDirectory, target)) {
      case PublishTargetProblem::InsideFolder:
        State.Messages.ShowInformationDialog(
            "The publish folder must not be the picture folder or lie inside it!");
        return;
      case PublishTargetProblem::NotAFolder:
        State.Messages.ShowInformationDialog("The publish folder must not be a file!");
        return;
      case PublishTargetProblem::None:
        break;
    }
    // Before the build: someone else's files under the names the album
    // needs stop the publish here, named in the error box.
    PublishRequest planned;
    planned.PictureDirectory = State.PictureDirectory;
    planned.Pictures = ui->FLB1->Lines();
    planned.PageName = PageFileName(AlbumBaseNameOf(ToLocal(ui->Edit2->text())));
    planned.Target = target;
    planned.Screen = State.Screen;
    RefuseStrangersFiles(planned);
    // A picture folder that cannot be written (a card, a share, a disc) is
    // published from an album built in memory.
    const bool inMemory = IsWriteProtected(State.PictureDirectory);
    AlbumFiles kept;
    if (!CreateAlbumFromBoxes(true, inMemory ? &kept : nullptr)) return;
    PublishRequest request;
    request.PictureDirectory = State.PictureDirectory;
    request.Pictures = AlbumPictures;
    request.PageName = PageFileName(Build.AlbumBaseName);
    if (inMemory) request.Page = kept[request.PageName];
    request.Target = target;
    request.Screen = State.Screen;
    request.Convert = MakeDrawnWebCopy;
    request.BeforeEachPicture = PublishHook;
    PublishResult result;
    {
      Run = std::make_unique<PublishProgress>();
      const OnScopeExit ended([&] { Run.reset(); });
      const ControlsDisabled busy(*this);
      result = Run->Run(this, std::move(request));
    }
    if (ClosedWhilePublishing) return;  // the window has closed: nothing more to say
    if (result.Cancelled) {
      State.Messages.ShowPlainMessage("Publishing was cancelled; " + result.TargetPath +
                                      " keeps its previous page.");
      return;
    }
    if (inMemory) {
      State.Messages.ShowPlainMessage(PublishedSummary(result) +
                                      "\nThe picture folder cannot be written and was left as "
                                      "it was: the album was built in memory.");
      return;
    }
    SavePublishFolder(State.FolderSettings, target);
    State.Messages.ShowPlainMessage(PublishedSummary(result));
  });
}

bool TfrmMain::Publishing() const {
  return Run && Run->Running();
}

void TfrmMain::StopPublishing() {
  if (Run) Run->Stop();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  if (Run) ClosedWhilePublishing = true;
  StopPublishing();
  QWidget::closeEvent(event);
}

// The focused control shows its focus from the first showing on, not only
// after a Tab (showing a window clears the mark that lets the style draw it).
void TfrmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  setAttribute(Qt::WA_KeyboardFocusChange);
}

void TfrmMain::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}
