// Loading a picture file into a Picture: the kind by extension, the bytes
// kept for drawing, and the previous image kept when a load fails.
#include "core/pictures/Picture.h"

#include <gtest/gtest.h>

#include "core/platform/Errors.h"
#include "support/PictureFixtures.h"
#include "support/TestUtil.h"

namespace {

const ScreenMetrics Screen{96, 24, 32, 32};

TEST(PictureTest, StartsEmpty) {
  Picture picture;
  EXPECT_FALSE(picture.HasImage());
  EXPECT_TRUE(picture.Empty());
  EXPECT_EQ(picture.Width(), 0);
  EXPECT_EQ(picture.Height(), 0);
  EXPECT_TRUE(picture.Data().empty());
}

TEST(PictureTest, ChoosesTheReaderByExtension) {
  TempDir dir;
  const struct {
    const char* Name;
    std::string Bytes;
    PictureKind Kind;
  } files[] = {
      {"a.JPG", MakeJpeg(20, 10), PictureKind::Jpeg},
      {"b.Jpeg", MakeJpeg(20, 10), PictureKind::Jpeg},
      {"c.bmp", MakeBmp(20, 10), PictureKind::Bitmap},
      {"d.ICO", MakeIcon(), PictureKind::Icon},
      {"e.emf", MakeEmf(), PictureKind::Metafile},
      {"f.wmf", MakePlaceableWmf(0, 0, 20, 10, 96), PictureKind::Metafile},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.Name);
    dir.Write(file.Name, file.Bytes);
    Picture picture;
    picture.LoadFromFile(dir.Path(), file.Name, Screen);
    EXPECT_TRUE(picture.HasImage());
    EXPECT_FALSE(picture.Empty());
    EXPECT_EQ(picture.Kind(), file.Kind);
    EXPECT_EQ(picture.Data(), file.Bytes);
  }
}

TEST(PictureTest, NotesGrayscaleAndProgressiveJpegs) {
  TempDir dir;
  dir.Write("colour.jpg", MakeJpeg(16, 16));
  dir.Write("grey.jpg", MakeJpeg(16, 16, 75, 0, true, false));
  dir.Write("progressive.jpg", MakeJpeg(16, 16, 75, 0, false, true));
  Picture picture;
  picture.LoadFromFile(dir.Path(), "colour.jpg", Screen);
  EXPECT_FALSE(picture.Grayscale());
  EXPECT_FALSE(picture.Progressive());
  picture.LoadFromFile(dir.Path(), "grey.jpg", Screen);
  EXPECT_TRUE(picture.Grayscale());
  EXPECT_FALSE(picture.Progressive());
  picture.LoadFromFile(dir.Path(), "progressive.jpg", Screen);
  EXPECT_FALSE(picture.Grayscale());
  EXPECT_TRUE(picture.Progressive());
}

TEST(PictureTest, AnEmptyJpegIsLoadedButHasNothingToDraw) {
  TempDir dir;
  dir.Write("empty.jpg", "");
  Picture picture;
  picture.LoadFromFile(dir.Path(), "empty.jpg", Screen);
  EXPECT_TRUE(picture.HasImage());
  EXPECT_TRUE(picture.Empty());
  EXPECT_EQ(picture.Kind(), PictureKind::Jpeg);
}

TEST(PictureTest, KeepsThePreviousImageWhenALoadFails) {
  TempDir dir;
  const std::string jpeg = MakeJpeg(64, 48);
  dir.Write("good.jpg", jpeg);
  dir.Write("cursor.ico", MakeIcon(2));
  dir.Write("cut.emf", MakeEmf().substr(0, 120));
  Picture picture;
  picture.LoadFromFile(dir.Path(), "good.jpg", Screen);
  const auto generation = picture.Generation();

  EXPECT_THROW(picture.LoadFromFile(dir.Path(), "cursor.ico", Screen), EInvalidGraphic);
  EXPECT_THROW(picture.LoadFromFile(dir.Path(), "cut.emf", Screen), EReadError);
  EXPECT_THROW(picture.LoadFromFile(dir.Path(), "missing.bmp", Screen), EFOpenError);
  EXPECT_THROW(picture.LoadFromFile(dir.Path(), "good.gif", Screen), EInvalidGraphic);

  EXPECT_EQ(picture.Kind(), PictureKind::Jpeg);
  EXPECT_EQ(picture.Width(), 64);
  EXPECT_EQ(picture.Height(), 48);
  EXPECT_EQ(picture.Data(), jpeg);
  EXPECT_EQ(picture.Generation(), generation);
}

TEST(PictureTest, ANewImageReplacesTheOldOne) {
  TempDir dir;
  dir.Write("a.jpg", MakeJpeg(64, 48));
  dir.Write("b.bmp", MakeBmp(5, 7));
  Picture picture;
  picture.LoadFromFile(dir.Path(), "a.jpg", Screen);
  const auto generation = picture.Generation();
  picture.LoadFromFile(dir.Path(), "b.bmp", Screen);
  EXPECT_NE(picture.Generation(), generation);
  EXPECT_EQ(picture.Kind(), PictureKind::Bitmap);
  EXPECT_EQ(picture.Width(), 5);
  EXPECT_EQ(picture.Height(), 7);

  picture.Clear();
  EXPECT_FALSE(picture.HasImage());
  EXPECT_EQ(picture.Width(), 0);
  EXPECT_TRUE(picture.Data().empty());
}

}  // namespace
