// ambrelin-build --publish: after the album is built in its folder, a
// web-ready copy of it goes into another folder (core/publish/Publish.h).
#pragma once

#include <atomic>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "core/album/AlbumBuild.h"
#include "core/folder/ImageTable.h"
#include "core/publish/CopyPlan.h"

// What the process offers the command besides its streams.
struct CommandProcess {
  // Standard error is a terminal: publishing shows its progress there,
  // rewriting one line.
  bool ProgressOnTerminal = false;
  // Called with true when publishing starts and with false when it ends;
  // in between the process turns Ctrl+C into setting Interrupted.
  std::function<void(bool)> CatchInterrupts;
  const std::atomic<bool>* Interrupted = nullptr;
  // Makes the copies that are decoded and encoded anew (PublishRequest).
  WebCopyMaker Convert;
};

// Exit status of a publish stopped by Ctrl+C (128 + SIGINT, as shells report it).
inline constexpr int PublishInterrupted = 130;

struct PublishOptions {
  std::string Target;
  int MaxSize;
  // The page when the build kept it in memory; else it is read from folder.
  std::optional<std::string> Page;
};

// Publishes the album just built in folder. On standard output: "Published
// N pictures (M made, K up to date) to DIR" and the published page's path;
// on the error stream: the progress (on a terminal only) and errors, each
// naming its file. Returns the exit status: BuildSucceeded, BuildFailed,
// PublishInterrupted.
int PublishBuiltAlbum(const std::string& folder, const AlbumBuildState& build,
                      const ImageTable& table, const PublishOptions& options,
                      const CommandProcess& process, std::ostream& out, std::ostream& err);
