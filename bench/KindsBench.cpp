// Building the album of a folder of pictures of each phone and messenger
// kind against a folder of as many camera-like JPEGs: listing the folder
// and the whole build (CreateAlbum, which measures every picture), medians
// on a warm file cache, and the bytes one measurement reads of a picture.
// The goal: every kind builds within twice the JPEG folder's time. For the
// JPEG folder it also times the listing that counts the kinds left out
// against the plain listing of the registry's mask.
//
//   kinds_bench [--count N] [--runs R] [--keep]
//
// Each folder holds N hard links to one picture of the kind, named
// img_00001.<ext> and so on, in a new temporary folder removed at the end
// unless --keep is given. The pictures: a 2000 x 1500 JPEG with a 40 KB EXIF
// block; an iPhone-like HEIC (a 4032 x 3024 grid of 48 tiles of 512 x 512
// with a thumbnail, turned upright by its rotation); a 2000 x 1500 AVIF
// turned by irot; a 1080 x 1080 WebP; a 1170 x 2532 PNG screenshot with an
// eXIf orientation; a 480 x 270 GIF; a 2550 x 3300 TIFF scan.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "core/album/AlbumBuild.h"
#include "core/folder/KindListing.h"
#include "core/pictures/FileFormats.h"
#include "core/pictures/PictureReaders.h"
#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/shell/MessageBoxes.h"
#include "support/PhoneFixtures.h"
#include "support/PictureFixtures.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Kind {
  const char* Name;
  const char* Extension;
  std::function<std::string()> Make;
};

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

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A folder of count hard links to one picture; returns its path.
std::string MakeKindFolder(const Kind& kind, const std::string& bytes, int count) {
  const std::string folder = MakeTempBenchFolder();
  const std::string original = JoinPath(folder, std::string(".picture.") + kind.Extension);
  std::ofstream(original, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  for (int i = 1; i <= count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "img_%05d.%s", i, kind.Extension);
    if (link(original.c_str(), JoinPath(folder, name).c_str()) != 0)
      throw std::runtime_error("cannot link " + std::string(name));
  }
  return folder;
}

// Lists and builds the folder's album as ambrelin-build does; seconds.
double BuildSeconds(const std::string& folder, bool allKinds, const VersionInfo& version) {
  const auto start = Clock::now();
  ImageTable table;
  SilentMessages messages;
  AlbumEnvironment env(folder, table, version, messages);
  AlbumInput input;
  input.Title = "Pictures";
  input.IndexName = "album.html";
  input.AllPictureKinds = allKinds;
  input.PictureFiles = ListAlbumPictures(folder, allKinds).Pictures;
  AlbumBuildState state;
  if (!CreateAlbum(state, input, env)) std::exit(1);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  int count = 10000, runs = 3;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--count" && i + 1 < argc)
      count = std::atoi(argv[++i]);
    else if (arg == "--runs" && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--keep")
      keep = true;
    else {
      std::fprintf(stderr, "usage: kinds_bench [--count N] [--runs R] [--keep]\n");
      return 2;
    }
  }
  const std::vector<Kind> kinds = {
      {"JPEG", "jpg", [] { return MakeJpeg(2000, 1500, 90, 40000); }},
      {"HEIC", "heic", [] { return MakeHeicGrid(4032, 3024, 512, 3); }},
      {"AVIF", "avif", [] { return MakeAvif(2000, 1500, 1); }},
      {"WebP", "webp", [] { return MakeWebP(1080, 1080); }},
      {"PNG", "png", [] { return MakePng(1170, 2532, 1); }},
      {"GIF", "gif", [] { return MakeGif(480, 270); }},
      {"TIFF", "tif", [] { return MakeTiff(2550, 3300); }},
  };
  VersionInfo version;
  ReadVersionInfo(version, &ProgramVersionRecord());
  std::printf("%d pictures a folder, medians of %d builds on a warm cache:\n", count, runs);
  double jpegSeconds = 0;
  for (const Kind& kind : kinds) {
    const std::string bytes = kind.Make();
    std::string folder;
    try {
      folder = MakeKindFolder(kind, bytes, count);
      const bool allKinds = std::string(kind.Name) != "JPEG";
      BuildSeconds(folder, allKinds, version);  // warms the cache
      std::vector<double> times;
      for (int run = 0; run < runs; ++run) times.push_back(BuildSeconds(folder, allKinds, version));
      const double seconds = Median(times);
      if (!allKinds) {
        jpegSeconds = seconds;
        const auto listing = [&](const std::function<void()>& list) {
          std::vector<double> listTimes;
          for (int run = 0; run < runs; ++run) {
            const auto start = Clock::now();
            list();
            listTimes.push_back(std::chrono::duration<double>(Clock::now() - start).count());
          }
          return Median(listTimes) * 1e3;
        };
        const double plain = listing([&] { ListPictureFiles(folder, PictureFileMask()); });
        const double counting = listing([&] { ListAlbumPictures(folder, false); });
        std::printf(
            "  listing: %.1f ms with the registry's mask, %.1f ms counting the other kinds too\n",
            plain, counting);
      }
      FilePictureSource file(folder, std::string("img_00001.") + kind.Extension);
      const PictureHeader header = ReadPictureHeader(
          PictureKindOfFile(std::string("x.") + kind.Extension, true), file, ScreenMetrics());
      std::printf(
          "  %-5s %8.1f ms %7.2f us a picture %5.2f x JPEG  %7llu of %8zu bytes read, %dx%d\n",
          kind.Name, seconds * 1e3, seconds * 1e6 / count, seconds / jpegSeconds,
          static_cast<unsigned long long>(file.BytesRead()), bytes.size(), header.Width,
          header.Height);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s: %s\n", kind.Name, e.what());
      if (!folder.empty() && !keep) RemoveBenchFolder(folder);
      return 1;
    }
    if (keep)
      std::printf("        kept %s\n", folder.c_str());
    else
      RemoveBenchFolder(folder);
  }
  return 0;
}
