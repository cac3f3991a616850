// The registry of picture extensions and the mask built from it.
#include "core/pictures/FileFormats.h"

#include <gtest/gtest.h>

#include "core/platform/Errors.h"

namespace {

TEST(PictureFileFormatsTest, MaskListsTheRegistryFromLastToFirst) {
  EXPECT_EQ(PictureFileMask(), "*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf");
  EXPECT_EQ(AllPictureFileMask(),
            "*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.heic;*.heif;*.hif;*.avif;*.webp;*.png;*.gif;"
            "*.tif;*.tiff");
}

TEST(PictureFileFormatsTest, RegistryEntriesInOrder) {
  const auto& formats = FileFormats().Formats();
  ASSERT_EQ(formats.size(), 6u);
  const struct {
    const char* Extension;
    const char* Description;
    PictureKind Kind;
  } expected[] = {
      {"wmf", "Metafiles", PictureKind::Metafile},
      {"emf", "Enhanced Metafiles", PictureKind::Metafile},
      {"ico", "Icons", PictureKind::Icon},
      {"bmp", "Bitmaps", PictureKind::Bitmap},
      {"jpeg", "JPEG Image File", PictureKind::Jpeg},
      {"jpg", "JPEG Image File", PictureKind::Jpeg},
  };
  for (std::size_t i = 0; i < formats.size(); ++i) {
    EXPECT_EQ(formats[i].Extension, expected[i].Extension);
    EXPECT_EQ(formats[i].Description, expected[i].Description);
    EXPECT_EQ(formats[i].Kind, expected[i].Kind);
  }
}

TEST(PictureFileFormatsTest, MaskSkipsEntriesWithoutExtension) {
  const TFileFormatsList formats({{"a", "", PictureKind::Bitmap},
                                  {"", "none", PictureKind::Icon},
                                  {"b", "", PictureKind::Jpeg}});
  EXPECT_EQ(formats.Mask(), "*.b;*.a");
}

TEST(PictureFileFormatsTest, LookupIgnoresLetterCase) {
  ASSERT_NE(FileFormats().Find("JpEg"), nullptr);
  EXPECT_EQ(FileFormats().Find("JpEg")->Extension, "jpeg");
  EXPECT_EQ(FileFormats().Find("EMF")->Kind, PictureKind::Metafile);
  EXPECT_EQ(FileFormats().Find("gif"), nullptr);
  EXPECT_EQ(FileFormats().Find(""), nullptr);
}

TEST(PictureFileFormatsTest, ExtensionOfTheLastComponent) {
  const struct {
    const char* Name;
    const char* Extension;
  } cases[] = {
      {"photo.jpg", "jpg"},
      {"photo.JPG", "JPG"},
      {"archive.jpg.txt", "txt"},
      {"photo", ""},
      {"photo.", ""},
      {"pics.d/photo", ""},
      {"pics.d\\photo", ""},
      {"c:photo", ""},
      {"c:\\pics.d\\a.bmp", "bmp"},
      {"/home/me/pics.d/x.Ico", "Ico"},
      {".hidden", "hidden"},
  };
  for (const auto& c : cases) EXPECT_EQ(FileExtension(c.Name), c.Extension) << c.Name;
}

TEST(PictureFileFormatsTest, UnknownExtensionNamesItAsWritten) {
  try {
    PictureKindOfFile("pics.d/Photo.TIFF");
    FAIL() << "no error";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.ClassName(), "EInvalidGraphic");
    EXPECT_EQ(e.Message(), "Unknown picture file extension (.TIFF)");
  }
  EXPECT_EQ(PictureKindOfFile("x.Wmf"), PictureKind::Metafile);
  EXPECT_EQ(PictureKindOfFile("pics.d/Photo.TIFF", true), PictureKind::Tiff);
  EXPECT_EQ(PictureKindOfFile("IMG_0001.HEIC", true), PictureKind::Heif);
  EXPECT_EQ(PictureKindOfFile("x.Wmf", true), PictureKind::Metafile);
  EXPECT_THROW(PictureKindOfFile("IMG_0001.MOV", true), EInvalidGraphic);
}

}  // namespace
