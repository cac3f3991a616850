// The three folder controls: the drive box, the folder list, the file list.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <filesystem>

#include "MainWindowFixture.h"
#include "core/shell/EventGuard.h"
#include "gui/mainwindow/ListRowDelegate.h"
#include "gui/mainwindow/TDirectoryListBox.h"
#include "gui/mainwindow/TDriveComboBox.h"
#include "gui/mainwindow/TFileListBox.h"

namespace {

// The three controls linked as the main window links them.
class FolderControlsTest : public ::testing::Test {
 protected:
  FolderControlsTest() : Guard(Messages) {
    Drives.SetDirList(&Folders);
    Drives.SetGuard(&Guard);
    Folders.SetDriveBox(&Drives);
    Folders.SetFileList(&Files);
    Folders.SetGuard(&Guard);
    QObject::connect(&Folders, &TDirectoryListBox::Change, [this] { ++Changes; });
  }

  std::string Path() const { return RealFolderPath(Dir.Path()); }

  TempDir Dir;
  RecordingMessageBoxes Messages;
  EventGuard Guard;
  TDriveComboBox Drives;
  TDirectoryListBox Folders;
  TFileListBox Files;
  int Changes = 0;
  CurrentDirectoryKeeper Keeper;
};

std::vector<std::string> Texts(const std::vector<FolderLine>& lines) {
  std::vector<std::string> texts;
  for (const FolderLine& line : lines) texts.push_back(line.Text);
  return texts;
}

}  // namespace

TEST_F(FolderControlsTest, FileListShowsMatchingFilesSortedIgnoringCase) {
  for (const char* name : {"B.jpg", "a.JPG", "c.bmp", "d.jpeg", "e.txt", ".f.jpg"})
    Dir.Write(name, "");
  std::filesystem::create_directory(Dir.File("g.jpg"));
  Files.SetMask("*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf");
  ASSERT_TRUE(Folders.ShowFolder(Dir.Path()));
  EXPECT_EQ(Files.Lines(), (std::vector<std::string>{"a.JPG", "B.jpg", "c.bmp", "d.jpeg"}));
  EXPECT_EQ(Files.count(), 4);
  EXPECT_EQ(Files.item(1)->text(), QStringLiteral("B.jpg"));
  EXPECT_EQ(Files.Folder(), Path());
  EXPECT_EQ(Changes, 1);
}

TEST_F(FolderControlsTest, ChangingTheMaskListsTheFolderAgain) {
  Dir.Write("a.jpg", "");
  Dir.Write("b.bmp", "");
  ASSERT_TRUE(Folders.ShowFolder(Dir.Path()));
  EXPECT_EQ(Files.Mask(), "*.*");
  EXPECT_EQ(Files.Count(), 2);
  Files.SetMask("*.bmp");
  EXPECT_EQ(Files.Lines(), (std::vector<std::string>{"b.bmp"}));
  EXPECT_EQ(Changes, 1);
}

TEST_F(FolderControlsTest, LongListingShowsTheBusyPointerAndResetsIt) {
  for (int i = 0; i < 150; ++i) Dir.Write("img" + std::to_string(1000 + i) + ".bmp", "");
  Files.SetMask("*.bmp");
  ASSERT_TRUE(Folders.ShowFolder(Dir.Path()));
  EXPECT_EQ(Files.Count(), 150);
  EXPECT_EQ(Files.BusyListings(), 1);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  std::filesystem::create_directory(Dir.File("few"));
  Dir.Write("few/a.bmp", "");
  ASSERT_TRUE(Folders.ShowFolder("few"));
  EXPECT_EQ(Files.BusyListings(), 1);
}

