// The main window: start-up, the folder handling, the commands.
#include <dlfcn.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "MainWindowFixture.h"
#include "core/folder/DescriptionFile.h"
#include "gui/editor/TMemo.h"
#include "gui/editor/TfrmPicDesc.h"
#include "gui/mainwindow/TDirectoryListBox.h"
#include "gui/mainwindow/TDriveComboBox.h"
#include "gui/mainwindow/TFileListBox.h"
#include "support/PhoneFixtures.h"
#include "support/PictureFixtures.h"

namespace {

using Box = RecordingMessageBoxes::Box;

std::string Crlf(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// Holds the publishing workers at their first picture until released.
class Gate {
 public:
  void Wait() {
    std::unique_lock lock(Mutex);
    Opened.wait_for(lock, std::chrono::seconds(20), [this] { return Open; });
  }
  void Release() {
    {
      const std::lock_guard lock(Mutex);
      Open = true;
    }
    Opened.notify_all();
  }

 private:
  std::mutex Mutex;
  std::condition_variable Opened;
  bool Open = false;
};

// Runs act on the publish's progress dialog once it shows (from the event
// loop that runs while the publish does).
void WhenProgressShows(QWidget* window, std::function<void(QProgressDialog&)> act) {
  QTimer::singleShot(10, window, [window, act] {
    auto* dialog = window->findChild<QProgressDialog*>(QStringLiteral("PublishProgress"));
    if (dialog && dialog->isVisible())
      act(*dialog);
    else
      WhenProgressShows(window, act);
  });
}

// Closes the window as a window manager does, through Qt's window-system
// interface, which drops the request while a modal window blocks the window
// (QWidget::close() skips that check). False when the interface is missing.
bool CloseAsTheWindowManagerDoes(QWidget& window) {
  const auto handleClose = reinterpret_cast<bool (*)(QWindow*)>(
      dlsym(RTLD_DEFAULT,
            "_ZN22QWindowSystemInterface16handleCloseEventINS_19SynchronousDeliveryEEEbP7QWindow"));
  return handleClose && window.windowHandle() && (handleClose(window.windowHandle()), true);
}

}  // namespace

TEST_F(MainWindowTest, CaptionIsBuiltFromTheVersionRecord) {
  Create();
  EXPECT_EQ(Text(Window->windowTitle()), "Ambrelin, Vers 3.1, by Orvane Software");
  EXPECT_EQ(State->Version.FileVersion, "3.1.0.2");
}

TEST_F(MainWindowTest, WithoutVersionRecordTheCaptionKeepsItsConnectingTexts) {
  State = std::make_unique<MainState>(Messages);
  State->ProgramDirectory = StartPath();
  State->Record = nullptr;
  Window = std::make_unique<TfrmMain>(*State);
  EXPECT_EQ(Text(Window->windowTitle()), ", Vers ., by ");
}

TEST_F(MainWindowTest, FirstRunInEmptyStartDirectoryCreatesBothSettingsFiles) {
  Create();
  EXPECT_TRUE(Messages.Boxes.empty());
  EXPECT_EQ(Start.Read("Ambrelin.INI"), Crlf({"[Main]", "PicDirPath=" + StartPath()}));
  EXPECT_EQ(Start.Read("AmbrelinDir.INI"), Crlf({"[Options]", "WebPageTitle=My Ambrelin",
                                                 "FileName=album.html", "PicHeadings=1"}));
  EXPECT_EQ(Find<TDirectoryListBox>("DLB1")->Directory(), StartPath());
  EXPECT_EQ(ProcessDirectory(), StartPath());
  EXPECT_EQ(State->PictureDirectory, StartPath());
  EXPECT_EQ(State->DescriptionFile, StartPath() + "/!.KVD");
  EXPECT_EQ(Window->FolderChanges(), 1);
}

TEST_F(MainWindowTest, FolderWithoutPicturesShowsZeroAndDisablesBothButtons) {
  Start.Write("notes.txt", "text");
  Create();
  EXPECT_EQ(Text(Find<QLabel>("Label3")->text()), "0");
  EXPECT_FALSE(Find<QPushButton>("btnCreate")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("btnEditDesc")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("btnPublish")->isEnabled());
  EXPECT_EQ(State->Table.PictureCount(), 0);
}

TEST_F(MainWindowTest, JpegAndEmfPicturesAloneEnableBothButtons) {
  Start.Write("a.jpeg", MakeJpeg(8, 6));
  Start.Write("b.EMF", MakeEmf());
  Start.Write("c.txt", "text");
  Create();
  EXPECT_EQ(Find<TFileListBox>("FLB1")->Lines(), (std::vector<std::string>{"a.jpeg", "b.EMF"}));
  EXPECT_EQ(Text(Find<QLabel>("Label3")->text()), "2");
  EXPECT_TRUE(Find<QPushButton>("btnCreate")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>("btnEditDesc")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>("btnPublish")->isEnabled());
  ASSERT_EQ(State->Table.PictureCount(), 2);
  EXPECT_EQ(State->Table.Entries[1].NameText(), "b.EMF");
  EXPECT_EQ(Find<TFileListBox>("FLB1")->Mask(), "*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf");
}

TEST_F(MainWindowTest, StoredFolderThatExistsIsShownAndIsTheCurrentDirectory) {
  Other.Write("one.jpg", MakeJpeg(4, 4));
  Other.Write("two.bmp", MakeBmp(4, 3));
  Other.Write("AmbrelinDir.INI",
              Crlf({"[Options]", "WebPageTitle=Holiday", "FileName=trip.htm", "PicHeadings=0"}));
  Start.Write("Ambrelin.INI", Crlf({"[Main]", "PicDirPath=" + Other.Path()}));
  Create();
  const std::string other = RealFolderPath(Other.Path());
  EXPECT_EQ(Find<TDirectoryListBox>("DLB1")->Directory(), other);
  EXPECT_EQ(ProcessDirectory(), other);
  EXPECT_EQ(Text(Find<QLabel>("Label3")->text()), "2");
  EXPECT_EQ(Text(Find<QLineEdit>("Edit1")->text()), "Holiday");
  EXPECT_EQ(Text(Find<QLineEdit>("Edit2")->text()), "trip.htm");
  EXPECT_FALSE(Find<QCheckBox>("cb1")->isChecked());
  EXPECT_EQ(State->Table.PictureCount(), 2);
  EXPECT_EQ(State->DescriptionFile, other + "/!.KVD");
  EXPECT_EQ(Start.Read("Ambrelin.INI"), Crlf({"[Main]", "PicDirPath=" + other}));
  // The shown folder's options are written back; the start folder gets none.
  EXPECT_EQ(Other.Read("AmbrelinDir.INI"),
            Crlf({"[Options]", "WebPageTitle=Holiday", "FileName=trip.htm", "PicHeadings=0"}));
  EXPECT_FALSE(Start.Exists("AmbrelinDir.INI"));
  EXPECT_EQ(Window->FolderChanges(), 1);
}

TEST_F(MainWindowTest, StoredFolderThatWasDeletedFallsBackToTheStartDirectory) {
  const std::string gone = Other.Path() + "/gone";
  Start.Write("Ambrelin.INI", Crlf({"[Main]", "PicDirPath=" + gone}));
  Create();
  EXPECT_TRUE(Messages.Boxes.empty());
  EXPECT_EQ(Find<TDirectoryListBox>("DLB1")->Directory(), StartPath());
  EXPECT_EQ(ProcessDirectory(), StartPath());
  EXPECT_EQ(Start.Read("Ambrelin.INI"), Crlf({"[Main]", "PicDirPath=" + StartPath()}));
}

TEST_F(MainWindowTest, EmptyStoredFolderFallsBackToTheStartDirectory) {
  Start.Write("Ambrelin.INI", Crlf({"[Main]", "PicDirPath="}));
  Create();
  EXPECT_EQ(Find<TDirectoryListBox>("DLB1")->Directory(), StartPath());
  EXPECT_EQ(Start.Read("Ambrelin.INI"), Crlf({"[Main]", "PicDirPath=" + StartPath()}));
}

TEST_F(MainWindowTest, ReadOnlyStartDirectoryReportsEachRefusedWriteOnceAndStillShowsTheFolder) {
  Start.Write("a.jpg", MakeJpeg(4, 4));
  ASSERT_EQ(chmod(Start.Path().c_str(), 0555), 0);
  Create();
  EXPECT_EQ(ErrorTexts(),
            (std::vector<std::string>{"Unable to write to " + StartPath() + "/Ambrelin.INI.",
                                      "Unable to write to " + StartPath() + "/AmbrelinDir.INI."}));
  EXPECT_EQ(Find<TDirectoryListBox>("DLB1")->Directory(), StartPath());
  EXPECT_EQ(ProcessDirectory(), StartPath());
  EXPECT_EQ(Text(Find<QLabel>("Label3")->text()), "1");
  EXPECT_EQ(Text(Find<QLineEdit>("Edit1")->text()), "My Ambrelin");
  EXPECT_EQ(State->Table.PictureCount(), 1);
  EXPECT_EQ(State->DescriptionFile, StartPath() + "/!.KVD");
  EXPECT_EQ(Window->FolderChanges(), 1);
}

TEST_F(MainWindowTest, RefusedFolderMemoryIsReportedAfterTheFolderHandlingHasRun) {
  Create();
  Other.Write("a.jpg", MakeJpeg(4, 4));
  Other.Write("AmbrelinDir.INI", Crlf({"[Options]", "WebPageTitle=Other"}));
  ASSERT_EQ(chmod(Start.File("Ambrelin.INI").c_str(), 0444), 0);
  ASSERT_EQ(chmod(Start.Path().c_str(), 0555), 0);
  EXPECT_TRUE(Find<TDirectoryListBox>("DLB1")->ShowFolder(Other.Path()));
  EXPECT_EQ(ErrorTexts(),
            (std::vector<std::string>{"Unable to write to " + StartPath() + "/Ambrelin.INI."}));
  const std::string other = RealFolderPath(Other.Path());
  EXPECT_EQ(State->PictureDirectory, other);
  EXPECT_EQ(State->DescriptionFile, other + "/!.KVD");
  EXPECT_EQ(State->FolderSettings.FileName(), other + "/AmbrelinDir.INI");
  EXPECT_EQ(Text(Find<QLineEdit>("Edit1")->text()), "Other");
  EXPECT_EQ(State->Table.PictureCount(), 1);
}

TEST_F(MainWindowTest, SwitchingFoldersDiscardsTheTypedTitleAndShowsTheNewFoldersOptions) {
  Start.Write("AmbrelinDir.INI",
              Crlf({"[Options]", "WebPageTitle=Start", "FileName=s.html", "PicHeadings=0"}));
  Create();
  Find<QLineEdit>("Edit1")->setText(QStringLiteral("Typed, never saved"));
  EXPECT_TRUE(Find<TDirectoryListBox>("DLB1")->ShowFolder(Other.Path()));
  EXPECT_EQ(Text(Find<QLineEdit>("Edit1")->text()), "My Ambrelin");
  EXPECT_EQ(Text(Find<QLineEdit>("Edit2")->text()), "album.html");
  EXPECT_TRUE(Find<QCheckBox>("cb1")->isChecked());
  EXPECT_FALSE(Other.Exists("AmbrelinDir.INI"));
  EXPECT_EQ(Start.Read("Ambrelin.INI"),
            Crlf({"[Main]", "PicDirPath=" + RealFolderPath(Other.Path())}));
  // Back in the start folder: its stored options, not the typed title.
  EXPECT_TRUE(Find<TDirectoryListBox>("DLB1")->ShowFolder(StartPath()));
  EXPECT_EQ(Text(Find<QLineEdit>("Edit1")->text()), "Start");
  EXPECT_FALSE(Find<QCheckBox>("cb1")->isChecked());
}

TEST_F(MainWindowTest, FolderHandlingRunsOncePerChangeAndNotForTheSameFolder) {
  std::filesystem::create_directory(Start.File("sub"));
  Create();
  TDirectoryListBox* dlb = Find<TDirectoryListBox>("DLB1");
  int emitted = 0;
  QObject::connect(dlb, &TDirectoryListBox::Change, [&] { ++emitted; });
  EXPECT_EQ(Window->FolderChanges(), 1);

  EXPECT_TRUE(dlb->ShowFolder("sub"));  // relative to the shown folder
  EXPECT_EQ(Window->FolderChanges(), 2);
  EXPECT_EQ(ProcessDirectory(), StartPath() + "/sub");

  EXPECT_FALSE(dlb->ShowFolder(StartPath() + "/sub"));
  EXPECT_FALSE(dlb->ShowFolder(""));
  dlb->ActivateLine(static_cast<int>(CurrentLineIndex(dlb->Lines())));
  EXPECT_EQ(Window->FolderChanges(), 2);

  EXPECT_TRUE(dlb->ShowFolder(".."));
  EXPECT_EQ(Window->FolderChanges(), 3);
  EXPECT_EQ(emitted, 2);
  EXPECT_TRUE(Messages.Boxes.empty());
}

TEST_F(MainWindowTest, FolderThatCannotBeEnteredShowsTheErrorAndKeepsThePreviousFolder) {
  std::filesystem::create_directory(Start.File("sub"));
  Start.Write("a.jpg", MakeJpeg(4, 4));
  Create();
  TDirectoryListBox* dlb = Find<TDirectoryListBox>("DLB1");
  const std::vector<FolderLine> lines = dlb->Lines();
  ASSERT_EQ(lines.back().Kind, FolderLine::Subfolder);
  std::filesystem::remove(Start.File("sub"));

  // The user picks the line (the highlight goes there) and opens it.
  dlb->setCurrentRow(static_cast<int>(lines.size()) - 1);
  dlb->ActivateLine(static_cast<int>(lines.size()) - 1);
  EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"File not found.\n" + StartPath() + "/sub"}));
  EXPECT_EQ(dlb->Directory(), StartPath());
  EXPECT_EQ(dlb->Lines(), lines);
  EXPECT_EQ(dlb->currentRow(), static_cast<int>(CurrentLineIndex(lines)));
  EXPECT_EQ(ProcessDirectory(), StartPath());
  EXPECT_EQ(State->PictureDirectory, StartPath());
  EXPECT_EQ(Find<TFileListBox>("FLB1")->Lines(), (std::vector<std::string>{"a.jpg"}));
  EXPECT_EQ(Window->FolderChanges(), 1);

  // Another line still works.
  dlb->ActivateLine(0);  // the root
  EXPECT_EQ(dlb->Directory(), "/");
  EXPECT_EQ(Messages.Boxes.size(), 1u);
}

