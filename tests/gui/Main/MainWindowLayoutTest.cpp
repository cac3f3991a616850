// The main window's layout: positions, sizes, fonts, tab order, at the
// design density and scaled.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <vector>

#include "MainWindowFixture.h"
#include "gui/Main/DirectoryListBox.h"
#include "gui/Main/DriveComboBox.h"
#include "gui/Main/FileListBox.h"

namespace {

struct Placement {
  const char* Name;
  QRect Geometry;
};

const std::vector<Placement>& DesignLayout() {
  static const std::vector<Placement> layout = {
      {"Label1", {103, 7, 482, 68}},        {"DCB1", {26, 78, 151, 22}},
      {"DLB1", {26, 98, 159, 247}},         {"FLB1", {185, 78, 152, 251}},
      {"Label2", {192, 333, 62, 16}},       {"Label4", {362, 102, 94, 16}},
      {"Edit1", {462, 102, 157, 24}},       {"Label5", {395, 128, 62, 16}},
      {"Edit2", {462, 128, 157, 24}},       {"cb1", {360, 154, 297, 31}},
      {"btnEditDesc", {438, 215, 163, 34}}, {"btnCreate", {373, 263, 116, 34}},
      {"btnAbout", {557, 263, 61, 34}},     {"btnExit", {491, 327, 61, 26}},
      {"btnPublish", {373, 327, 110, 26}},
  };
  return layout;
}

using MainWindowLayoutTest = MainWindowTest;

}  // namespace

TEST_F(MainWindowLayoutTest, ControlsStandWhereTheyWereDesignedAt96PixelsPerInch) {
  Create(96);
  for (const Placement& placement : DesignLayout())
    EXPECT_EQ(Find<QWidget>(placement.Name)->geometry(), placement.Geometry) << placement.Name;
  QLabel* count = Find<QLabel>("Label3");
  EXPECT_EQ(count->pos(), QPoint(260, 333));
  EXPECT_EQ(count->height(), 16);
  EXPECT_EQ(Window->size(), QSize(676, 371));
  EXPECT_EQ(Window->pos(), QPoint(75, 104));
  EXPECT_EQ(Window->objectName(), QStringLiteral("frmMain"));
}

TEST_F(MainWindowLayoutTest, CaptionsAndFonts) {
  Create(96);
  EXPECT_EQ(Text(Find<QLabel>("Label1")->text()), "Ambrelin");
  EXPECT_EQ(Find<QLabel>("Label1")->font().pixelSize(), 49);
  EXPECT_EQ(Find<QLabel>("Label1")->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(Find<QLabel>("Label1")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_EQ(Text(Find<QLabel>("Label2")->text()), "No. of files");
  EXPECT_EQ(Find<QLabel>("Label2")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  EXPECT_EQ(Text(Find<QLabel>("Label4")->text()), "Web Page Title");
  EXPECT_EQ(Text(Find<QLabel>("Label5")->text()), "File Name");
  EXPECT_EQ(Text(Find<QCheckBox>("cb1")->text()), "Include filenames in the generated web page");
  EXPECT_EQ(Text(Find<QPushButton>("btnEditDesc")->text()), "&Edit Descriptions");
  EXPECT_EQ(Text(Find<QPushButton>("btnCreate")->text()), "&Create Album");
  EXPECT_EQ(Text(Find<QPushButton>("btnAbout")->text()), "&About");
  EXPECT_EQ(Text(Find<QPushButton>("btnExit")->text()), "E&xit");
  EXPECT_EQ(Text(Find<QPushButton>("btnPublish")->text()), "&Publish...");
  for (const char* name :
       {"DCB1", "DLB1", "FLB1", "Label2", "Label3", "Label4", "Edit1", "Label5", "Edit2", "cb1"})
    EXPECT_EQ(Find<QWidget>(name)->font().pixelSize(), 13) << name;
  for (const char* name : {"btnEditDesc", "btnCreate", "btnAbout", "btnExit", "btnPublish"})
    EXPECT_EQ(Find<QWidget>(name)->font().pixelSize(), 16) << name;
}

TEST_F(MainWindowLayoutTest, LayoutIsScaledOnAScreenOf120PixelsPerInch) {
  // Fonts by 120/96; geometry by the scaled text height 16 over 13.
  Create(120);
  EXPECT_EQ(Find<QWidget>("btnCreate")->geometry(), QRect(459, 324, 143, 42));
  EXPECT_EQ(Find<QWidget>("DLB1")->geometry(), QRect(32, 121, 196, 304));
  EXPECT_EQ(Window->size(), QSize(832, 457));
  EXPECT_EQ(Find<QWidget>("Edit1")->font().pixelSize(), 16);
  EXPECT_EQ(Find<QWidget>("Label1")->font().pixelSize(), 61);
  EXPECT_EQ(Find<QWidget>("btnCreate")->font().pixelSize(), 20);
}

TEST_F(MainWindowLayoutTest, TabOrderSkipsTheFileListAndNoButtonIsTheDefault) {
  Create(96);
  const std::vector<std::string> expected = {"DCB1",    "DLB1",       "btnCreate",   "btnAbout",
                                             "btnExit", "btnPublish", "btnEditDesc", "Edit1",
                                             "Edit2",   "cb1"};
  // The focus chain from the drive box round to it again, keeping the
  // window's own controls that the Tab key stops at.
  std::vector<std::string> order;
  QWidget* first = Find<QWidget>("DCB1");
  QWidget* widget = first;
  for (int step = 0; step < 500; ++step) {
    if (widget->parentWidget() == Window.get() && (widget->focusPolicy() & Qt::TabFocus))
      order.push_back(Text(widget->objectName()));
    widget = widget->nextInFocusChain();
    if (widget == first) break;
  }
  EXPECT_EQ(order, expected);
  EXPECT_FALSE(Find<QWidget>("FLB1")->focusPolicy() & Qt::TabFocus);
  EXPECT_TRUE(Find<QWidget>("FLB1")->focusPolicy() & Qt::ClickFocus);
  for (const char* name : {"btnEditDesc", "btnCreate", "btnAbout", "btnExit", "btnPublish"}) {
    EXPECT_FALSE(Find<QPushButton>(name)->isDefault()) << name;
    EXPECT_FALSE(Find<QPushButton>(name)->autoDefault()) << name;
  }
  Window->show();
  QApplication::setActiveWindow(Window.get());
  EXPECT_EQ(Window->focusWidget(), Find<QWidget>("DCB1"));
}

TEST_F(MainWindowLayoutTest, ListRowsAreSixteenPixelsHigh) {
  Start.Write("a.jpg", "");
  Start.Write("b.jpg", "");
  Create(96);
  Window->show();
  auto* files = Find<TFileListBox>("FLB1");
  EXPECT_EQ(files->visualItemRect(files->item(1)).height(), 16);
  EXPECT_EQ(
      files->visualItemRect(files->item(1)).top() - files->visualItemRect(files->item(0)).top(),
      16);
  auto* folders = Find<TDirectoryListBox>("DLB1");
  EXPECT_EQ(folders->visualItemRect(folders->item(0)).height(), 16);
}