TEST_F(FolderControlsTest, FolderListShowsRootPathShownFolderAndSubfolders) {
  std::filesystem::create_directories(Dir.File("trip/Beach"));
  std::filesystem::create_directories(Dir.File("trip/alps"));
  std::filesystem::create_directories(Dir.File("trip/.hidden"));
  Dir.Write("trip/file.jpg", "");
  ASSERT_TRUE(Folders.ShowFolder(Dir.File("trip")));
  EXPECT_EQ(ProcessDirectory(), Path() + "/trip");
  EXPECT_EQ(Folders.Directory(), Path() + "/trip");

  const std::vector<FolderLine>& lines = Folders.Lines();
  std::vector<std::string> expected{"/"};
  for (const auto& part : std::filesystem::path(Path() + "/trip").relative_path())
    expected.push_back(part.string());
  expected.push_back("alps");
  expected.push_back("Beach");
  EXPECT_EQ(Texts(lines), expected);
  ASSERT_EQ(Folders.count(), static_cast<int>(lines.size()));
  EXPECT_EQ(lines.front().Kind, FolderLine::Root);
  EXPECT_EQ(lines[lines.size() - 3].Kind, FolderLine::Current);
  EXPECT_EQ(lines.back().Kind, FolderLine::Subfolder);
  EXPECT_EQ(Folders.currentRow(), static_cast<int>(lines.size()) - 3);

  // Each level a step further in; both subfolders one step below the shown folder.
  const int step = Folders.item(1)->data(ListRowDelegate::IndentRole).toInt();
  EXPECT_GT(step, 0);
  for (int row = 0; row < Folders.count(); ++row)
    EXPECT_EQ(Folders.item(row)->data(ListRowDelegate::IndentRole).toInt(),
              lines[static_cast<std::size_t>(row)].Level * step);
  EXPECT_EQ(lines.back().Level, lines[lines.size() - 3].Level + 1);
  // Three kinds of glyph.
  const QImage open = Folders.item(0)->icon().pixmap(16).toImage();
  const QImage current = Folders.item(Folders.currentRow())->icon().pixmap(16).toImage();
  const QImage closed = Folders.item(Folders.count() - 1)->icon().pixmap(16).toImage();
  EXPECT_NE(open, current);
  EXPECT_NE(open, closed);
  EXPECT_NE(current, closed);
}

TEST_F(FolderControlsTest, ShowingTheRootGivesOneLine) {
  ASSERT_TRUE(Folders.ShowFolder("/"));
  ASSERT_GE(Folders.Lines().size(), 1u);
  EXPECT_EQ(Folders.Lines()[0].Text, "/");
  EXPECT_EQ(Folders.Lines()[0].Kind, FolderLine::Current);
  EXPECT_EQ(Folders.Directory(), "/");
  EXPECT_EQ(ProcessDirectory(), "/");
}

TEST_F(FolderControlsTest, SingleClickSelectsOnlyDoubleClickAndEnterShowTheFolder) {
  std::filesystem::create_directories(Dir.File("a"));
  std::filesystem::create_directories(Dir.File("b"));
  ASSERT_TRUE(Folders.ShowFolder(Dir.Path()));
  Folders.resize(300, 400);
  Folders.show();
  const int rowA = static_cast<int>(Folders.Lines().size()) - 2;
  const QPoint centre = Folders.visualItemRect(Folders.item(rowA)).center();

  QMouseEvent press(QEvent::MouseButtonPress, centre, Folders.viewport()->mapToGlobal(centre),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Folders.viewport(), &press);
  QMouseEvent release(QEvent::MouseButtonRelease, centre, Folders.viewport()->mapToGlobal(centre),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(Folders.viewport(), &release);
  EXPECT_EQ(Folders.currentRow(), rowA);
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(Folders.Directory(), Path());

  QMouseEvent twice(QEvent::MouseButtonDblClick, centre, Folders.viewport()->mapToGlobal(centre),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Folders.viewport(), &twice);
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(Folders.Directory(), Path() + "/a");

  // Enter on the parent's line goes back up.
  Folders.setCurrentRow(static_cast<int>(CurrentLineIndex(Folders.Lines())) - 1);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&Folders, &enter);
  EXPECT_EQ(Changes, 3);
  EXPECT_EQ(Folders.Directory(), Path());
  EXPECT_EQ(ProcessDirectory(), Path());
  EXPECT_TRUE(Messages.Boxes.empty());
}

