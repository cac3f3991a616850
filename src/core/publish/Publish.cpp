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
#include "core/platform/SafeFile.h"
#include "core/platform/Text.h"
#include "core/publish/MetadataFilters.h"
#include "core/publish/PublishManifest.h"

namespace {

constexpr char TempPrefix[] = ".ambrelin-tmp-";
constexpr unsigned MostWorkers = 8;

[[noreturn]] void ThrowErrno(int err, const std::string& path) {
  EInOutError error(InOutCodeFromErrno(err));
  error.SetPath(path);
  throw error;
}

std::int64_t ModifiedNanoseconds(const struct stat& st) {
  return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// Closes a file descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : Value(fd) {}
  ~Fd() {
    if (Value >= 0) close(Value);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return Value; }

 private:
  int Value;
};

// Writes a copy, the manifest or the page under a temporary name in the
// published folder (its prefix lets the next publish remove what a killed
// run left) and renames it over its final name once it is whole and
// flushed. Every file there is the publish's own, so an existing one is
// replaced by the rename whatever its permission bits, and never written in
// place. Returns the file's size.
std::uint64_t WriteWhole(const std::string& folder, const std::string& name,
                         const std::string& bytes) {
  const std::string path = JoinPath(folder, name);
  if (const WriteFailure failure = WriteFileSafely(path, bytes, {TempPrefix, false}))
    ThrowErrno(failure.Errno, path);
  return bytes.size();
}

// One copy to make.
struct CopyJob {
  PlannedCopy Copy;
  std::string SourcePath;
};

// What a worker keeps from one picture to the next.
struct WorkerMemory {
  std::string Source;  // the picture file
  JpegCopyBuffers Pixels;
};

// The copy's bytes made from the picture's.
std::string CopyBytes(const CopyJob& job, const std::string& bytes, const PublishRequest& request,
                      JpegCopyBuffers& pixels) {
  const PlannedCopy& copy = job.Copy;
  std::string out;
  switch (copy.Way) {
    case CopyWay::JpegCopy:
      return MakeJpegWebCopy(bytes, copy.Order.MaxSize, pixels).Bytes;
    case CopyWay::Filtered:
      if (copy.Order.Kind == PictureKind::Gif ? GifWithoutComments(bytes, out)
                                              : PngWithoutMetadata(bytes, out))
        return out;
      break;  // damaged: decoded as far as it goes, as a browser would
    case CopyWay::Drawn:
      break;
  }
  if (!request.Convert) throw EInvalidGraphic("Cannot convert " + copy.SourceName);
  WebCopyOrder order = copy.Order;
  if (copy.Way == CopyWay::Filtered) order.Format = CopyFormat::Png;
  return request.Convert(bytes, order);
}

// Makes one copy; returns its manifest entry.
ManifestEntry MakeCopy(const CopyJob& job, const std::string& target, const PublishRequest& request,
                       WorkerMemory& memory) {
  ManifestEntry entry;
  entry.Name = job.Copy.Name;
  entry.SourceName = job.Copy.SourceName;
  entry.MaxSize = request.MaxSize;
  entry.RulesVersion = CopyRulesVersion;

  const Fd source(open(job.SourcePath.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st;
  if (source.Get() < 0 || fstat(source.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    EFOpenError error(LowerAscii(job.Copy.SourceName));
    error.SetPath(job.SourcePath);
    throw error;
  }
  entry.SourceSize = static_cast<std::uint64_t>(st.st_size);
  entry.SourceModified = ModifiedNanoseconds(st);

  std::string& bytes = memory.Source;
  bytes.resize(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n =
        pread(source.Get(), bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      EReadError error;
      error.SetPath(job.SourcePath);
      throw error;
    }
    got += static_cast<std::size_t>(n);
  }
  const std::string copy =
      NamingPath(job.SourcePath, [&] { return CopyBytes(job, bytes, request, memory.Pixels); });
  entry.CopySize = WriteWhole(target, job.Copy.Name, copy);
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

// True when the manifest vouches for name as the publish's own. A manifest
// from before pages were listed vouches for the page of the present name.
bool OwnName(const PublishManifest& manifest, const std::string& name,
             const std::string& pageName) {
  if (name == PublishManifestName) return manifest.Version != 0;
  return manifest.Copies.count(name) != 0 || manifest.Pages.count(name) != 0 ||
         (manifest.Version == 1 && name == pageName);
}

// Refuses the publish when someone else's file has a name it would write.
void RefuseStrangers(const std::string& target, const PublishManifest& manifest,
                     const std::vector<PlannedCopy>& copies, const std::string& pageName) {
  std::vector<std::string> names;
  for (const PlannedCopy& copy : copies) names.push_back(copy.Name);
  names.push_back(pageName);
  names.push_back(PublishManifestName);
  std::vector<std::string> strangers;
  for (const std::string& name : names) {
    struct stat st;
    if (!OwnName(manifest, name, pageName) && lstat(JoinPath(target, name).c_str(), &st) == 0)
      strangers.push_back(name);
  }
  if (strangers.empty()) return;
  constexpr std::size_t Named = 5;
  std::string message =
      "Nothing was published, so as not to replace files that publishing did not make: ";
  for (std::size_t i = 0; i < strangers.size() && i < Named; ++i)
    message += (i == 0 ? "" : ", ") + strangers[i];
  if (strangers.size() > Named)
    message += " and " + std::to_string(strangers.size() - Named) + " more";
  EPublishRefused refused(message);
  refused.SetPath(target);
  throw refused;
}

// The pages of the folder that the manifest vouches for and that are still
// there.
std::set<std::string> OwnPagesStillThere(const std::string& folder, const PublishManifest& manifest,
                                         const std::string& pageName) {
  std::set<std::string> pages = manifest.Pages;
  if (manifest.Version == 1) pages.insert(pageName);
  std::erase_if(pages,
                [&](const std::string& page) { return !IsRegularFile(JoinPath(folder, page)); });
  return pages;
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
              const std::string& target)
      : Request(request), Jobs(jobs), Target(target), Made(jobs.size()) {}

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
        Made[i] = MakeCopy(Jobs[i], Target, Request, memory);
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

std::vector<std::string> AlbumPictureNames(const AlbumBuildState& build, const ImageTable& table) {
  std::vector<std::string> names;
  const auto count =
      std::min<std::size_t>(std::max(build.AlbumPictureCount, 0), table.Entries.size());
  for (std::size_t i = 0; i < count; ++i) names.push_back(table.Entries[i].NameText());
  return names;
}

PublishTargetProblem PublishTargetProblemOf(const std::string& folder, const std::string& target) {
  const std::string f = ResolvedPath(folder);
  const std::string t = ResolvedPath(target);
  if (t == f || t.starts_with(f == "/" ? f : f + "/")) return PublishTargetProblem::InsideFolder;
  struct stat st;
  if (stat(t.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) return PublishTargetProblem::NotAFolder;
  return PublishTargetProblem::None;
}

void RefuseStrangersFiles(const PublishRequest& request) {
  if (!IsDirectory(request.Target)) return;
  RefuseStrangers(
      request.Target, ReadManifest(request.Target),
      PlanCopies(request.PictureDirectory, request.Pictures, request.MaxSize, request.Screen),
      request.PageName);
}

std::string PublishedSummary(const PublishResult& result) {
  return "Published " + std::to_string(result.Published) + " pictures (" +
         std::to_string(result.Made) + " made, " + std::to_string(result.UpToDate) +
         " up to date) to " + result.TargetPath;
}

std::string ProposedPublishFolder(const std::string& pictureFolder,
                                  const std::string& lastPublished) {
  if (!lastPublished.empty()) return lastPublished;
  std::string folder = pictureFolder;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const std::string name = FileNameOf(folder);
  const std::string parent = DirectoryOf(folder);
  return JoinPath(parent.empty() ? "/" : parent, name.empty() ? "web" : name + "-web");
}

PublishResult PublishAlbum(const PublishRequest& request) {
  PublishResult result;
  result.TargetPath = EnsureTarget(request.Target);
  const std::string& target = result.TargetPath;
  const PublishManifest previous = ReadManifest(target);
  const std::vector<PlannedCopy> copies =
      PlanCopies(request.PictureDirectory, request.Pictures, request.MaxSize, request.Screen);
  RefuseStrangers(target, previous, copies, request.PageName);
  RemoveLeftovers(target);

  std::vector<CopyJob> jobs;
  PublishManifest manifest = previous;
  manifest.Pages = OwnPagesStillThere(target, previous, request.PageName);
  std::set<std::string> needed;
  for (const PlannedCopy& copy : copies) {
    const std::string& name = copy.Name;
    const std::string& picture = copy.SourceName;
    needed.insert(name);
    CopyJob job{copy, ResolvePath(request.PictureDirectory, picture)};
    struct stat st;
    if (stat(job.SourcePath.c_str(), &st) != 0) {
      EFOpenError error(LowerAscii(picture));
      error.SetPath(job.SourcePath);
      throw error;
    }
    const auto old = previous.Copies.find(name);
    const bool upToDate = old != previous.Copies.end() && old->second.SourceName == picture &&
                          old->second.SourceSize == static_cast<std::uint64_t>(st.st_size) &&
                          old->second.SourceModified == ModifiedNanoseconds(st) &&
                          old->second.RulesVersion == CopyRulesVersion &&
                          old->second.MaxSize == request.MaxSize &&
                          CopyStillThere(target, old->second);
    if (upToDate)
      ++result.UpToDate;
    else
      jobs.push_back(std::move(job));
  }
  result.Published = static_cast<int>(needed.size());

  CopyWorkers workers(request, jobs, target);
  workers.Run(result.UpToDate, result.Published);
  result.Made = workers.MadeCount();
  for (const ManifestEntry& entry : workers.Entries())
    if (!entry.Name.empty()) manifest.Copies[entry.Name] = entry;

  const std::string manifestPath = JoinPath(target, PublishManifestName);
  auto writeManifest = [&] {
    NamingPath(manifestPath,
               [&] { WriteWhole(target, PublishManifestName, FormatPublishManifest(manifest)); });
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

  // Listed from the moment it is written: the page is the publish's own.
  manifest.Pages.insert(request.PageName);
  writeManifest();
  std::string page;
  if (request.Page) {
    page = *request.Page;
  } else {
    const std::string pageSource = ResolvePath(request.PictureDirectory, request.PageName);
    if (ReadWholeFile(pageSource, page) != 0) {
      EFOpenError error(request.PageName);
      error.SetPath(pageSource);
      throw error;
    }
  }
  result.PagePath = JoinPath(target, request.PageName);
  WriteWhole(target, request.PageName, PageWithCopyNames(page, copies));

  // The old page is replaced: the copies only it used can go.
  bool dropped = false;
  for (auto it = manifest.Copies.begin(); it != manifest.Copies.end();) {
    if (needed.count(it->first) != 0) {
      ++it;
      continue;
    }
    if (RemovableName(it->first, request.PageName) && CopyStillThere(target, it->second) &&
        unlink(JoinPath(target, it->first).c_str()) == 0)
      ++result.Removed;
    it = manifest.Copies.erase(it);
    dropped = true;
  }
  if (dropped) writeManifest();
  return result;
}