TEST_F(MainWindowTest, CreateAlbumWritesTheAlbumThenStoresTheOptions) {
  Start.Write("b.jpg", MakeJpeg(40, 30));
  Start.Write("A.jpg", MakeJpeg(30, 40));
  Start.Write("c.JPG", MakeJpeg(20, 20));
  Create();
  Find<QLineEdit>("Edit1")->setText(QStringLiteral("Summer"));
  Find<QPushButton>("btnCreate")->click();

  // The page links A.jpg and c.JPG in lower case, which this folder does
  // not have: the question comes after the build, and No renames nothing.
  const std::string question =
      "2 pictures have capital letters in their names, and the page links them in lower case, "
      "which this folder does not find: A.jpg, c.JPG.\n\nRename them to lower case?";
  EXPECT_EQ(Messages.Boxes,
            (std::vector<Box>{{Box::Plain, "Ambrelin created!"}, {Box::Question, question}}));
  EXPECT_TRUE(Start.Exists("A.jpg"));
  for (const char* name : {"album.html", "album.SRC", "TN.INC", "Pics.INC", "DLM.INC"})
    EXPECT_TRUE(Start.Exists(name)) << name;
  const std::string page = Start.Read("album.html");
  EXPECT_NE(page.find("<Title>Summer</Title>"), std::string::npos);
  const std::size_t a = page.find("a.jpg"), b = page.find("b.jpg"), c = page.find("c.jpg");
  ASSERT_NE(a, std::string::npos);
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);
  EXPECT_EQ(Text(Find<QLineEdit>("Edit2")->text()), "album");
  EXPECT_EQ(Start.Read("AmbrelinDir.INI"),
            Crlf({"[Options]", "WebPageTitle=Summer", "FileName=album", "PicHeadings=1"}));
  EXPECT_EQ(Window->LastBuild().AlbumPictureCount, 3);
  EXPECT_EQ(Window->LastBuild().AlbumBaseName, "album");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Yes renames them and the file list shows the new names; the page's
  // links find them without a new build.
  Messages.QuestionAnswer = true;
  Find<QPushButton>("btnCreate")->click();
  EXPECT_EQ(Messages.Boxes.size(), 4u);
  EXPECT_EQ(Find<TFileListBox>("FLB1")->Lines(),
            (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_EQ(State->Table.Entries[2].NameText(), "c.jpg");
}

// "All picture kinds" shows the folder's choice; ticking it lists the folder
// again at once, the notice next to it following, and the next build stores
// it. Another folder shows its own choice.
TEST_F(MainWindowTest, AllPictureKindsListsTheFolderAgainAndIsStoredByTheBuild) {
  Start.Write("a.jpg", MakeJpeg(8, 6));
  Start.Write("b.heic", MakeHeic(64, 48, 6));
  Start.Write("c.png", MakePng(40, 30));
  Other.Write("d.gif", MakeGif(10, 10));
  Other.Write("AmbrelinDir.INI", Crlf({"[Options]", "AllPictureKinds=1"}));
  Create();
  auto* files = Find<TFileListBox>("FLB1");
  auto* box = Find<QCheckBox>("cbAllKinds");
  const auto notice = [&] {  // in the lines the label's width gives
    return Text(Find<QLabel>("lblKinds")->text().replace(QChar(0xA0), u' ').replace(u'\n', u' '));
  };
  EXPECT_FALSE(box->isChecked());
  EXPECT_EQ(files->Lines(), (std::vector<std::string>{"a.jpg"}));
  EXPECT_EQ(notice(), "2 more pictures: HEIC 1, PNG 1");

  box->click();
  EXPECT_EQ(files->Lines(), (std::vector<std::string>{"a.jpg", "b.heic", "c.png"}));
  EXPECT_EQ(Text(Find<QLabel>("Label3")->text()), "3");
  EXPECT_EQ(State->Table.PictureCount(), 3);
  EXPECT_TRUE(State->AllPictureKinds);  // what the description editor loads pictures by
  EXPECT_EQ(notice(), "Publish... for all browsers: HEIC 1");
  Find<QPushButton>("btnCreate")->click();
  EXPECT_NE(Start.Read("Pics.INC").find("<IMG align=left src=b.heic Width=48 Height=64></A>"),
            std::string::npos);
  EXPECT_EQ(Start.Read("AmbrelinDir.INI"),
            Crlf({"[Options]", "WebPageTitle=My Ambrelin", "FileName=album", "PicHeadings=1",
                  "AllPictureKinds=1"}));

  Find<TDirectoryListBox>("DLB1")->ShowFolder(Other.Path());
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(files->Lines(), (std::vector<std::string>{"d.gif"}));
  EXPECT_EQ(notice(), "");
}

TEST_F(MainWindowTest, PublishBuildsThenPublishesWithProgressCancelAndClose) {
  Start.Write("a.jpg", MakeJpeg(64, 48));
  Start.Write("b.bmp", MakeBmp(8, 6));
  Create();
  const std::string web = RealFolderPath(Other.Path()) + "/web";
  std::vector<std::string> preselected;
  Window->SetFolderChooser([&](const std::string& folder) {
    preselected.push_back(folder);
    return web;
  });
  auto gate = std::make_shared<Gate>();
  Window->SetPublishHook([&gate] { gate->Wait(); });
  auto* publish = Find<QPushButton>("btnPublish");

  // The build, then the copies while the progress dialog shows.
  std::string label;
  WhenProgressShows(Window.get(), [&](QProgressDialog& dialog) {
    label = Text(dialog.labelText());
    gate->Release();
  });
  publish->click();
  EXPECT_EQ(label, "Publishing 0/2");
  const Box published{Box::Plain, "Published 2 pictures (2 made, 0 up to date) to " + web};
  EXPECT_EQ(Messages.Boxes, std::vector<Box>{published});
  const std::string page = WithLinksTo(Start.Read("album.html"), {{"b.bmp", "b.png"}});
  EXPECT_EQ(ReadFileBytes(web + "/album.html"), page);
  EXPECT_EQ(ReadFileBytes(web + "/b.png").substr(1, 3), "PNG");
  EXPECT_TRUE(std::filesystem::exists(web + "/a.jpg"));
  EXPECT_EQ(Start.Read("AmbrelinDir.INI"),
            Crlf({"[Options]", "WebPageTitle=My Ambrelin", "FileName=album", "PicHeadings=1",
                  "PublishFolder=" + web}));
  EXPECT_FALSE(Window->Publishing());

  // Cancel: the album is built, the published folder keeps its page.
  Messages.Boxes.clear();
  gate = std::make_shared<Gate>();
  Find<QCheckBox>("cb1")->setChecked(false);  // another page
  Start.Write("a.jpg", MakeJpeg(64, 48, 90));
  WhenProgressShows(Window.get(), [&](QProgressDialog& dialog) {
    dialog.findChild<QPushButton*>()->click();
    gate->Release();
  });
  publish->click();
  EXPECT_EQ(preselected, (std::vector<std::string>{StartPath() + "-web", web}));
  EXPECT_EQ(Messages.Boxes, (std::vector<Box>{{Box::Plain, "Publishing was cancelled; " + web +
                                                               " keeps its previous page."}}));
  EXPECT_NE(Start.Read("album.html"), page);
  EXPECT_EQ(ReadFileBytes(web + "/album.html"), page);
  EXPECT_FALSE(Window->Publishing());

  // Closing the window while publishing (the window manager's close):
  // the publish is cancelled, its threads end and the window closes; no
  // window is left, so the program's event loop ends.
  Window->show();
  Messages.Boxes.clear();
  gate = std::make_shared<Gate>();
  std::thread release;
  bool runningAfterClose = true;
  WhenProgressShows(Window.get(), [&](QProgressDialog&) {
    release = std::thread([g = gate] {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      g->Release();
    });
    EXPECT_TRUE(CloseAsTheWindowManagerDoes(*Window));
    runningAfterClose = Window->Publishing();
  });
  publish->click();
  release.join();
  EXPECT_FALSE(runningAfterClose);
  for (const QWidget* window : QApplication::topLevelWidgets())
    EXPECT_FALSE(window->isVisible()) << Text(window->objectName());
  EXPECT_TRUE(Messages.Boxes.empty());
  EXPECT_EQ(ReadFileBytes(web + "/album.html"), page);

  // A picture folder that cannot be written: published from memory, and
  // left as it was, its settings included.
  Find<QCheckBox>("cb1")->setChecked(true);  // a page the folder does not have
  const std::string folderFiles = Start.Read("album.html") + Start.Read("AmbrelinDir.INI");
  chmod(StartPath().c_str(), 0555);  // no write bits: refused to root too
  publish->click();
  chmod(StartPath().c_str(), 0755);
  ASSERT_EQ(Messages.Boxes.size(), 1u);
  EXPECT_TRUE(Messages.Boxes[0].Text.ends_with(
      "\nThe picture folder cannot be written and was left as it was: the album was built in "
      "memory."));
  EXPECT_EQ(Start.Read("album.html") + Start.Read("AmbrelinDir.INI"), folderFiles);
  EXPECT_NE(ReadFileBytes(web + "/album.html"), Start.Read("album.html"));
}

TEST_F(MainWindowTest, EmptyTitleShowsTheInformationDialogAndWritesNothing) {
  Start.Write("a.jpg", MakeJpeg(4, 4));
  Create();
  const std::string optionsBefore = Start.Read("AmbrelinDir.INI");
  Find<QLineEdit>("Edit1")->setText(QStringLiteral("   "));
  Find<QPushButton>("btnCreate")->click();
  EXPECT_EQ(Messages.Boxes,
            (std::vector<Box>{{Box::Information, "The web page title is missing!"}}));
  EXPECT_FALSE(Start.Exists("album.html"));
  EXPECT_FALSE(Start.Exists("album.SRC"));
  // The index name was cut at its "." all the same.
  EXPECT_EQ(Text(Find<QLineEdit>("Edit2")->text()), "album");
  EXPECT_EQ(Start.Read("AmbrelinDir.INI"), optionsBefore);
}

TEST_F(MainWindowTest, DamagedPictureShowsItsErrorAndTheNextClickWorks) {
  Start.Write("a.jpg", MakeJpeg(4, 4));
  Start.Write("x.jpg", "this is not a picture");
  Create();
  QPushButton* create = Find<QPushButton>("btnCreate");
  create->click();
  ASSERT_EQ(Messages.Boxes.size(), 1u);
  EXPECT_EQ(Messages.Boxes[0].Kind, Box::Error);
  EXPECT_EQ(Messages.Boxes[0].Text.rfind("JPEG error #", 0), 0u) << Messages.Boxes[0].Text;
  EXPECT_TRUE(Messages.Boxes[0].Text.ends_with(".\n" + StartPath() + "/x.jpg"));
  EXPECT_FALSE(Start.Exists("album.html"));
  EXPECT_EQ(Start.Read("AmbrelinDir.INI"), Crlf({"[Options]", "WebPageTitle=My Ambrelin",
                                                 "FileName=album.html", "PicHeadings=1"}));
  // The box already shows the base name the build made of it.
  EXPECT_EQ(Text(Find<QLineEdit>("Edit2")->text()), "album");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  Start.Write("x.jpg", MakeJpeg(6, 6));
  Messages.Boxes.clear();
  create->click();
  EXPECT_EQ(Messages.Boxes, (std::vector<Box>{{Box::Plain, "Ambrelin created!"}}));
  EXPECT_TRUE(Start.Exists("album.html"));
}

TEST_F(MainWindowTest, CursorFileNamedIcoAndShortIconShowTheirErrorTexts) {
  Start.Write("cursor.ico", MakeIcon(2));
  Create();
  Find<QPushButton>("btnCreate")->click();
  // The box's second line names the picture.
  const std::string picture = StartPath() + "/cursor.ico";
  EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"Icon image is not valid.\n" + picture}));

  Start.Write("cursor.ico", "abc");
  Messages.Boxes.clear();
  Find<QPushButton>("btnCreate")->click();
  EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"Stream read error.\n" + picture}));
}

