// Where the picture readers take a file's bytes from: either the whole file
// already in memory (a load, which keeps the bytes for drawing) or the open
// file itself, read on demand at the offsets a reader asks for (a
// measurement, which must not read more than the headers). Both give the
// readers the same bytes, so a load and a measurement check the same things
// and fail with the same errors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class PictureSource {
 public:
  virtual ~PictureSource() = default;

  // The file's length in bytes.
  std::uint64_t Size() const { return SizeBytes; }

  // Copies up to n bytes from offset into buffer and returns the count
  // copied, fewer than n only at the end of the file, or -1 when the file
  // cannot be read. Never throws: the JPEG decoder's callbacks use it.
  virtual std::ptrdiff_t ReadAt(std::uint64_t offset, void* buffer, std::size_t n) noexcept = 0;

  // The whole contents when they are held in memory, else nullptr.
  virtual const unsigned char* Contents() const noexcept { return nullptr; }

  // Reads exactly n bytes at offset; a file that ends earlier or cannot be
  // read raises EReadError "Stream read error".
  void ReadExact(std::uint64_t offset, void* buffer, std::size_t n);

  // Reads n bytes at offset into a string, as ReadExact. The caller has
  // checked that the file holds them, so n never comes from a header alone.
  std::string ReadString(std::uint64_t offset, std::size_t n);

  // True when the file holds n bytes from offset on (no overflow for any n).
  bool Holds(std::uint64_t offset, std::uint64_t n) const {
    return offset <= SizeBytes && n <= SizeBytes - offset;
  }

 protected:
  std::uint64_t SizeBytes = 0;
};

// A file's bytes held in memory; the source only views them.
class MemoryPictureSource final : public PictureSource {
 public:
  explicit MemoryPictureSource(std::string_view bytes);
  std::ptrdiff_t ReadAt(std::uint64_t offset, void* buffer, std::size_t n) noexcept override;
  const unsigned char* Contents() const noexcept override;

 private:
  std::string_view Bytes;
};

// A file opened for reading and read on demand with positioned reads, so
// skipping a part of the file costs nothing. The file is closed when the
// source goes away, whether or not the reading succeeded.
class FilePictureSource final : public PictureSource {
 public:
  // Opens fileName (absolute, or relative to dir) for reading. A name that
  // does not exist as written is looked up in its folder ignoring ASCII
  // letter case. A file that cannot be opened, or that is not a regular
  // file, raises EFOpenError "Cannot open file %s" naming fileName as the
  // caller passed it.
  FilePictureSource(const std::string& dir, const std::string& fileName);
  ~FilePictureSource() override;
  FilePictureSource(const FilePictureSource&) = delete;
  FilePictureSource& operator=(const FilePictureSource&) = delete;

  std::ptrdiff_t ReadAt(std::uint64_t offset, void* buffer, std::size_t n) noexcept override;

  // The whole file from its start to its end (however long it turns out to
  // be); a read failure raises EReadError.
  std::string ReadAll();

  // Bytes the file system has handed over so far.
  std::uint64_t BytesRead() const { return BytesReadTotal; }

 private:
  int Fd = -1;
  std::uint64_t BytesReadTotal = 0;
};