TEST_F(FolderControlsTest, FolderThatCannotBeEnteredRaisesAndChangesNothing) {
  ASSERT_TRUE(Folders.ShowFolder(Dir.Path()));
  Dir.Write("plain.jpg", "");
  try {
    Folders.ShowFolder("missing");
    FAIL() << "no error";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.ErrorCode(), 2);
    EXPECT_EQ(error.Message(), "File not found");
  }
  EXPECT_THROW(Folders.ShowFolder("plain.jpg"), EInOutError);
  EXPECT_EQ(Folders.Directory(), Path());
  EXPECT_EQ(ProcessDirectory(), Path());
  EXPECT_EQ(Files.Count(), 0);  // the list was not read again
  EXPECT_EQ(Changes, 1);
}

TEST_F(FolderControlsTest, DriveBoxShowsTheChosenVolumesRememberedFolder) {
  TempDir stick;
  const std::string stickPath = RealFolderPath(stick.Path());
  std::filesystem::create_directory(stick.File("trip"));
  ASSERT_TRUE(Folders.ShowFolder(Dir.Path()));
  Drives.SetVolumes(
      {{"/", "/ [system]", VolumeLine::Fixed}, {stickPath, stickPath, VolumeLine::Removable}});
  EXPECT_EQ(Drives.count(), 2);
  EXPECT_EQ(Drives.itemText(1).toStdString(), stickPath);
  EXPECT_FALSE(Drives.itemIcon(0).isNull());
  EXPECT_EQ(Drives.currentIndex(), 0);
  EXPECT_EQ(Drives.ChosenLine(), 0);

  // A volume not chosen before shows its root; the user's choice comes as
  // the box's activation.
  emit Drives.activated(1);
  EXPECT_EQ(Folders.Directory(), stickPath);
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(Drives.currentIndex(), 1);

  ASSERT_TRUE(Folders.ShowFolder("trip"));
  EXPECT_EQ(Changes, 3);
  Drives.ChooseLine(0);
  EXPECT_EQ(Folders.Directory(), Path());
  EXPECT_EQ(Changes, 4);
  Drives.ChooseLine(1);
  EXPECT_EQ(Folders.Directory(), stickPath + "/trip");
  EXPECT_EQ(Changes, 5);
  // The volume chosen already: nothing happens.
  Drives.ChooseLine(1);
  EXPECT_EQ(Changes, 5);
  EXPECT_TRUE(Messages.Boxes.empty());
}

TEST_F(FolderControlsTest, DriveWhoseFolderCannotBeEnteredStaysChosenWhileTheListKeepsItsFolder) {
  TempDir stick;
  const std::string stickPath = RealFolderPath(stick.Path());
  std::filesystem::create_directory(stick.File("trip"));
  ASSERT_TRUE(Folders.ShowFolder(stick.File("trip")));
  Drives.SetVolumes(
      {{"/", "/ []", VolumeLine::Fixed}, {stickPath, stickPath + " [stick]", VolumeLine::Fixed}});
  ASSERT_TRUE(Folders.ShowFolder(Dir.Path()));
  std::filesystem::remove(stick.File("trip"));

  Drives.ChooseLine(1);
  ASSERT_EQ(Messages.Boxes.size(), 1u);
  EXPECT_EQ(Messages.Boxes[0].Text, "File not found.\n" + stickPath + "/trip");
  EXPECT_EQ(Folders.Directory(), Path());
  EXPECT_EQ(ProcessDirectory(), Path());
  EXPECT_EQ(Drives.currentIndex(), 1);
  EXPECT_EQ(Drives.ChosenLine(), 1);
  Drives.ChooseLine(1);  // the same line again: nothing
  EXPECT_EQ(Messages.Boxes.size(), 1u);
  Drives.ChooseLine(0);  // another drive works as usual
  EXPECT_EQ(Folders.Directory(), Path());
  EXPECT_EQ(Drives.ChosenLine(), 0);
}

TEST_F(FolderControlsTest, DriveBoxListsTheMountedVolumesWithTheRootFirst) {
  TDriveComboBox box;
  ASSERT_GE(box.count(), 1);
  EXPECT_EQ(box.Volumes().front().MountPoint, "/");
  EXPECT_FALSE(box.isEditable());
}
