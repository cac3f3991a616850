#include "core/shell/StartLocation.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>

#include "core/platform/FileSystem.h"
#include "support/TestUtil.h"

namespace {
std::string Canonical(const std::string& path) {
  char buffer[PATH_MAX];
  return realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}
}  // namespace

// "~" in a row stands for a home folder that has "cwd" and, where the row
// says so, "Pictures".
TEST(StartLocationTest, TerminalAndMenuStarts) {
  struct Row {
    bool Menu;
    const char* ConfigHome;
    bool Pictures;
    const char* ProgramDirectory;
    const char* FirstPictureDirectory;
  } rows[] = {
      {false, "", true, "~/cwd", ""},
      {true, "", true, "~/.config/ambrelin", "~/Pictures"},
      {true, "", false, "~/.config/ambrelin", "~"},
      {true, "~/xdg/deeper", true, "~/xdg/deeper/ambrelin", "~/Pictures"},
      {true, "relative", true, "~/.config/ambrelin", "~/Pictures"},
      {true, "~/cwd/file", true, "~/cwd", ""},  // cannot be created: a terminal start
  };
  for (const Row& row : rows) {
    TempDir dir;
    const std::string home = Canonical(dir.Path());
    auto expand = [&](std::string text) { return text[0] == '~' ? home + text.substr(1) : text; };
    ASSERT_EQ(mkdir(dir.File("cwd").c_str(), 0755), 0);
    dir.Write("cwd/file", "");
    if (row.Pictures) {
      ASSERT_EQ(mkdir(dir.File("Pictures").c_str(), 0755), 0);
    }
    StartEnvironment env{row.Menu, home + "/cwd", expand(row.ConfigHome), home, home + "/Pictures"};
    const StartLocation location = ChooseStartLocation(env);
    SCOPED_TRACE(row.ProgramDirectory + std::string(" from ") + row.ConfigHome);
    EXPECT_EQ(location.ProgramDirectory, expand(row.ProgramDirectory));
    EXPECT_EQ(location.FirstPictureDirectory,
              *row.FirstPictureDirectory ? expand(row.FirstPictureDirectory) : "");
    EXPECT_TRUE(IsDirectory(location.ProgramDirectory));
    EXPECT_EQ(IsDirectory(home + "/.config"),
              std::string(row.ProgramDirectory).find(".config") != std::string::npos);
  }
}
