// Shared helpers for tests: temporary folders and file contents.
#pragma once

#include <string>
#include <utility>
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
// What a program run through the shell printed and returned (-1 when it
// did not exit).
struct ProgramResult {
  int Status;
  std::string Out;
  std::string Err;
};
// Runs program with args, each quoted for the shell, in the C.UTF-8 locale
// and with SOURCE_DATE_EPOCH=epoch.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& epoch);

// Lines joined with CR LF after each, as the program writes text files.
std::string CrLf(const std::vector<std::string>& lines);

// The page with each link to a picture (a src= or HRef= value, as the page
// writes them) pointing at the copy named beside it; nothing else changed.
std::string WithLinksTo(std::string page,
                        const std::vector<std::pair<std::string, std::string>>& copies);
