// A publish that fails half-way loses nothing: after a first publish, every
// picture changes and the page too; the second publish meets a file-size
// limit at the large picture in the middle. The published folder still has
// the first page, its manifest lists only whole files (each the first or
// the second version of its picture, as its entry says), no temporary is
// left, and the same publish succeeds once the limit is gone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/platform/FileSystem.h"
#include "core/publish/Publish.h"
#include "core/publish/PublishManifest.h"
#include "support/FailureFolder.h"
#include "support/PictureFixtures.h"
#include "support/TestUtil.h"

TEST(PublishWriteFailureTest, FileSizeLimitHalfWayKeepsThePreviousPageAndWholeFiles) {
  TempDir dir, web;
  const std::vector<std::string> pictures{"a.jpg", "b.jpg", "c-large.jpg", "d.jpg", "e.jpg"};
  auto version = [](const std::string& name, int quality) {
    return name == "c-large.jpg" ? MakeJpeg(600, 450, quality) : MakeJpeg(64, 48, quality);
  };
  PublishRequest request;
  request.PictureDirectory = dir.Path();
  request.Pictures = pictures;
  request.PageName = "album.html";
  request.Target = web.Path();
  request.MaxSize = 0;  // JPEGs without metadata are copied as they are
  request.Workers = 1;  // in page order
  for (const auto& name : pictures) dir.Write(name, version(name, 70));
  dir.Write("album.html", "first page\r\n");
  ASSERT_EQ(PublishAlbum(request).Made, 5);

  for (const auto& name : pictures) dir.Write(name, version(name, 95));
  dir.Write("album.html", "second page\r\n");
  ASSERT_LT(version("e.jpg", 95).size(), 20000u);
  ASSERT_GT(version("c-large.jpg", 95).size(), 20000u);
  const ChildOutcome outcome = RunWithFileSizeLimit(20000, [&] { PublishAlbum(request); });
  ASSERT_TRUE(outcome.Threw);
  EXPECT_EQ(outcome.ClassName, "EInOutError");
  EXPECT_EQ(outcome.Message, "Disk full");

  const FolderState state = ReadFolderState(web.Path());
  EXPECT_EQ(state.at("album.html").Bytes, "first page\r\n");
  const PublishManifest manifest = ParsePublishManifest(state.at(PublishManifestName).Bytes);
  ASSERT_EQ(manifest.Copies.size(), 5u);
  int second = 0;
  for (const auto& [name, entry] : manifest.Copies) {
    SCOPED_TRACE(name);
    const std::string expected =
        entry.SourceSize == version(name, 95).size() ? version(name, 95) : version(name, 70);
    second += expected == version(name, 95);
    EXPECT_EQ(state.at(name).Bytes, expected);
    EXPECT_EQ(entry.CopySize, expected.size());
  }
  EXPECT_EQ(second, 2);  // a and b, made before the large one failed
  EXPECT_EQ(state.size(), 7u) << "a temporary is left";

  const PublishResult retry = PublishAlbum(request);
  EXPECT_EQ(retry.Made, 3);
  EXPECT_EQ(retry.UpToDate, 2);
  EXPECT_EQ(ReadFileBytes(web.File("album.html")), "second page\r\n");
  EXPECT_EQ(ReadFileBytes(web.File("c-large.jpg")), version("c-large.jpg", 95));
}
