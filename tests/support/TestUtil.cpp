#include "support/TestUtil.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ambrelin-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  DirPath = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Give back write permission that a test took away, so removal works.
  for (auto it = std::filesystem::recursive_directory_iterator(DirPath, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    chmod(it->path().c_str(), 0755);
  chmod(DirPath.c_str(), 0755);
  std::filesystem::remove_all(DirPath, ec);
}

void TempDir::Write(const std::string& name, const std::string& bytes) const {
  WriteFileBytes(File(name), bytes);
}
std::string TempDir::Read(const std::string& name) const {
  return ReadFileBytes(File(name));
}
bool TempDir::Exists(const std::string& name) const {
  return std::filesystem::exists(std::filesystem::path(File(name)));
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << bytes;
}

std::string CrLf(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

std::string WithLinksTo(std::string page,
                        const std::vector<std::pair<std::string, std::string>>& copies) {
  for (const auto& [picture, copy] : copies)
    for (const char* key : {"src=", "HRef="})
      for (const char* end : {" ", ">"}) {
        const std::string from = key + picture + end, to = key + copy + end;
        for (std::size_t at = 0; (at = page.find(from, at)) != std::string::npos; at += to.size())
          page.replace(at, from.size(), to);
      }
  return page;
}

namespace {
std::string ShellQuoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}
}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& epoch) {
  TempDir out;
  std::string command = "SOURCE_DATE_EPOCH=" + epoch + " LC_ALL=C.UTF-8 " + ShellQuoted(program);
  for (const auto& a : args) command += " " + ShellQuoted(a);
  command += " >" + ShellQuoted(out.File("out")) + " 2>" + ShellQuoted(out.File("err"));
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out.Read("out"), out.Read("err")};
}
