// Writing a file safely: the data goes to a temporary file in the target's
// folder, is flushed to the disk and then renamed over the target, so the
// target is always either the old file or the whole new one. A failure
// removes the temporary and leaves the old file as it was.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

// How a safe write ended: None on success, else the step that failed and
// the errno value (a short write counts as ENOSPC).
struct WriteFailure {
  enum Step { None, Create, Write } Stage = None;
  int Errno = 0;
  explicit operator bool() const { return Stage != None; }
};

struct SafeWriteOptions {
  // The temporary's name is this prefix and six random characters; empty:
  // "." + the target's name + ".".
  std::string TemporaryPrefix;
  // A target or folder the user may not write (no write bit at all counts,
  // also for root) is refused at Create before anything is written; where
  // no temporary can be made but the target itself is writable, the target
  // is written in place. Off, the target is always replaced by the rename
  // (a file of the program's own) and never written in place.
  bool KeepTargetPermissions = true;
  // The permission bits of a new file; 0: 0666 less the process's umask.
  // A replaced file keeps its own bits.
  mode_t NewFileMode = 0;
};

// True when the file at path, or the folder where it would be created, may
// not be written (no write bit at all counts, also for root).
bool IsWriteProtected(const std::string& path);

// The permission bits of a new file: 0666 less the process's umask.
mode_t DefaultFileMode();

// A file written in parts (a copy streamed in chunks, say) under a
// temporary name and renamed into place by Commit. One that is dropped
// before its Commit leaves the target as it was and no temporary.
class SafeFileWriter {
 public:
  explicit SafeFileWriter(std::string path, SafeWriteOptions options = {});
  ~SafeFileWriter();
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  // Makes the temporary (or, where the options allow it, opens the target
  // for writing in place).
  WriteFailure Open();
  WriteFailure Write(std::string_view data);
  // Flushes, closes and renames into place.
  WriteFailure Commit();

  const std::string& Path() const { return Target; }
  std::uint64_t Written() const { return Bytes; }

 private:
  WriteFailure Fail(WriteFailure::Step stage, int err);

  std::string Target;
  SafeWriteOptions Options;
  std::string Temporary;  // empty when writing in place
  int File = -1;
  mode_t Mode = 0;
  std::uint64_t Bytes = 0;
};

// Replaces the file at path by data, or leaves it as it was (see
// SafeFileWriter).
WriteFailure WriteFileSafely(const std::string& path, std::string_view data,
                             const SafeWriteOptions& options = {});
