#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/folder/DescriptionFile.h"
#include "core/folder/ImageTable.h"
#include "core/platform/Errors.h"
#include "support/FailureInjection.h"
#include "support/TestUtil.h"

namespace {
std::string Record(const std::string& name, const std::string& description) {
  PictureEntry entry;
  entry.SetName(name);
  entry.SetDescription(description);
  return std::string(reinterpret_cast<const char*>(&entry), sizeof entry);
}

ImageTable Table(const std::vector<std::string>& names) {
  ImageTable table;
  BuildImageTable(table, names);
  return table;
}

std::vector<std::string> Descriptions(const ImageTable& table) {
  std::vector<std::string> result;
  for (const auto& e : table.Entries) result.push_back(e.DescriptionText());
  return result;
}
}  // namespace

TEST(ImageTableTest, RecordLayoutOfADescribedPicture) {
  const std::string bytes = Record("a.jpg", "Hi");
  ASSERT_EQ(bytes.size(), 513u);
  EXPECT_EQ(bytes.substr(0, 6), std::string("\x05"
                                            "a.jpg"));
  EXPECT_EQ(bytes.substr(256, 3), std::string("\x02"
                                              "Hi"));
  EXPECT_EQ(bytes[512], '\0');
}

TEST(ImageTableTest, BuildGivesEmptyDescriptionsAndCutsNamesSafely) {
  ImageTable table = Table({"a.jpg", std::string(254, 'x') + "ä.jpg"});
  ASSERT_EQ(table.PictureCount(), 2);
  EXPECT_EQ(table.Entries[0].NameText(), "a.jpg");
  EXPECT_EQ(table.Entries[1].NameText(), std::string(254, 'x'));  // ä is not split
  EXPECT_EQ(table.Entries[0].DescriptionText(), "");
  EXPECT_EQ(table.Entries[0].Hidden, 0);
}

TEST(DescriptionFileTest, LoadMergesByNameIgnoringAsciiCase) {
  struct Case {
    const char* what;
    std::string file;
    std::vector<std::string> expected;
  } cases[] = {
      {"no records", "", {"keep", "", ""}},
      {"ascii case folded", Record("IMG_01.JPG", "one"), {"keep", "one", ""}},
      {"only ascii folded", Record("BÄUME.JPG", "tree"), {"keep", "", ""}},
      {"exact non-ascii", Record("Bäume.jpg", "tree"), {"keep", "", "tree"}},
      {"last wins",
       Record("img_01.jpg", "first") + Record("IMG_01.jpg", "second"),
       {"keep", "second", ""}},
      {"empty clears", Record("a.jpg", ""), {"", "", ""}},
      {"unknown skipped", Record("gone.jpg", "x"), {"keep", "", ""}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.Write("!.KVD", c.file);
    ImageTable table = Table({"a.jpg", "img_01.jpg", "Bäume.jpg"});
    table.Entries[0].SetDescription("keep");
    LoadDescriptions(table, DescriptionFilePath(dir.Path()));
    EXPECT_EQ(Descriptions(table), c.expected) << c.what;
  }
}

TEST(DescriptionFileTest, MissingFileChangesNothing) {
  TempDir dir;
  ImageTable table = Table({"a.jpg"});
  table.Entries[0].SetDescription("kept");
  LoadDescriptions(table, DescriptionFilePath(dir.Path()));
  EXPECT_EQ(Descriptions(table), std::vector<std::string>{"kept"});
}

TEST(DescriptionFileTest, ReadOnlyFileIsLoaded) {
  TempDir dir;
  dir.Write("!.KVD", Record("a.jpg", "from a read-only file"));
  chmod(dir.File("!.KVD").c_str(), 0444);
  ImageTable table = Table({"a.jpg"});
  LoadDescriptions(table, DescriptionFilePath(dir.Path()));
  EXPECT_EQ(Descriptions(table), std::vector<std::string>{"from a read-only file"});
}

TEST(DescriptionFileTest, FoundIgnoringLetterCase) {
  TempDir dir;
  dir.Write("!.kvd", Record("a.jpg", "lower-case file name"));
  ImageTable table = Table({"a.jpg"});
  LoadDescriptions(table, DescriptionFilePath(dir.Path()));
  EXPECT_EQ(Descriptions(table), std::vector<std::string>{"lower-case file name"});
}

TEST(DescriptionFileTest, TruncatedFileAppliesWholeRecordsThenFails) {
  TempDir dir;
  dir.Write("!.KVD", Record("a.jpg", "A") + Record("b.jpg", "B") + std::string(74, 'z'));
  ASSERT_EQ(dir.Read("!.KVD").size(), 1100u);
  ImageTable table = Table({"a.jpg", "b.jpg"});
  try {
    LoadDescriptions(table, DescriptionFilePath(dir.Path()));
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message(), "Read beyond end of file");
  }
  EXPECT_EQ(Descriptions(table), (std::vector<std::string>{"A", "B"}));
}

