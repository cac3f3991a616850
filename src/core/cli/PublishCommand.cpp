#include "core/cli/PublishCommand.h"

#include <ostream>

#include "core/cli/BuildCommand.h"
#include "core/platform/Errors.h"
#include "core/publish/Publish.h"

namespace {
// Turns interrupts on for the scope.
class InterruptScope {
 public:
  explicit InterruptScope(const CommandProcess& process) : Process(process) {
    if (Process.CatchInterrupts) Process.CatchInterrupts(true);
  }
  ~InterruptScope() {
    if (Process.CatchInterrupts) Process.CatchInterrupts(false);
  }
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

 private:
  const CommandProcess& Process;
};
}  // namespace

int PublishBuiltAlbum(const std::string& folder, const AlbumBuildState& build,
                      const ImageTable& table, const PublishOptions& options,
                      const CommandProcess& process, std::ostream& out, std::ostream& err) {
  PublishRequest request;
  request.PictureDirectory = folder;
  request.Pictures = AlbumPictureNames(build, table);
  request.PageName = PageFileName(build.AlbumBaseName);
  request.Target = options.Target;
  request.MaxSize = options.MaxSize;
  request.Convert = process.Convert;
  request.Page = options.Page;
  request.Cancel = process.Interrupted;
  bool progressShown = false;
  if (process.ProgressOnTerminal)
    request.Progress = [&](int done, int total) {
      err << "\rPublishing " << done << '/' << total << std::flush;
      progressShown = true;
    };
  auto endProgress = [&] {
    if (progressShown) err << '\n';
    progressShown = false;
  };
  try {
    PublishResult result;
    {
      const InterruptScope interrupts(process);
      result = PublishAlbum(request);
    }
    endProgress();
    if (result.Cancelled) {
      err << "ambrelin-build: interrupted; " << result.TargetPath << " keeps its previous page\n";
      return PublishInterrupted;
    }
    out << PublishedSummary(result) << '\n' << result.PagePath << '\n';
    return BuildSucceeded;
  } catch (const Exception& e) {
    endProgress();
    err << ErrorLine(e) << '\n';
    return BuildFailed;
  } catch (const std::exception& e) {  // no memory or no thread left
    endProgress();
    err << "ambrelin-build: " << e.what() << '\n';
    return BuildFailed;
  }
}
