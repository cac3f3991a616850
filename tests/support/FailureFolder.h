// Helpers of the failure-injection tests: what a folder holds (every entry,
// hidden temporaries included, with bytes and permission bits), copies of
// folders, and running a command in-process the way RunWithFileSizeLimit
// runs it in a child.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "support/FailureInjection.h"

struct FileState {
  std::string Bytes;
  unsigned Mode = 0;  // permission bits
  bool operator==(const FileState&) const = default;
};

// Every entry of folder by name; an entry that is not a regular file is
// recorded with the bytes "<not a file>". A missing folder gives nothing.
using FolderState = std::map<std::string, FileState>;
FolderState ReadFolderState(const std::string& folder);

// Names of the entries whose state differs between two folder states
// (present in one only, other bytes or other permission bits).
std::string DescribeDifferences(const FolderState& expected, const FolderState& actual);

// Copies the regular files of from into the folder to, created when missing.
void CopyFolder(const std::string& from, const std::string& to);

// Runs action and reports how it ended, as RunWithFileSizeLimit does.
ChildOutcome RunCatching(const std::function<void()>& action);

// Sets the permission bits of path; fails the test when that is refused.
void SetMode(const std::string& path, unsigned mode);
