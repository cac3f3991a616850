#include "core/platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "core/platform/Text.h"

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty() || (!name.empty() && name[0] == '/')) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {
struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}
}  // namespace

std::string FindNameIgnoringCase(const std::string& dir, const std::string& name) {
  if (name.empty() || name == "." || name == "..") return name;
  if (Exists(JoinPath(dir, name))) return name;
  std::unique_ptr<DIR, DirCloser> d(opendir(dir.empty() ? "." : dir.c_str()));
  if (!d) return name;
  std::string best;
  bool found = false;
  while (dirent* e = readdir(d.get())) {
    std::string_view entry(e->d_name);
    if (EqualIgnoringAsciiCase(entry, name) && (!found || entry < best)) {
      best = std::string(entry);
      found = true;
    }
  }
  return found ? best : name;
}

std::string ResolvePath(const std::string& dir, const std::string& name) {
  const std::string full = JoinPath(dir, name);
  const auto slash = full.rfind('/');
  if (slash == std::string::npos) return FindNameIgnoringCase(std::string(), full);
  const std::string parent = slash == 0 ? "/" : full.substr(0, slash);
  return JoinPath(parent, FindNameIgnoringCase(parent, full.substr(slash + 1)));
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int ReadWholeFile(const std::string& path, std::string& out) {
  out.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    close(fd);
    return EISDIR;
  }
  if (st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      close(fd);
      return err;
    }
    if (n == 0) break;
    out.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  return 0;
}

int RenameNoReplace(const std::string& fromPath, const std::string& toPath) {
  struct stat fromStat;
  if (lstat(fromPath.c_str(), &fromStat) != 0) return errno;
  const std::string toDir = DirectoryOf(toPath);
  const std::string toName = FileNameOf(toPath);
  if (toName.empty()) return EINVAL;
  const std::string existing = FindNameIgnoringCase(toDir, toName);
  struct stat toStat;
  if (lstat(JoinPath(toDir, existing).c_str(), &toStat) == 0) {
    const bool sameFile = toStat.st_dev == fromStat.st_dev && toStat.st_ino == fromStat.st_ino;
    if (!sameFile || existing == toName) return EEXIST;
  }
  if (syscall(SYS_renameat2, AT_FDCWD, fromPath.c_str(), AT_FDCWD, toPath.c_str(),
              RENAME_NOREPLACE) == 0)
    return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // File systems without RENAME_NOREPLACE: link refuses an existing name.
  if (link(fromPath.c_str(), toPath.c_str()) != 0) return errno;
  if (unlink(fromPath.c_str()) != 0) {
    const int err = errno;
    unlink(toPath.c_str());
    return err;
  }
  return 0;
}
