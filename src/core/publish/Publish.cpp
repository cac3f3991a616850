#include "core/publish/Publish.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "core/pictures/FileFormats.h"
#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Text.h"
#include "core/publish/PublishManifest.h"

namespace {

constexpr char TempPrefix[] = ".ambrelin-tmp-";
constexpr unsigned MostWorkers = 8;
constexpr std::size_t CopyChunk = 1 << 20;

[[noreturn]] void ThrowErrno(int err, const std::string& path) {
  EInOutError error(InOutCodeFromErrno(err));
  error.SetPath(path);
  throw error;
}

std::int64_t ModifiedNanoseconds(const struct stat& st) {
  return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

class Fd {
 public:
  explicit Fd(int fd = -1) : Value(fd) {}
  ~Fd() {
    if (Value >= 0) close(Value);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return Value; }
  int Release() {
    const int fd = Value;
    Value = -1;
    return fd;
  }
  void Reset(int fd) {
    if (Value >= 0) close(Value);
    Value = fd;
  }

 private:
  int Value;
};

// A file written under a temporary name in the published folder and
// renamed over its final name once it is whole and flushed; removed when
// it is given up (an error, a cancel).
class PublishedFile {
 public:
  PublishedFile(const std::string& folder, const std::string& name, mode_t mode)
      : FinalPath(JoinPath(folder, name)),
        TempPath(JoinPath(folder, std::string(TempPrefix) + "XXXXXX")) {
    struct stat existing;
    if (stat(FinalPath.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
      mode = existing.st_mode & 07777;  // a replaced copy keeps its permission bits
    File.Reset(mkostemp(TempPath.data(), O_CLOEXEC));
    if (File.Get() < 0) ThrowErrno(errno, FinalPath);
    fchmod(File.Get(), mode);
  }
  ~PublishedFile() {
    if (!Committed) unlink(TempPath.c_str());
  }
  PublishedFile(const PublishedFile&) = delete;
  PublishedFile& operator=(const PublishedFile&) = delete;

  void Write(const char* data, std::size_t size) {
    while (size > 0) {
      const ssize_t n = write(File.Get(), data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) ThrowErrno(errno, FinalPath);
      if (n == 0) ThrowErrno(ENOSPC, FinalPath);
      data += n;
      size -= static_cast<std::size_t>(n);
      Written += static_cast<std::uint64_t>(n);
    }
  }

  // Flushes, closes and renames into place; returns the file's size.
  std::uint64_t Commit() {
    if (fdatasync(File.Get()) != 0) ThrowErrno(errno, FinalPath);
    if (close(File.Release()) != 0) ThrowErrno(errno, FinalPath);
    if (rename(TempPath.c_str(), FinalPath.c_str()) != 0) ThrowErrno(errno, FinalPath);
    Committed = true;
    return Written;
  }

  const std::string& Path() const { return FinalPath; }

 private:
  std::string FinalPath;
  std::string TempPath;
  Fd File;
  std::uint64_t Written = 0;
  bool Committed = false;
};

std::uint64_t WriteWhole(const std::string& folder, const std::string& name,
                         const std::string& bytes, mode_t mode) {
  PublishedFile file(folder, name, mode);
  file.Write(bytes.data(), bytes.size());
  return file.Commit();
}

mode_t DefaultFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// One copy to make.
struct CopyJob {
  std::string Name;        // in the published folder
  std::string SourceName;  // as the page names the picture
  std::string SourcePath;
  PictureKind Kind;
};

// What a worker keeps from one picture to the next.
struct WorkerMemory {
  std::string Source;  // the JPEG file
  JpegCopyBuffers Pixels;
};

// Makes one copy; returns its manifest entry.
ManifestEntry MakeCopy(const CopyJob& job, const std::string& target, int maxSize, mode_t mode,
                       WorkerMemory& memory) {
  ManifestEntry entry;
  entry.Name = job.Name;
  entry.SourceName = job.SourceName;
  entry.MaxSize = maxSize;
  entry.RulesVersion = CopyRulesVersion;

  const Fd source(open(job.SourcePath.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st;
  if (source.Get() < 0 || fstat(source.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    EFOpenError error(job.Name);
    error.SetPath(job.SourcePath);
    throw error;
  }
  entry.SourceSize = static_cast<std::uint64_t>(st.st_size);
  entry.SourceModified = ModifiedNanoseconds(st);

  auto readFailed = [&] {
    EReadError error;
    error.SetPath(job.SourcePath);
    throw error;
  };
  if (job.Kind == PictureKind::Jpeg && st.st_size > 0) {
    std::string& bytes = memory.Source;
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
      const ssize_t n =
          pread(source.Get(), bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) readFailed();
      got += static_cast<std::size_t>(n);
    }
    const JpegWebCopy copy =
        NamingPath(job.SourcePath, [&] { return MakeJpegWebCopy(bytes, maxSize, memory.Pixels); });
    entry.CopySize = WriteWhole(target, job.Name, copy.Bytes, mode);
    return entry;
  }

  PublishedFile file(target, job.Name, mode);
  std::unique_ptr<char[]> buffer(new char[CopyChunk]);
  for (;;) {
    const ssize_t n = read(source.Get(), buffer.get(), CopyChunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) readFailed();
    if (n == 0) break;
    file.Write(buffer.get(), static_cast<std::size_t>(n));
  }
  entry.CopySize = file.Commit();
  return entry;
}

// The path as absolute and canonical as it can be made: symbolic links
// and ".." resolved for the longest part that exists.
std::string ResolvedPath(const std::string& path) {
  std::string absolute = path;
  if (absolute.empty() || absolute[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd)) absolute = JoinPath(cwd, path);
  }
  while (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
  if (char* real = realpath(absolute.c_str(), nullptr)) {
    std::string result(real);
    std::free(real);
    return result;
  }
  const std::string parent = DirectoryOf(absolute);
  if (parent.empty() || parent == absolute) return absolute;
  return JoinPath(ResolvedPath(parent), FileNameOf(absolute));
}

// Makes the published folder when it is missing (its parent must exist).
std::string EnsureTarget(const std::string& target) {
  std::string path = target;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    if (errno != ENOENT || mkdir(path.c_str(), 0777) != 0) ThrowErrno(errno, path);
  } else if (!S_ISDIR(st.st_mode)) {
    ThrowErrno(ENOTDIR, path);
  }
  return ResolvedPath(path);
}

// Removes the temporaries a killed publish left behind.
void RemoveLeftovers(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) ThrowErrno(errno, folder);
  std::vector<std::string> names;
  while (const dirent* e = readdir(dir))
    if (std::string_view(e->d_name).starts_with(TempPrefix)) names.emplace_back(e->d_name);
  closedir(dir);
  for (const auto& name : names) unlink(JoinPath(folder, name).c_str());
}

PublishManifest ReadManifest(const std::string& folder) {
  std::string text;
  if (ReadWholeFile(JoinPath(folder, PublishManifestName), text) != 0) return {};
  return ParsePublishManifest(text);
}

bool CopyStillThere(const std::string& folder, const ManifestEntry& entry) {
  struct stat st;
  return lstat(JoinPath(folder, entry.Name).c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         static_cast<std::uint64_t>(st.st_size) == entry.CopySize;
}

// A manifest name that may be removed: a plain name in the folder, none of
// the publish's own files.
bool RemovableName(const std::string& name, const std::string& pageName) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name != PublishManifestName && name != pageName && !name.starts_with(TempPrefix);
}

// The copies made by the workers. The first error stops them all before
// their next picture.
class CopyWorkers {
 public:
  CopyWorkers(const PublishRequest& request, const std::vector<CopyJob>& jobs,
              const std::string& target, mode_t mode)
      : Request(request), Jobs(jobs), Target(target), Mode(mode), Made(jobs.size()) {}

  // Runs the jobs; reports progress on the calling thread. Returns the
  // entries of the copies made (empty names for those not made).
  void Run(int alreadyDone, int total) {
    unsigned count = Request.Workers != 0 ? Request.Workers : std::thread::hardware_concurrency();
    count = std::clamp<unsigned>(count, 1, MostWorkers);
    count = std::min<unsigned>(count, static_cast<unsigned>(Jobs.size()));
    std::vector<std::thread> threads;
    try {
      for (unsigned i = 0; i < count; ++i) threads.emplace_back([this] { Work(); });
    } catch (...) {
      Stop = true;
      for (auto& t : threads) t.join();
      throw;
    }
    std::unique_lock lock(Mutex);
    int reported = -1;
    while (Finished < threads.size()) {
      if (Done != reported && Request.Progress) {
        reported = Done;
        lock.unlock();
        Request.Progress(alreadyDone + reported, total);
        lock.lock();
        continue;
      }
      Changed.wait(lock);
    }
    lock.unlock();
    for (auto& t : threads) t.join();
    if (Request.Progress && Done != reported) Request.Progress(alreadyDone + Done, total);
  }

  std::exception_ptr FirstError() const { return Error; }
  bool Cancelled() const { return Request.Cancel && Request.Cancel->load(); }
  const std::vector<ManifestEntry>& Entries() const { return Made; }
  int MadeCount() const { return Done; }

 private:
  bool Stopping() const { return Stop.load() || Cancelled(); }

  void Work() {
    WorkerMemory memory;
    for (;;) {
      if (Stopping()) break;
      const std::size_t i = Next.fetch_add(1);
      if (i >= Jobs.size()) break;
      try {
        if (Request.BeforeEachPicture) Request.BeforeEachPicture();
        if (Stopping()) break;
        Made[i] = MakeCopy(Jobs[i], Target, Request.MaxSize, Mode, memory);
        const std::lock_guard lock(Mutex);
        ++Done;
      } catch (...) {
        const std::lock_guard lock(Mutex);
        if (!Error) Error = std::current_exception();
        Stop = true;
      }
      Changed.notify_all();
    }
    {
      const std::lock_guard lock(Mutex);
      ++Finished;
    }
    Changed.notify_all();
  }

  const PublishRequest& Request;
  const std::vector<CopyJob>& Jobs;
  const std::string& Target;
  mode_t Mode;
  std::vector<ManifestEntry> Made;
  std::atomic<std::size_t> Next{0};
  std::atomic<bool> Stop{false};
  std::mutex Mutex;
  std::condition_variable Changed;
  int Done = 0;
  std::size_t Finished = 0;
  std::exception_ptr Error;
};

}  // namespace

std::string PublishedName(const std::string& pictureName) {
  return LowerAscii(pictureName);
}

std::vector<std::string> AlbumPictureNames(const AlbumBuildState& build, const ImageTable& table) {
  std::vector<std::string> names;
  const auto count =
      std::min<std::size_t>(std::max(build.AlbumPictureCount, 0), table.Entries.size());
  for (std::size_t i = 0; i < count; ++i) names.push_back(table.Entries[i].NameText());
  return names;
}

bool PublishTargetInsideFolder(const std::string& folder, const std::string& target) {
  const std::string f = ResolvedPath(folder);
  const std::string t = ResolvedPath(target);
  return t == f || t.starts_with(f == "/" ? f : f + "/");
}

PublishResult PublishAlbum(const PublishRequest& request) {
  PublishResult result;
  result.TargetPath = EnsureTarget(request.Target);
  const std::string& target = result.TargetPath;
  RemoveLeftovers(target);
  const mode_t mode = DefaultFileMode();
  const PublishManifest previous = ReadManifest(target);

  // The copies the page needs: one per lower-cased name (of two pictures
  // whose names differ only in letter case, the page's links find the one
  // whose name is already lower case).
  std::map<std::string, std::string> sources;
  for (const std::string& picture : request.Pictures) {
    const std::string name = PublishedName(picture);
    auto [at, added] = sources.emplace(name, picture);
    if (!added && picture == name) at->second = picture;
  }
  std::vector<CopyJob> jobs;
  PublishManifest manifest = previous;
  std::set<std::string> needed;
  for (const std::string& picture : request.Pictures) {
    const std::string name = PublishedName(picture);
    if (sources[name] != picture || !needed.insert(name).second) continue;
    // An album that takes in all picture kinds has the phone and messenger
    // kinds too: they are copied as they are, as bitmaps and icons are.
    CopyJob job{name, picture, ResolvePath(request.PictureDirectory, picture),
                PictureKindOfFile(picture, /*allKinds=*/true)};
    if (job.Kind == PictureKind::Metafile) result.Metafiles.push_back(name);
    struct stat st;
    if (stat(job.SourcePath.c_str(), &st) != 0) {
      EFOpenError error(name);
      error.SetPath(job.SourcePath);
      throw error;
    }
    const auto old = previous.find(name);
    const bool upToDate =
        old != previous.end() && old->second.SourceName == picture &&
        old->second.SourceSize == static_cast<std::uint64_t>(st.st_size) &&
        old->second.SourceModified == ModifiedNanoseconds(st) &&
        old->second.RulesVersion == CopyRulesVersion &&
        (job.Kind != PictureKind::Jpeg || old->second.MaxSize == request.MaxSize) &&
        CopyStillThere(target, old->second);
    if (upToDate)
      ++result.UpToDate;
    else
      jobs.push_back(std::move(job));
  }
  result.Published = static_cast<int>(needed.size());

  CopyWorkers workers(request, jobs, target, mode);
  workers.Run(result.UpToDate, result.Published);
  result.Made = workers.MadeCount();
  for (const ManifestEntry& entry : workers.Entries())
    if (!entry.Name.empty()) manifest[entry.Name] = entry;

  const std::string manifestPath = JoinPath(target, PublishManifestName);
  auto writeManifest = [&] {
    NamingPath(manifestPath, [&] {
      WriteWhole(target, PublishManifestName, FormatPublishManifest(manifest), mode);
    });
  };
  if (workers.FirstError() || workers.Cancelled()) {
    // Keeps the copies made so far from being made again; the old page stays.
    try {
      writeManifest();
    } catch (const Exception&) {
      // The previous manifest stays, and it lists only whole files too.
    }
    if (workers.FirstError()) std::rethrow_exception(workers.FirstError());
    result.Cancelled = true;
    return result;
  }

  writeManifest();
  std::string page;
  const std::string pageSource = ResolvePath(request.PictureDirectory, request.PageName);
  if (ReadWholeFile(pageSource, page) != 0) {
    EFOpenError error(request.PageName);
    error.SetPath(pageSource);
    throw error;
  }
  result.PagePath = JoinPath(target, request.PageName);
  WriteWhole(target, request.PageName, page, mode);

  // The old page is replaced: the copies only it used can go.
  bool dropped = false;
  for (auto it = manifest.begin(); it != manifest.end();) {
    if (needed.count(it->first) != 0) {
      ++it;
      continue;
    }
    if (RemovableName(it->first, request.PageName) && CopyStillThere(target, it->second) &&
        unlink(JoinPath(target, it->first).c_str()) == 0)
      ++result.Removed;
    it = manifest.erase(it);
    dropped = true;
  }
  if (dropped) writeManifest();
  return result;
}
