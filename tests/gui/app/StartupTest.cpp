// The pieces of start-up: screen values, start directory, artwork.
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>

#include "drawing/Artwork.h"
#include "gui/app/ScreenInfo.h"
#include "gui/app/Startup.h"

TEST(StartupTest, ScreenMetricsComeFromThePrimaryScreen) {
  const ScreenMetrics metrics = ReadScreenMetrics();
  EXPECT_GT(metrics.PixelsPerInch, 0);
  EXPECT_GT(metrics.BitsPerPixel, 0);
  EXPECT_EQ(metrics.IconWidth, 32);
  EXPECT_EQ(metrics.IconHeight, 32);
}

TEST(StartupTest, StartDirectoryIsTheCurrentDirectory) {
  char buffer[PATH_MAX];
  ASSERT_NE(::getcwd(buffer, sizeof buffer), nullptr);
  EXPECT_EQ(StartDirectory(), buffer);
}

TEST(StartupTest, ArtworkIsDrawnAtTheAskedSizes) {
  const QImage picture = DrawProgramPicture(QSize(90, 109));
  EXPECT_EQ(picture.size(), QSize(90, 109));
  const QImage icon = DrawApplicationIcon(48);
  EXPECT_EQ(icon.size(), QSize(48, 48));
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);      // transparent corner
  EXPECT_EQ(qAlpha(icon.pixel(24, 24)), 255);  // a print in the middle
  EXPECT_FALSE(ApplicationIcon().availableSizes().isEmpty());
}
