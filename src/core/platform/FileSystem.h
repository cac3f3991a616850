// The seam to the file system: paths, names looked up ignoring letter case,
// whole-file reading and renaming without replacing (safe writing: SafeFile.h).
#pragma once

#include <string>
#include <string_view>

// dir + "/" + name; a name that is already absolute, or an empty dir, gives name.
std::string JoinPath(const std::string& dir, const std::string& name);

// The entry of dir that stands for name: name itself when it exists, else
// the first entry (by byte order) equal to it ignoring ASCII letter case,
// else name unchanged (for creating).
std::string FindNameIgnoringCase(const std::string& dir, const std::string& name);

// JoinPath(dir, FindNameIgnoringCase(...)) for the last component of name.
std::string ResolvePath(const std::string& dir, const std::string& name);

bool IsRegularFile(const std::string& path);
bool IsDirectory(const std::string& path);

// Reads a whole file into out; returns 0 or the errno value of the failure.
int ReadWholeFile(const std::string& path, std::string& out);

// Renames without ever replacing an existing entry; another entry whose
// name equals the new name ignoring ASCII case counts as existing (EEXIST).
// Returns 0 or an errno value.
int RenameNoReplace(const std::string& fromPath, const std::string& toPath);

// Directory part of a path ("" for a bare name) and its last component.
std::string DirectoryOf(const std::string& path);
std::string FileNameOf(const std::string& path);
