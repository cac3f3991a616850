// Publishing an album: a separate folder that can go online as it is. It
// receives a web copy of every picture of the album under the name the
// page's links use (the lower-cased name), then the page itself, byte for
// byte as the build wrote it; no template, fragments, description or
// settings file.
//
// - Every copy is a JPEG, PNG or GIF that every browser shows, fitted,
//   upright and without metadata (CopyPlan.h tells which kind becomes
//   what, and under which name); the page's links to copies whose name
//   changed are changed with them.
// - Incremental: the folder's manifest (PublishManifest.h) tells which
//   copies are still up to date (same picture name, size and modification
//   time, same largest side, same copy rules, and the copy still
//   there with its size); only the others are made. A copy that the
//   manifest lists and the album no longer uses is removed once the new
//   page is in place; nothing else in the folder is ever removed, and only
//   the names the page needs are written.
// - Nothing of anyone else is replaced: a file of the folder that the
//   manifest does not list (as a copy, or as a page publishing wrote) is
//   someone else's. When one has a name the publish needs, the publish is
//   refused before anything is written, naming those files.
// - Safe: every file is written under a temporary name in the folder
//   (".ambrelin-tmp-" and six characters), flushed and renamed into place;
//   the manifest and then the page come last. A publish that stops half-way
//   (an error, a full disk, a cancel) leaves the previous page, the
//   manifest lists only whole files, and the temporaries it leaves (a
//   killed process) are removed by the next publish. The picture folder is
//   only read.
// - The copies are made by worker threads, one per core (at most 8: memory
//   stays at the workers' count times one picture), each with its own
//   decoder and encoder.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/album/AlbumBuild.h"
#include "core/folder/ImageTable.h"
#include "core/platform/Errors.h"
#include "core/publish/CopyPlan.h"
#include "core/publish/JpegWebCopy.h"

struct PublishRequest {
  std::string PictureDirectory;         // the picture folder
  std::vector<std::string> Pictures;    // the album's pictures, as the page names them
  std::string PageName;                 // the page in the picture folder: PageFileName(...)
  std::string Target;                   // the published folder; created when missing
  int MaxSize = DefaultPublishMaxSize;  // the largest side of a copy; 0 keeps the size
  ScreenMetrics Screen;                 // the build's: a metafile's size on the page
  // Makes the copies that are decoded and encoded anew (the drawing layer's
  // MakeDrawnWebCopy); without one, such a copy fails.
  WebCopyMaker Convert;
  unsigned Workers = 0;  // 0: one per core
  // Set from anywhere to stop: the workers stop before their next picture.
  const std::atomic<bool>* Cancel = nullptr;
  // Called on the calling thread whenever a copy is done (up-to-date ones
  // count as done from the start).
  std::function<void(int done, int total)> Progress;
  // Called on a worker before each picture; lets tests hold the workers.
  std::function<void()> BeforeEachPicture;
  // The page itself when the build kept it in memory (a picture folder that
  // cannot be written); else it is read from the picture folder.
  std::optional<std::string> Page;
};

struct PublishResult {
  int Published = 0;       // the copies the page needs
  int Made = 0;            // of them, made by this publish
  int UpToDate = 0;        // left as they were
  int Removed = 0;         // copies of pictures the album no longer has
  bool Cancelled = false;  // stopped by Cancel: nothing after the copies was written
  std::string TargetPath;  // the published folder, absolute
  std::string PagePath;    // the published page
};

// A publish refused before anything was written; it names the published
// folder and, in its message, the files that stood in the way.
class EPublishRefused : public Exception {
 public:
  explicit EPublishRefused(const std::string& message) : Exception("EPublishRefused", message) {}
};

// Publishes the album. Errors raise the program's errors naming the file
// they are about: the picture (in the picture folder) for reading and
// decoding, the copy (in the published folder) for writing; the first error
// of any worker stops the others before their next picture. Someone else's
// files under needed names raise EPublishRefused (RefuseStrangersFiles)
// before anything is written.
PublishResult PublishAlbum(const PublishRequest& request);

// What is wrong with a published folder, judged before the album is built:
// it is the picture folder or lies inside it (after resolving symbolic
// links, ".." and relative paths against the current folder; a folder that
// does not exist yet is judged by its parent), or it is something other
// than a folder.
enum class PublishTargetProblem { None, InsideFolder, NotAFolder };
PublishTargetProblem PublishTargetProblemOf(const std::string& folder, const std::string& target);

// Raises EPublishRefused, naming the request's target, when files of it
// that its manifest does not list have names that the publish would write:
// the copies, the page or the manifest. The message names the first few of
// them and how many more there are. A target that does not exist yet
// passes.
void RefuseStrangersFiles(const PublishRequest& request);

// What a publish did, as both front-ends say it: "Published N pictures (M
// made, K up to date) to DIR".
std::string PublishedSummary(const PublishResult& result);

// The folder that choosing a published folder starts from: the one last
// published to, when there is one, else a new folder beside the picture
// folder named after it: "FOLDER-web".
std::string ProposedPublishFolder(const std::string& pictureFolder,
                                  const std::string& lastPublished);

// The pictures the last build put on the page, in page order.
std::vector<std::string> AlbumPictureNames(const AlbumBuildState& build, const ImageTable& table);
