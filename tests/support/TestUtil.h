// Shared helpers for tests: temporary folders and file contents.
#pragma once

#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return DirPath; }
  std::string File(const std::string& name) const { return DirPath + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;

 private:
  std::string DirPath;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Lines joined with CR LF after each, as the program writes text files.
std::string CrLf(const std::vector<std::string>& lines);