TEST_F(MainWindowTest, EditDescriptionsLoadsTheDescriptionsAndOpensTheEditor) {
  Start.Write("a.jpg", MakeJpeg(4, 4));
  Start.Write("b.jpg", MakeJpeg(4, 4));
  {
    ImageTable table;
    BuildImageTable(table, {"a.jpg", "b.jpg"});
    SaveDescriptions(table, DescriptionFilePath(Start.Path()), "Sunset", 2);
  }
  Create();
  EXPECT_EQ(State->Table.Entries.at(1).DescriptionText(), "");
  int openings = 0;
  std::string seen;
  Window->SetDescriptionEditor([&](MainState& state) {
    ++openings;
    seen = state.Table.Entries.at(1).DescriptionText();
  });
  Find<QPushButton>("btnEditDesc")->click();
  EXPECT_EQ(openings, 1);
  EXPECT_EQ(seen, "Sunset");
  EXPECT_TRUE(Messages.Boxes.empty());
}

TEST_F(MainWindowTest, EditDescriptionsWithoutEditorOnlyLoadsThem) {
  Start.Write("a.jpg", MakeJpeg(4, 4));
  {
    ImageTable table;
    BuildImageTable(table, {"A.JPG"});
    SaveDescriptions(table, DescriptionFilePath(Start.Path()), "Dune", 1);
  }
  Create();
  Find<QPushButton>("btnEditDesc")->click();
  EXPECT_EQ(State->Table.Entries.at(0).DescriptionText(), "Dune");
}

