#include "core/folder/DescriptionFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/SafeFile.h"
#include "core/platform/Text.h"

std::string DescriptionFilePath(const std::string& pictureDirectory) {
  return JoinPath(pictureDirectory, DescriptionFileName);
}

namespace {
// Reads up to size bytes; returns the count read, or -1 with errno set.
ssize_t ReadFully(int fd, char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = read(fd, buffer + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

// FNV-1a over the bytes with a-z as A-Z: names equal ignoring ASCII case
// hash alike.
std::uint64_t HashIgnoringAsciiCase(std::string_view name) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    hash = (hash ^ byte) * 1099511628211ull;
  }
  return hash;
}

class FileCloser {
 public:
  explicit FileCloser(int fd) : Fd(fd) {}
  ~FileCloser() { close(Fd); }

 private:
  int Fd;
};
}  // namespace

void LoadDescriptions(ImageTable& table, const std::string& descriptionFile) {
  // Opened for reading only, so a read-only file is loaded like any other.
  const int fd = open(ResolvePath(std::string(), descriptionFile).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  FileCloser closer(fd);

  // The entries by a hash of their upper-cased names, sorted, so a record
  // finds the entries of its name by one binary search over numbers,
  // without a copy of any name.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> byHash;
  byHash.reserve(table.Entries.size());
  for (std::uint32_t i = 0; i < table.Entries.size(); ++i)
    byHash.emplace_back(HashIgnoringAsciiCase(table.Entries[i].NameView()), i);
  std::sort(byHash.begin(), byHash.end());

  std::vector<char> buffer(PictureEntry::RecordSize * 256);
  for (;;) {
    const ssize_t n = ReadFully(fd, buffer.data(), buffer.size());
    if (n < 0) throw EInOutError(InOutCodeFromErrno(errno));
    const std::size_t whole = static_cast<std::size_t>(n) / PictureEntry::RecordSize;
    for (std::size_t r = 0; r < whole; ++r) {
      const char* record = buffer.data() + r * PictureEntry::RecordSize;
      const std::string_view name(record + PictureEntry::NameOffset + 1,
                                  static_cast<unsigned char>(record[PictureEntry::NameOffset]));
      const std::uint64_t hash = HashIgnoringAsciiCase(name);
      for (auto entry = std::lower_bound(byHash.begin(), byHash.end(), std::pair(hash, 0u));
           entry != byHash.end() && entry->first == hash; ++entry) {
        PictureEntry& match = table.Entries[entry->second];
        if (EqualIgnoringAsciiCase(match.NameView(), name))
          std::memcpy(match.Description, record + PictureEntry::DescriptionOffset,
                      sizeof match.Description);
      }
    }
    if (static_cast<std::size_t>(n) % PictureEntry::RecordSize != 0) throw EInOutError(100);
    if (static_cast<std::size_t>(n) < buffer.size()) return;
  }
}

void SaveDescriptions(ImageTable& table, const std::string& descriptionFile,
                      const std::string& memoText, int currentPicture) {
  if (currentPicture >= 1 && currentPicture <= table.PictureCount())
    table.Entries[currentPicture - 1].SetDescription(memoText);

  std::string bytes(table.Entries.size() * PictureEntry::RecordSize, '\0');
  for (std::size_t i = 0; i < table.Entries.size(); ++i) {
    PictureEntry record = table.Entries[i];
    record.Hidden = 0;
    std::memcpy(bytes.data() + i * PictureEntry::RecordSize, &record, PictureEntry::RecordSize);
  }
  const WriteFailure failure = WriteFileSafely(ResolvePath(std::string(), descriptionFile), bytes);
  if (failure) throw EInOutError(InOutCodeFromErrno(failure.Errno));
}

void RenameDescriptionRecords(const std::string& descriptionFile,
                              const std::vector<std::pair<std::string, std::string>>& renames) {
  const std::string path = ResolvePath(std::string(), descriptionFile);
  NamingPath(path, [&] {
    std::string bytes;
    if (const int err = ReadWholeFile(path, bytes)) {
      if (err == ENOENT) return;
      throw EInOutError(InOutCodeFromErrno(err));
    }
    bool changed = false;
    const std::size_t whole = bytes.size() / PictureEntry::RecordSize;
    for (std::size_t r = 0; r < whole; ++r) {
      char* at = bytes.data() + r * PictureEntry::RecordSize;
      PictureEntry record;
      std::memcpy(&record, at, PictureEntry::RecordSize);
      for (const auto& [oldName, newName] : renames) {
        if (!EqualIgnoringAsciiCase(record.NameText(), oldName) || record.NameText() == newName)
          continue;
        record.SetName(newName);
        std::memcpy(at, &record, PictureEntry::RecordSize);
        changed = true;
        break;
      }
    }
    if (!changed) return;
    if (const WriteFailure failure = WriteFileSafely(path, bytes))
      throw EInOutError(InOutCodeFromErrno(failure.Errno));
  });
}

void RenameOldDescriptionFile(const std::string& pictureDirectory) {
  const std::string oldName = FindNameIgnoringCase(pictureDirectory, OldDescriptionFileName);
  const std::string oldPath = JoinPath(pictureDirectory, oldName);
  if (!IsRegularFile(oldPath)) return;
  // RenameNoReplace refuses when "!.KVD" exists in any letter case.
  RenameNoReplace(oldPath, DescriptionFilePath(pictureDirectory));
}
