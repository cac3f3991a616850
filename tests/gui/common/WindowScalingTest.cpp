// Window scaling by screen density, and the fonts of the windows.
#include "gui/common/WindowScaling.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QLabel>
#include <QWidget>

TEST(WindowScalingTest, DesignDensityChangesNothing) {
  const WindowScaling main(MainDesignPixelsPerInch, MainDesignTextHeight, 96);
  EXPECT_EQ(main.ScaledTextHeight(), 13);
  EXPECT_EQ(main.FontPixels(49), 49);
  EXPECT_EQ(main.Rect(QRect(373, 263, 116, 34)), QRect(373, 263, 116, 34));
  const WindowScaling about(AboutDesignPixelsPerInch, AboutDesignTextHeight, 120);
  EXPECT_EQ(about.Size(QSize(514, 324)), QSize(514, 324));
}

TEST(WindowScalingTest, FontsFollowTheDensityGeometryTheScaledTextHeight) {
  const WindowScaling main(96, 13, 144);
  EXPECT_EQ(main.ScaledTextHeight(), 20);  // 19.5 rounded up
  EXPECT_EQ(main.FontPixels(16), 24);
  EXPECT_EQ(main.Length(13), 20);
  EXPECT_EQ(main.Length(676), 1040);
  const WindowScaling about(120, 16, 96);
  EXPECT_EQ(about.ScaledTextHeight(), 13);  // 12.8
  EXPECT_EQ(about.FontPixels(27), 22);      // 21.6
  EXPECT_EQ(about.Size(QSize(514, 324)), QSize(418, 263));
}

TEST(WindowScalingTest, NoDensityKnownMeansTheDesignDensity) {
  const WindowScaling main(96, 13, 0);
  EXPECT_EQ(main.Length(100), 100);
}

TEST(WindowScalingTest, ScaleGeometryMovesAndSizesEachControl) {
  QWidget window;
  QLabel* label = new QLabel(&window);
  label->setGeometry(10, 20, 30, 40);
  ScaleGeometry({label}, WindowScaling(96, 13, 192));
  EXPECT_EQ(label->geometry(), QRect(20, 40, 60, 80));
}

TEST(WindowScalingTest, DesignFontHasThePixelHeightAndFallsBackToAnInstalledFamily) {
  const QFont font = DesignFont(SansSerifFamily(), 13);
  EXPECT_EQ(font.pixelSize(), 13);
  EXPECT_EQ(font.families().front(), QStringLiteral("MS Sans Serif"));
  EXPECT_FALSE(QFontInfo(font).family().isEmpty());
  EXPECT_EQ(DesignFont(ComicFamily(), 49).families().front(), QStringLiteral("Comic Sans MS"));
  EXPECT_GT(FamiliesFor(ComicFamily()).size(), 2);
}
