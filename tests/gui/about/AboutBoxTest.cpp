// The About box: layout, picture, version label, showing and closing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "gui/about/AboutPicture.h"
#include "gui/about/TAboutBox.h"

namespace {

template <class Control>
Control* Find(QWidget& box, const char* name) {
  Control* control = box.findChild<Control*>(QString::fromLatin1(name));
  EXPECT_NE(control, nullptr) << name;
  return control;
}

std::string Text(const QString& text) {
  return text.toLocal8Bit().toStdString();
}

ScreenMetrics Screen(int pixelsPerInch) {
  return ScreenMetrics{pixelsPerInch, 24, 32, 32};
}

}  // namespace

TEST(AboutBoxTest, LayoutAtItsDesignDensity) {
  TAboutBox box(Screen(120));
  EXPECT_EQ(Text(box.windowTitle()), "About Image Viewer");
  EXPECT_EQ(box.size(), QSize(514, 324));
  EXPECT_EQ(box.minimumSize(), box.maximumSize());
  EXPECT_FALSE(box.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(box.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(Find<QFrame>(box, "Panel1")->geometry(), QRect(10, 10, 479, 247));
  EXPECT_EQ(Find<QLabel>(box, "ProgramIcon")->geometry(), QRect(10, 10, 90, 109));
  EXPECT_EQ(Find<QLabel>(box, "ProductName")->geometry(), QRect(110, 14, 339, 40));
  EXPECT_EQ(Find<QLabel>(box, "Version")->pos(), QPoint(224, 65));
  EXPECT_EQ(Find<QLabel>(box, "Label1")->geometry(), QRect(20, 178, 316, 21));
  EXPECT_EQ(Find<QLabel>(box, "Label2")->geometry(), QRect(79, 198, 317, 20));
  EXPECT_EQ(Find<QLabel>(box, "Label3")->geometry(), QRect(71, 217, 317, 21));
  EXPECT_EQ(Find<QPushButton>(box, "OKButton")->geometry(), QRect(214, 273, 92, 31));
  // The six controls lie in the panel.
  for (const char* name : {"ProgramIcon", "ProductName", "Version", "Label1", "Label2", "Label3"})
    EXPECT_EQ(Find<QWidget>(box, name)->parentWidget(), Find<QWidget>(box, "Panel1")) << name;
}

TEST(AboutBoxTest, TextsAndFonts) {
  TAboutBox box(Screen(120));
  QLabel* product = Find<QLabel>(box, "ProductName");
  EXPECT_EQ(Text(product->text()), "Ambrelin");
  EXPECT_EQ(product->font().pixelSize(), 27);
  EXPECT_EQ(product->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_TRUE(product->wordWrap());
  EXPECT_EQ(box.font().pixelSize(), 14);
  EXPECT_EQ(Text(Find<QLabel>(box, "Version")->text()), "Version");
  EXPECT_EQ(Text(Find<QLabel>(box, "Label1")->text()), "For technical support:");
  EXPECT_FALSE(Find<QLabel>(box, "Label2")->text().isEmpty());
  EXPECT_FALSE(Find<QLabel>(box, "Label3")->text().isEmpty());
  QPushButton* ok = Find<QPushButton>(box, "OKButton");
  EXPECT_EQ(Text(ok->text()), "OK");
  EXPECT_TRUE(ok->isDefault());
}

TEST(AboutBoxTest, ScaledOnAScreenOf96PixelsPerInch) {
  // Fonts by 96/120; geometry by the scaled text height 13 over 16.
  TAboutBox box(Screen(96));
  EXPECT_EQ(box.size(), QSize(418, 263));
  EXPECT_EQ(Find<QPushButton>(box, "OKButton")->geometry(), QRect(174, 222, 75, 25));
  EXPECT_EQ(Find<QLabel>(box, "ProductName")->font().pixelSize(), 22);
  EXPECT_EQ(box.font().pixelSize(), 11);
}

TEST(AboutBoxTest, ProgramIconShowsTheStoredJpegScaledToFill) {
  TAboutBox box(Screen(120));
  QLabel* icon = Find<QLabel>(box, "ProgramIcon");
  EXPECT_TRUE(icon->hasScaledContents());
  const QPixmap picture = icon->pixmap();
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(180, 218));
  const QImage image = AboutPicture();
  EXPECT_EQ(image.size(), QSize(180, 218));
  // Not a blank picture: the sky is bluer at the top than at the horizon.
  const QColor top = image.pixelColor(90, 30);
  EXPECT_GT(top.blue(), top.red());
}

TEST(AboutBoxTest, VersionLabelTakesTheWidthOfItsText) {
  TAboutBox box(Screen(120));
  QLabel* version = Find<QLabel>(box, "Version");
  box.SetVersionText("Version: 3.1.0.2");
  EXPECT_EQ(Text(version->text()), "Version: 3.1.0.2");
  const int wide = version->width();
  box.SetVersionText("Version: ");
  EXPECT_LT(version->width(), wide);
  EXPECT_EQ(version->pos(), QPoint(224, 65));
}

TEST(AboutBoxTest, FirstShowingCentresLaterOnesKeepThePlace) {
  TAboutBox box(Screen(120));
  box.ShowModeless();
  EXPECT_TRUE(box.isVisible());
  EXPECT_FALSE(box.isModal());
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE(std::abs(box.geometry().center().x() - area.center().x()), 1);
  EXPECT_LE(std::abs(box.geometry().center().y() - area.center().y()), 1);

  box.move(20, 30);
  const QPoint placed = box.pos();
  Find<QPushButton>(box, "OKButton")->click();
  EXPECT_FALSE(box.isVisible());
  box.ShowModeless();
  EXPECT_TRUE(box.isVisible());
  EXPECT_EQ(box.pos(), placed);
}

TEST(AboutBoxTest, EnterPressesOk) {
  TAboutBox box(Screen(120));
  box.ShowModeless();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&box, &enter);
  EXPECT_FALSE(box.isVisible());
}