// A picture renamed in the editor, and described, is built under its new
// name: the main window lists the folder again when the editor has closed.
TEST_F(MainWindowTest, APictureRenamedInTheEditorIsBuiltUnderItsNewName) {
  Start.Write("a.jpg", MakeJpeg(4, 4));
  Start.Write("camera_exif6.jpg", MakeJpeg(6, 4));
  Create();
  PicDescState editorState;
  TfrmPicDesc editor(editorState, State->Screen, Messages);
  Window->SetDescriptionEditor([&](MainState& main) {
    editor.Bind(main);
    editor.show();
    editor.btnPgDnClick();
    editor.findChild<QLineEdit*>(QStringLiteral("txtFileName"))->setText(QStringLiteral("beach"));
    editor.txtFileNameExit();
    editor.findChild<TMemo*>(QStringLiteral("memDesc"))->setPlainText(QStringLiteral("Dunes"));
    editor.btnExitClick();
  });
  Find<QPushButton>("btnEditDesc")->click();
  EXPECT_EQ(Find<TFileListBox>("FLB1")->Lines(), (std::vector<std::string>{"a.jpg", "beach.JPG"}));
  Find<QPushButton>("btnCreate")->click();
  // The page links beach.jpg, so the offer to rename beach.JPG follows.
  ASSERT_EQ(Messages.Boxes.size(), 2u);
  EXPECT_EQ(Messages.Boxes[0], (Box{Box::Plain, "Ambrelin created!"}));
  EXPECT_EQ(Messages.Boxes[1].Kind, Box::Question);
  EXPECT_NE(Start.Read("album.html").find("beach.jpg"), std::string::npos);
  EXPECT_NE(Start.Read("Pics.INC").find("Dunes"), std::string::npos);
}

