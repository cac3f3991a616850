// The editor window's layout: positions, sizes, captions, fonts, tab order,
// at the design density and scaled.
#include <QApplication>
#include <QPlainTextEdit>
#include <vector>

#include "PicDescFixture.h"

namespace {

struct Placement {
  const char* Name;
  QRect Geometry;
};

const std::vector<Placement>& DesignLayout() {
  static const std::vector<Placement> layout = {
      {"img1", {13, 7, 540, 530}},       {"Label2", {564, 15, 44, 16}},
      {"lblPicNo", {618, 15, 31, 16}},   {"Label4", {657, 15, 11, 16}},
      {"lblPicTot", {676, 15, 21, 16}},  {"txtFileName", {577, 39, 169, 24}},
      {"Label3", {629, 69, 59, 16}},     {"txtDimens", {584, 88, 46, 13}},
      {"memDesc", {565, 109, 209, 117}}, {"Label1", {617, 231, 111, 13}},
      {"bntSave", {632, 297, 98, 33}},   {"btnPgUp", {632, 361, 98, 33}},
      {"btnPgDn", {632, 425, 98, 33}},   {"btnExit", {632, 489, 98, 33}},
  };
  return layout;
}

using PicDescLayoutTest = PicDescTest;

TEST_F(PicDescLayoutTest, ControlsStandWhereTheyWereDesignedAt96PixelsPerInch) {
  Create({});
  for (const Placement& placement : DesignLayout())
    EXPECT_EQ(Find<QWidget>(placement.Name)->geometry(), placement.Geometry) << placement.Name;
  EXPECT_EQ(Window->size(), QSize(787, 544));  // 741 x 447 as designed cuts controls
  EXPECT_EQ(Window->minimumSize(), QSize(774, 537));
  EXPECT_EQ(Window->pos(), QPoint(11, 137));
  EXPECT_EQ(Window->objectName(), QStringLiteral("frmPicDesc"));
  EXPECT_TRUE(Window->isWindow());
}

TEST_F(PicDescLayoutTest, CaptionsFontsAndLooks) {
  Create({});
  EXPECT_EQ(Text(Window->windowTitle()), "Ambrelin - Image Description");
  EXPECT_EQ(LabelText("Label2"), "Picture ");
  EXPECT_EQ(LabelText("Label4"), "of");
  EXPECT_EQ(LabelText("Label3"), "File name");
  EXPECT_EQ(LabelText("Label1"), "Comments");
  EXPECT_EQ(Find<QLabel>("Label1")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_EQ(Text(Find<QPushButton>("bntSave")->text()), "&Save");
  EXPECT_EQ(Text(Find<QPushButton>("btnPgUp")->text()), "Pg&Up");
  EXPECT_EQ(Text(Find<QPushButton>("btnPgDn")->text()), "PgD&n");
  EXPECT_EQ(Text(Find<QPushButton>("btnExit")->text()), "E&xit");
  EXPECT_EQ(Window->font().pixelSize(), 10);
  for (const char* name :
       {"Label1", "Label2", "Label3", "Label4", "lblPicNo", "lblPicTot", "txtFileName", "memDesc"})
    EXPECT_EQ(Find<QWidget>(name)->font().pixelSize(), 13) << name;
  for (const char* name : {"bntSave", "btnPgUp", "btnPgDn", "btnExit"}) {
    QPushButton* button = Find<QPushButton>(name);
    EXPECT_EQ(button->font().pixelSize(), 15) << name;
    EXPECT_EQ(button->font().families().value(0), QStringLiteral("Signboard")) << name;
    EXPECT_EQ(button->palette().color(QPalette::ButtonText), QColor(0, 0, 255)) << name;
    EXPECT_FALSE(button->isDefault()) << name;
    EXPECT_FALSE(button->autoDefault()) << name;
  }
  EXPECT_EQ(Memo()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(Memo()->MaxBytes(), 255);
  EXPECT_GE(Find<QLineEdit>("txtFileName")->maxLength(), 32767);
  EXPECT_TRUE(Find<QLabel>("txtDimens")->isHidden());

  // Drawn at a device pixel ratio of 1.5, the memo keeps its frame.
  QImage shot(Window->size() * 3 / 2, QImage::Format_RGB32);
  shot.setDevicePixelRatio(1.5);
  Window->render(&shot);
  EXPECT_NE(shot.pixelColor(565 * 3 / 2 + 1, 200), Window->palette().color(QPalette::Window));
}

TEST_F(PicDescLayoutTest, LayoutIsScaledOnAScreenOf120PixelsPerInch) {
  // Fonts by 120/96; geometry by the scaled text height 16 over 13.
  Create({}, 120);
  EXPECT_EQ(Find<QWidget>("memDesc")->geometry(), QRect(695, 134, 257, 144));
  EXPECT_EQ(Find<QWidget>("btnExit")->geometry(), QRect(778, 602, 121, 41));
  EXPECT_EQ(Window->size(), QSize(968, 670));
  EXPECT_EQ(Find<QWidget>("memDesc")->font().pixelSize(), 16);
  EXPECT_EQ(Find<QWidget>("btnExit")->font().pixelSize(), 19);
  EXPECT_EQ(Window->font().pixelSize(), 13);
}

TEST_F(PicDescLayoutTest, TabOrderRunsFromTheMemoToTheNameBox) {
  Create({});
  const std::vector<std::string> expected = {"memDesc", "bntSave", "btnPgUp",
                                             "btnPgDn", "btnExit", "txtFileName"};
  std::vector<std::string> order;
  QWidget* first = Find<QWidget>("memDesc");
  QWidget* widget = first;
  for (int step = 0; step < 500; ++step) {
    if (widget->parentWidget() == Window.get() && (widget->focusPolicy() & Qt::TabFocus))
      order.push_back(Text(widget->objectName()));
    widget = widget->nextInFocusChain();
    if (widget == first) break;
  }
  EXPECT_EQ(order, expected);
  EXPECT_TRUE(Memo()->tabChangesFocus());
  EXPECT_EQ(Image()->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(Window->focusWidget(), Memo());
}

}  // namespace
