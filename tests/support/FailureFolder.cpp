#include "support/FailureFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/platform/Errors.h"
#include "support/TestUtil.h"

FolderState ReadFolderState(const std::string& folder) {
  FolderState state;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    struct stat st;
    if (lstat(entry.path().c_str(), &st) != 0) continue;
    FileState file;
    file.Mode = st.st_mode & 07777;
    file.Bytes = S_ISREG(st.st_mode) ? ReadFileBytes(entry.path().string()) : "<not a file>";
    state[name] = std::move(file);
  }
  return state;
}

std::string DescribeDifferences(const FolderState& expected, const FolderState& actual) {
  std::string differences;
  for (const auto& [name, file] : expected) {
    const auto it = actual.find(name);
    if (it == actual.end())
      differences += " " + name + " (missing)";
    else if (it->second.Bytes != file.Bytes)
      differences += " " + name + " (other bytes)";
    else if (it->second.Mode != file.Mode)
      differences += " " + name + " (other permissions)";
  }
  for (const auto& [name, file] : actual)
    if (!expected.count(name)) differences += " " + name + " (added)";
  return differences;
}

void CopyFolder(const std::string& from, const std::string& to) {
  std::filesystem::create_directories(to);
  for (const auto& entry : std::filesystem::directory_iterator(from))
    if (entry.is_regular_file())
      std::filesystem::copy_file(entry.path(), std::filesystem::path(to) / entry.path().filename(),
                                 std::filesystem::copy_options::overwrite_existing);
}

ChildOutcome RunCatching(const std::function<void()>& action) {
  ChildOutcome outcome;
  try {
    action();
  } catch (const Exception& e) {
    outcome.Threw = true;
    outcome.ClassName = e.ClassName();
    outcome.Message = e.Message();
  }
  return outcome;
}

void SetMode(const std::string& path, unsigned mode) {
  ASSERT_EQ(chmod(path.c_str(), mode), 0) << path;
}