TEST_F(MainWindowTest, OldDescriptionFileIsRenamedAtStartUp) {
  Start.Write("@.KVD", "");
  Create();
  EXPECT_TRUE(Start.Exists("!.KVD"));
  EXPECT_FALSE(Start.Exists("@.KVD"));
}

TEST_F(MainWindowTest, AboutShowsTheVersionAndASecondClickRefreshesIt) {
  Create();
  QLabel* version = AboutBox->findChild<QLabel*>(QStringLiteral("Version"));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(Text(version->text()), "Version");
  Find<QPushButton>("btnAbout")->click();
  EXPECT_TRUE(AboutBox->isVisible());
  EXPECT_FALSE(AboutBox->isModal());
  EXPECT_EQ(Text(version->text()), "Version: 3.1.0.2");

  version->setText(QStringLiteral("stale"));
  Find<QPushButton>("btnAbout")->click();
  EXPECT_EQ(Text(version->text()), "Version: 3.1.0.2");
  EXPECT_TRUE(AboutBox->isVisible());
  // The main window stays usable while the box is open.
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

  AboutBox->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
  EXPECT_FALSE(AboutBox->isVisible());
  Find<QPushButton>("btnAbout")->click();
  EXPECT_TRUE(AboutBox->isVisible());
}

TEST_F(MainWindowTest, ExitClosesTheWindow) {
  Create();
  Window->show();
  ASSERT_TRUE(Window->isVisible());
  Find<QPushButton>("btnExit")->click();
  EXPECT_FALSE(Window->isVisible());
  EXPECT_TRUE(Messages.Boxes.empty());
}

TEST_F(MainWindowTest, FormActivateShowsTheFileCount) {
  Start.Write("a.jpg", MakeJpeg(4, 4));
  Create();
  Find<QLabel>("Label3")->setText(QStringLiteral("?"));
  Window->FormActivate();
  EXPECT_EQ(Text(Find<QLabel>("Label3")->text()), "1");
}
