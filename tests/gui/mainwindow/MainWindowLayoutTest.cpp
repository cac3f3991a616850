// The main window's layout: positions, sizes, fonts, tab order, at the
// design density and scaled.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <vector>

#include "MainWindowFixture.h"
#include "gui/app/QtMessageBoxes.h"
#include "gui/editor/TfrmPicDesc.h"
#include "gui/mainwindow/TDirectoryListBox.h"
#include "gui/mainwindow/TDriveComboBox.h"
#include "gui/mainwindow/TFileListBox.h"
#include "support/PictureFixtures.h"

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
      {"btnPublish", {373, 327, 110, 26}},  {"cbAllKinds", {360, 185, 124, 30}},
      {"lblKinds", {486, 185, 184, 30}},
  };
  return layout;
}

using MainWindowLayoutTest = MainWindowTest;

// Adds the labels, buttons and check boxes of window whose text does not
// fit where they draw it: a line advances no wider than that area and has
// its glyphs within the area's height; several lines fit it as laid out.
void AddMisfits(const QWidget& window, std::vector<std::string>& misfits) {
  for (QWidget* control : window.findChildren<QWidget*>()) {
    auto* label = qobject_cast<QLabel*>(control);
    auto* button = qobject_cast<QAbstractButton*>(control);
    if ((!label && !button) || !control->isVisibleTo(&window)) continue;
    const bool push = qobject_cast<QPushButton*>(control) != nullptr;
    QStyleOptionButton option;
    option.initFrom(control);
    const QRect area = label ? label->contentsRect()
                             : control->style()->subElementRect(push ? QStyle::SE_PushButtonContents
                                                                     : QStyle::SE_CheckBoxContents,
                                                                &option, control);
    const QString text = label ? label->text() : button->text().remove(QLatin1Char('&'));
    const Qt::Alignment align = label  ? label->alignment()
                                : push ? Qt::AlignCenter
                                       : Qt::AlignLeft | Qt::AlignVCenter;
    const QFontMetrics fm = control->fontMetrics();
    const QRect line = QStyle::alignedRect(Qt::LeftToRight, align,
                                           QSize(fm.horizontalAdvance(text), fm.height()), area);
    const QRect ink = fm.tightBoundingRect(text).translated(0, line.top() + fm.ascent());
    if (text.contains(QLatin1Char('\n'))
            ? !area.contains(fm.boundingRect(area, align, text))
            : line.width() > area.width() || ink.top() < area.top() || ink.bottom() > area.bottom())
      misfits.push_back(control->objectName().toStdString() + ": " + text.toStdString());
  }
}

}  // namespace

// The three windows and the message boxes with the fonts a fresh set-up
// has, at 96 and 144 dots per inch; the editor's counters read 1999 of 2000.
TEST_F(MainWindowLayoutTest, EveryTextFitsItsControl) {
  Start.Write("a.jpg", MakeJpeg(8, 6));
  // The notice at its longest: every phone and messenger kind left out.
  for (const char* name : {"b.heic", "c.heif", "d.avif", "e.webp", "f.png", "g.gif", "h.tif"})
    for (int i = 1000; i < 1012; ++i) Start.Write(std::to_string(i) + name, "");
  for (const int dpi : {96, 144}) {
    Create(dpi);
    BuildImageTable(State->Table, std::vector<std::string>(2000, "a.jpg"));
    PicDescState editorState;
    TfrmPicDesc editor(editorState, State->Screen, Messages);
    editor.Bind(*State);
    editor.ShowPicture(1999);
    AboutBox->SetVersionText("Version: 3.1.0.2");
    Exception denied("EInOutError", "File access denied");
    denied.SetPath(Start.File("!.KVD"));
    const std::unique_ptr<QMessageBox> boxes[] = {
        MakePlainMessageBox("Ambrelin created!"), MakeInformationDialog("We are at the last image"),
        MakeErrorMessageBox(denied), MakeQuestionBox("Rename them to lower case?")};
    std::vector<std::string> misfits;
    QFont font = QApplication::font();  // the boxes: the system's font at this density
    font.setPointSizeF(font.pointSizeF() * dpi / 96);
    for (const auto& box : boxes) {
      box->setFont(font);
      box->show();
      AddMisfits(*box, misfits);
    }
    for (const QWidget* window :
         std::initializer_list<const QWidget*>{Window.get(), &editor, AboutBox.get()})
      AddMisfits(*window, misfits);
    EXPECT_EQ(misfits, std::vector<std::string>{}) << dpi << " dots per inch";
    TearDown();
  }
}

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
  EXPECT_EQ(Text(Find<QCheckBox>("cbAllKinds")->text()), "Al&l picture kinds");
  EXPECT_EQ(Text(Find<QPushButton>("btnEditDesc")->text()), "&Edit Descriptions");
  EXPECT_EQ(Text(Find<QPushButton>("btnCreate")->text()), "&Create Album");
  EXPECT_EQ(Text(Find<QPushButton>("btnAbout")->text()), "&About");
  EXPECT_EQ(Text(Find<QPushButton>("btnExit")->text()), "E&xit");
  EXPECT_EQ(Text(Find<QPushButton>("btnPublish")->text()), "&Publish...");
  for (const char* name : {"DCB1", "DLB1", "FLB1", "Label2", "Label3", "Label4", "Edit1", "Label5",
                           "Edit2", "cb1", "cbAllKinds", "lblKinds"})
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
  // "&Publish..." stands left of "E&xit" and comes before it.
  const std::vector<std::string> expected = {"DCB1",       "DLB1",    "btnCreate",   "btnAbout",
                                             "btnPublish", "btnExit", "btnEditDesc", "Edit1",
                                             "Edit2",      "cb1",     "cbAllKinds"};
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