TEST(DescriptionFileTest, SaveWritesOneRecordPerEntryInTableOrder) {
  TempDir dir;
  dir.Write("!.KVD", Record("c.jpg", "C") + Record("removed.jpg", "old") + Record("a.jpg", "A"));
  ImageTable table = Table({"a.jpg", "b.jpg", "c.jpg"});
  LoadDescriptions(table, DescriptionFilePath(dir.Path()));
  SaveDescriptions(table, DescriptionFilePath(dir.Path()), "Sunset\r\nBeach", 2);
  const std::string bytes = dir.Read("!.KVD");
  ASSERT_EQ(bytes.size(), 1539u);
  EXPECT_EQ(bytes.substr(0, 513), Record("a.jpg", "A"));
  EXPECT_EQ(bytes.substr(513, 513), Record("b.jpg", "Sunset\r\nBeach"));
  EXPECT_EQ(bytes.substr(1026, 513), Record("c.jpg", "C"));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(bytes[512 + 513 * i], '\0');
  EXPECT_EQ(table.Entries[1].DescriptionText().size(), 13u);
}

TEST(DescriptionFileTest, SaveToReadOnlyFileFailsAndChangesNothing) {
  TempDir dir;
  const std::string before = Record("a.jpg", "old");
  dir.Write("!.KVD", before);
  chmod(dir.File("!.KVD").c_str(), 0444);
  ImageTable table = Table({"a.jpg"});
  try {
    SaveDescriptions(table, DescriptionFilePath(dir.Path()), "new", 1);
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message(), "File access denied");
  }
  EXPECT_EQ(dir.Read("!.KVD"), before);
  EXPECT_EQ(table.Entries[0].DescriptionText(), "new");  // the memo's text is kept in the table
}

TEST(DescriptionFileTest, SaveCutShortLeavesThePreviousFile) {
  TempDir dir;
  const std::string before = Record("a.jpg", "old") + Record("b.jpg", "older");
  dir.Write("!.KVD", before);
  std::vector<std::string> names;
  for (int i = 0; i < 40; ++i) names.push_back("p" + std::to_string(i) + ".jpg");
  const ChildOutcome outcome = RunWithFileSizeLimit(4096, [&] {
    ImageTable table = Table(names);
    SaveDescriptions(table, DescriptionFilePath(dir.Path()), "x", 1);
  });
  ASSERT_FALSE(outcome.Crashed);
  EXPECT_TRUE(outcome.Threw);
  EXPECT_EQ(outcome.ClassName, "EInOutError");
  EXPECT_EQ(outcome.Message, "Disk full");
  EXPECT_EQ(dir.Read("!.KVD"), before);
}

TEST(DescriptionFileTest, OldNameTakenOverOnlyWhenNewNameIsAbsent) {
  {
    TempDir dir;
    dir.Write("@.KVD", Record("a.jpg", "old name"));
    RenameOldDescriptionFile(dir.Path());
    EXPECT_FALSE(dir.Exists("@.KVD"));
    EXPECT_EQ(dir.Read("!.KVD"), Record("a.jpg", "old name"));
  }
  {
    TempDir dir;
    dir.Write("@.KVD", "old");
    dir.Write("!.kvd", "new");
    RenameOldDescriptionFile(dir.Path());
    EXPECT_EQ(dir.Read("@.KVD"), "old");
    EXPECT_EQ(dir.Read("!.kvd"), "new");
    EXPECT_FALSE(dir.Exists("!.KVD"));
  }
}
