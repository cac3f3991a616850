#include "core/pictures/PictureSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"

void PictureSource::ReadExact(std::uint64_t offset, void* buffer, std::size_t n) {
  auto* out = static_cast<unsigned char*>(buffer);
  while (n > 0) {
    const std::ptrdiff_t got = ReadAt(offset, out, n);
    if (got <= 0) throw EReadError();
    offset += static_cast<std::uint64_t>(got);
    out += got;
    n -= static_cast<std::size_t>(got);
  }
}

std::string PictureSource::ReadString(std::uint64_t offset, std::size_t n) {
  if (!Holds(offset, n)) throw EReadError();
  std::string bytes(n, '\0');
  ReadExact(offset, bytes.data(), n);
  return bytes;
}

MemoryPictureSource::MemoryPictureSource(std::string_view bytes) : Bytes(bytes) {
  SizeBytes = bytes.size();
}

std::ptrdiff_t MemoryPictureSource::ReadAt(std::uint64_t offset, void* buffer,
                                           std::size_t n) noexcept {
  if (offset >= Bytes.size()) return 0;
  const std::size_t count = std::min<std::uint64_t>(n, Bytes.size() - offset);
  std::memcpy(buffer, Bytes.data() + offset, count);
  return static_cast<std::ptrdiff_t>(count);
}

const unsigned char* MemoryPictureSource::Contents() const noexcept {
  return reinterpret_cast<const unsigned char*>(Bytes.data());
}

namespace {

int OpenForReading(const std::string& path) {
  int fd;
  do {
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

FilePictureSource::FilePictureSource(const std::string& dir, const std::string& fileName) {
  // The name as written is tried first, so the common case costs no lookup.
  const std::string path = JoinPath(dir, fileName);
  Fd = OpenForReading(path);
  if (Fd < 0 && errno == ENOENT) {
    const std::string resolved = ResolvePath(dir, fileName);
    if (resolved != path) Fd = OpenForReading(resolved);
  }
  if (Fd < 0) throw EFOpenError(fileName);
  struct stat st;
  if (fstat(Fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(Fd);
    throw EFOpenError(fileName);
  }
  SizeBytes = static_cast<std::uint64_t>(st.st_size);
}

FilePictureSource::~FilePictureSource() {
  close(Fd);
}

std::ptrdiff_t FilePictureSource::ReadAt(std::uint64_t offset, void* buffer,
                                         std::size_t n) noexcept {
  for (;;) {
    const ssize_t got = pread(Fd, buffer, n, static_cast<off_t>(offset));
    if (got >= 0) {
      BytesReadTotal += static_cast<std::uint64_t>(got);
      return got;
    }
    if (errno != EINTR) return -1;
  }
}

std::string FilePictureSource::ReadAll() {
  std::string bytes(SizeBytes, '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::ptrdiff_t got = ReadAt(done, bytes.data() + done, bytes.size() - done);
    if (got < 0) throw EReadError();
    if (got == 0) break;  // the file has shrunk since it was opened
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  if (done == SizeBytes) {  // read on in case the file has grown
    char chunk[65536];
    for (;;) {
      const std::ptrdiff_t got = ReadAt(done, chunk, sizeof chunk);
      if (got < 0) throw EReadError();
      if (got == 0) break;
      bytes.append(chunk, static_cast<std::size_t>(got));
      done += static_cast<std::size_t>(got);
    }
  }
  SizeBytes = done;
  return bytes;
}
