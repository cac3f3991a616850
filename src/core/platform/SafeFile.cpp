#include "core/platform/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "core/platform/FileSystem.h"

namespace {
bool NoWriteBits(const struct stat& st) {
  return (st.st_mode & 0222) == 0;
}

bool MayWrite(const std::string& path, const struct stat& st) {
  return access(path.c_str(), W_OK) == 0 && !NoWriteBits(st);
}
}  // namespace

bool IsWriteProtected(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0) return !MayWrite(path, st);
  std::string dir = DirectoryOf(path);
  if (dir.empty()) dir = ".";
  if (stat(dir.c_str(), &st) != 0) return false;  // the create itself reports it
  return !MayWrite(dir, st);
}

mode_t DefaultFileMode() {
  // Read once: umask can only be read by setting it, which must not race
  // with the publishing workers creating files.
  static const mode_t mode = [] {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
  }();
  return mode;
}

SafeFileWriter::SafeFileWriter(std::string path, SafeWriteOptions options)
    : Target(std::move(path)), Options(std::move(options)) {}

SafeFileWriter::~SafeFileWriter() {
  if (File >= 0) close(File);
  if (!Temporary.empty()) unlink(Temporary.c_str());
}

WriteFailure SafeFileWriter::Fail(WriteFailure::Step stage, int err) {
  if (File >= 0) close(File);
  File = -1;
  if (!Temporary.empty()) unlink(Temporary.c_str());
  Temporary.clear();
  return {stage, err};
}

WriteFailure SafeFileWriter::Open() {
  struct stat targetStat;
  const bool targetExists = stat(Target.c_str(), &targetStat) == 0;
  if (targetExists && S_ISDIR(targetStat.st_mode)) return {WriteFailure::Create, EISDIR};
  const bool checked = Options.KeepTargetPermissions;
  if (checked && targetExists && !MayWrite(Target, targetStat))
    return {WriteFailure::Create, EACCES};

  std::string dir = DirectoryOf(Target);
  if (dir.empty()) dir = ".";
  struct stat dirStat;
  if (stat(dir.c_str(), &dirStat) != 0) return {WriteFailure::Create, errno};
  const bool dirWritable = !checked || MayWrite(dir, dirStat);

  const std::string prefix =
      Options.TemporaryPrefix.empty() ? "." + FileNameOf(Target) + "." : Options.TemporaryPrefix;
  std::string temp = JoinPath(dir, prefix + "XXXXXX");
  File = dirWritable ? mkostemp(temp.data(), O_CLOEXEC) : -1;
  if (File < 0) {
    const int err = dirWritable ? errno : EACCES;
    if (!checked || !targetExists) return {WriteFailure::Create, err};
    // No temporary possible but the target is writable: write in place.
    File = open(Target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (File < 0) return {WriteFailure::Create, errno};
    return {};
  }
  Temporary = std::move(temp);
  const mode_t newMode = Options.NewFileMode != 0 ? Options.NewFileMode : DefaultFileMode();
  fchmod(File,
         targetExists && S_ISREG(targetStat.st_mode) ? (targetStat.st_mode & 07777) : newMode);
  return {};
}

WriteFailure SafeFileWriter::Write(std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = write(File, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(WriteFailure::Write, errno);
    if (n == 0) return Fail(WriteFailure::Write, ENOSPC);
    data.remove_prefix(static_cast<std::size_t>(n));
    Bytes += static_cast<std::uint64_t>(n);
  }
  return {};
}

WriteFailure SafeFileWriter::Commit() {
  const bool inPlace = Temporary.empty();
  int err = !inPlace && fdatasync(File) != 0 ? errno : 0;
  if (close(File) != 0 && err == 0) err = errno;
  File = -1;
  if (err != 0) return Fail(WriteFailure::Write, err);
  if (inPlace) return {};
  if (rename(Temporary.c_str(), Target.c_str()) != 0) return Fail(WriteFailure::Create, errno);
  Temporary.clear();
  return {};
}

WriteFailure WriteFileSafely(const std::string& path, std::string_view data,
                             const SafeWriteOptions& options) {
  SafeFileWriter file(path, options);
  if (const WriteFailure failure = file.Open()) return failure;
  if (const WriteFailure failure = file.Write(data)) return failure;
  return file.Commit();
}
