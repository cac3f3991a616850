// A folder of 10,000 pictures from start to finish: listing it with the
// picture mask, loading its descriptions, and building its whole album
// through CreateAlbum, then the build once more step by step to show where
// the time goes. Figures are medians over the runs, on a warm file cache.
//
//   big_folder_bench [--count N] [--runs R] [--lower-names] [--copies]
//                    [--folder DIR] [--keep]
//
// The folder (BenchFolder: camera-like JPEGs, six in ten with an EXIF
// block, 20 bitmaps, a description per picture) goes to a new temporary
// folder, removed at the end unless --keep is given. Names are in capitals
// as cameras write them (IMG_00001.JPG) unless --lower-names is given. The
// pictures are hard links to a few encoded files (no disk space, a warm
// cache) unless --copies is given.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "core/album/AlbumBuild.h"
#include "core/folder/DescriptionFile.h"
#include "core/folder/FolderListing.h"
#include "core/folder/ImageTable.h"
#include "core/folder/Settings.h"
#include "core/folder/TIniFile.h"
#include "core/pictures/FileFormats.h"
#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/TextFile.h"
#include "core/shell/MessageBoxes.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  int Count = 10000;
  int Runs = 3;
  bool LowerNames = false;
  bool Copies = false;
  std::string Folder;
  bool Keep = false;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--count" && hasValue)
      options.Count = std::atoi(argv[++i]);
    else if (arg == "--runs" && hasValue)
      options.Runs = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--folder" && hasValue)
      options.Folder = argv[++i];
    else if (arg == "--lower-names")
      options.LowerNames = true;
    else if (arg == "--copies")
      options.Copies = true;
    else if (arg == "--keep")
      options.Keep = true;
    else
      return false;
  }
  return options.Count >= 0;
}

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Runs action runs times; returns the median and the fastest time.
std::pair<double, double> Time(int runs, const std::function<void()>& action) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    action();
    times.push_back(Seconds(Clock::now() - start));
  }
  return {Median(times), *std::min_element(times.begin(), times.end())};
}

void Report(const char* what, std::pair<double, double> times, std::size_t items) {
  std::printf("  %-34s %9.1f ms median %9.1f ms fastest %8.2f us per picture\n", what,
              times.first * 1e3, times.second * 1e3,
              items ? times.first * 1e6 / static_cast<double>(items) : 0.0);
}

class SilentMessages : public MessageBoxes {
 public:
  void ShowPlainMessage(const std::string&) override {}
  void ShowInformationDialog(const std::string& text) override {
    std::fprintf(stderr, "information: %s\n", text.c_str());
  }
  void ShowErrorMessage(const Exception& error) override {
    std::fprintf(stderr, "error: %s\n", error.Message().c_str());
  }
};

// Everything one build needs, made anew for every build.
struct Build {
  explicit Build(const std::string& folder, const VersionInfo& version)
      : Env(folder, Table, version, Messages), Settings(JoinPath(folder, FolderSettingsFileName)) {
    Env.FolderSettings = &Settings;
    Input.Title = "Ten thousand pictures";
    Input.IndexName = "album.html";
    Input.IncludeFileNames = true;
  }
  ImageTable Table;
  SilentMessages Messages;
  AlbumEnvironment Env;
  TIniFile Settings;
  AlbumInput Input;
  AlbumBuildState State;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: big_folder_bench [--count N] [--runs R] [--lower-names] [--copies] "
                 "[--folder DIR] [--keep]\n");
    return 2;
  }
  const bool madeFolder = options.Folder.empty();
  const std::string folder = madeFolder ? MakeTempBenchFolder() : options.Folder;
  try {
    BenchFolderOptions folderOptions;
    folderOptions.JpegCount = options.Count;
    folderOptions.UpperCaseNames = !options.LowerNames;
    folderOptions.HardLinks = !options.Copies;
    const auto madeStart = Clock::now();
    const BenchFolder made = MakeBenchFolder(folder, folderOptions);
    std::printf("%zu pictures (%s names, %s) in %s, made in %.1f s\n", made.Pictures.size(),
                options.LowerNames ? "lower-case" : "capital",
                options.Copies ? "copies" : "hard links", folder.c_str(),
                Seconds(Clock::now() - madeStart));

    VersionInfo version;
    ReadVersionInfo(version, &ProgramVersionRecord());
    const std::string mask = PictureFileMask();
    std::vector<std::string> listed = ListPictureFiles(folder, mask);  // warms the cache
    const std::size_t n = listed.size();

    std::printf("Medians of %d runs:\n", options.Runs);
    Report("ListPictureFiles (mask)",
           Time(options.Runs, [&] { listed = ListPictureFiles(folder, mask); }), n);

    ImageTable table;
    Report("LoadDescriptions",
           Time(options.Runs,
                [&] {
                  BuildImageTable(table, listed);
                  LoadDescriptions(table, DescriptionFilePath(folder));
                }),
           n);

    Report("CreateAlbum (whole build)",
           Time(options.Runs,
                [&] {
                  Build build(folder, version);
                  build.Input.PictureFiles = listed;
                  if (!CreateAlbum(build.State, build.Input, build.Env)) std::exit(1);
                }),
           n);

    // The same build step by step.
    Build build(folder, version);
    build.Input.PictureFiles = listed;
    auto step = [&](const char* name, const std::function<void()>& action) {
      Report(name, Time(1, action), n);
    };
    std::printf("One build, step by step:\n");
    step("ValidateAlbumInput", [&] { ValidateAlbumInput(build.State, build.Input, build.Env); });
    step("LoadDescriptions", [&] { LoadDescriptions(build.Table, DescriptionFilePath(folder)); });
    step("PrepareTemplate", [&] { PrepareTemplate(build.State, build.Input, build.Env); });
    step("BuildThumbnailFragment",
         [&] { BuildThumbnailFragment(build.State, build.Input, build.Env); });
    step("BuildPictureFragment (probes)",
         [&] { BuildPictureFragment(build.State, build.Input, build.Env); });
    step("BuildFooterFragment", [&] { BuildFooterFragment(build.State, build.Env); });
    step("AssemblePage", [&] { AssemblePage(build.State, build.Env); });
    step("SaveAlbumOptions", [&] {
      SaveAlbumOptions(build.Settings, {build.Input.Title, build.Input.IndexName, true});
    });
    std::string page;
    ReadWholeFile(ResolvePath(folder, PageFileName(build.State.AlbumBaseName)), page);
    std::printf("Page: %zu lines, %.1f MB\n", SplitTextLines(page).size(),
                static_cast<double>(page.size()) / 1e6);
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s: %s\n", e.ClassName().c_str(), e.Message().c_str());
    if (madeFolder && !options.Keep) RemoveBenchFolder(folder);
    return 1;
  }
  if (madeFolder && !options.Keep)
    RemoveBenchFolder(folder);
  else
    std::printf("Kept %s\n", folder.c_str());
  return 0;
}
