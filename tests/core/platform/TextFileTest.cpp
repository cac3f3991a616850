#include <gtest/gtest.h>

#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Text.h"
#include "core/platform/TextFile.h"
#include "support/TestUtil.h"

TEST(TextFileTest, SplitsAtEveryKindOfLineEnd) {
  struct Case {
    std::string text;
    TextLines lines;
  } cases[] = {
      {"", {}},
      {"\r\n", {""}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\n\rb", {"a", "", "b"}},  // LF CR is two line ends
      {"last", {"last"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"l1\r\nl2\r\nl3\r\nl4\r\nab\0cd\r\nl6\r\n", {"l1", "l2", "l3", "l4", "ab"}},
      {"  blanks kept  \r\n", {"  blanks kept  "}},
  };
  for (auto& c : cases) {
    // The NUL case needs the full length of the literal.
    EXPECT_EQ(SplitTextLines(c.text), c.lines) << c.text;
  }
  const char withNul[] = "l1\nl2\nl3\nl4\nab\0cd\nl6\n";
  EXPECT_EQ(SplitTextLines(std::string_view(withNul, sizeof withNul - 1)),
            (TextLines{"l1", "l2", "l3", "l4", "ab"}));
}

TEST(TextFileTest, WritesCrLfAfterEveryLine) {
  TempDir dir;
  WriteTextFile(dir.Path(), "x.txt", {});
  EXPECT_EQ(dir.Read("x.txt"), "");
  WriteTextFile(dir.Path(), "x.txt", {""});
  EXPECT_EQ(dir.Read("x.txt"), "\r\n");
  WriteTextFile(dir.Path(), "x.txt", {"a", "", "b"});
  EXPECT_EQ(dir.Read("x.txt"), "a\r\n\r\nb\r\n");
  EXPECT_EQ(ReadTextFile(dir.Path(), "X.TXT"), (TextLines{"a", "", "b"}));
  // Joined lines: a line with a line break of its own stays one line.
  const JoinedLines joined(TextLines{"a", "b\r\nc", ""});
  EXPECT_EQ(joined.size(), 3u);
  EXPECT_EQ(joined[1], "b\r\nc");
  WriteTextBytes(dir.Path(), "x.txt", joined.Bytes());
  EXPECT_EQ(dir.Read("x.txt"), "a\r\nb\r\nc\r\n\r\n");
}

TEST(TextFileTest, ReplacesTheFileThatDiffersOnlyInCase) {
  TempDir dir;
  dir.Write("Email.Inc", "old\r\n");
  WriteTextFile(dir.Path(), "EMAIL.INC", {"new"});
  EXPECT_EQ(dir.Read("Email.Inc"), "new\r\n");
  EXPECT_FALSE(dir.Exists("EMAIL.INC"));
}

TEST(TextFileTest, MissingFileRaisesOpenErrorWithNameAsPassed) {
  TempDir dir;
  try {
    ReadTextFile(dir.Path(), "Album.SRC");
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file Album.SRC");
  }
}

TEST(TextFileTest, ReadOnlyTargetOrFolderIsRefusedAndKept) {
  TempDir dir;
  dir.Write("TN.INC", "keep\r\n");
  chmod(dir.File("TN.INC").c_str(), 0444);
  try {
    WriteTextFile(dir.Path(), "TN.INC", {"x"});
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file TN.INC");
  }
  EXPECT_EQ(dir.Read("TN.INC"), "keep\r\n");
  chmod(dir.Path().c_str(), 0555);
  EXPECT_THROW(WriteTextFile(dir.Path(), "new.txt", {"x"}), EFCreateError);
  EXPECT_FALSE(dir.Exists("new.txt"));
}

TEST(TextHelpersTest, CaseTrimAndCut) {
  EXPECT_EQ(UpperAscii("img_01.jpg Bäume"), "IMG_01.JPG BäUME");
  EXPECT_EQ(LowerAscii("A.JPG ÄÖ"), "a.jpg ÄÖ");
  EXPECT_EQ(TrimControl("\t  Summer \x01"), "Summer");
  EXPECT_EQ(TrimControl("   "), "");
  std::string s(254, 'a');
  EXPECT_EQ(CutUtf8(s + "ä", 255), s);  // the two-byte character is not split
  EXPECT_EQ(CutUtf8(s + "ab", 255), s + "a");
  EXPECT_EQ(CutUtf8("short", 255), "short");
  EXPECT_EQ(CutUtf8(s + "\x93\x94", 255), s + "\x93");  // Windows-1252: one byte each
}

TEST(ErrorsTest, MessagesAndPeriodRule) {
  EXPECT_EQ(EInOutError(2).Message(), "File not found");
  EXPECT_EQ(EInOutError(100).Message(), "Read beyond end of file");
  EXPECT_EQ(EInOutError(101).Message(), "Disk full");
  EXPECT_EQ(EInOutError(21).Message(), "I/O error 21");
  EXPECT_EQ(EJPEG(53).Message(), "JPEG error #53");
  EXPECT_EQ(ErrorBoxText("Unknown picture file extension (.gif)"),
            "Unknown picture file extension (.gif)");
  EXPECT_EQ(ErrorBoxText("Stream read error"), "Stream read error.");
  EXPECT_EQ(ErrorBoxText("Done."), "Done.");
  EXPECT_EQ(ErrorBoxText("Ambrelin created!"), "Ambrelin created!");
  EXPECT_EQ(ErrorBoxText("ends in blank "), "ends in blank ");
  EXPECT_EQ(ErrorBoxText(""), "");

  // The path an error names: second line of the box, prefix of the batch line;
  // the innermost path wins.
  try {
    NamingPath("/pics", [] { NamingPath("/pics/IMG_2.JPG", [] { throw EJPEG(53); }); });
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(ErrorBoxText(e), "JPEG error #53.\n/pics/IMG_2.JPG");
    EXPECT_EQ(ErrorLine(e), "/pics/IMG_2.JPG: JPEG error #53.");
  }
  EXPECT_EQ(ErrorLine(EReadError()), "Stream read error.");
}
