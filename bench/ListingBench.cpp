// Times the picture listing of a large folder against `ls -l` on the same
// folder: 10,000 names (the goal is at most twice the time of `ls -l`),
// then 100,000 names to show that the time per name stays flat.
//
//   listing_bench [folder-to-create-in]   (default: the system's temporary folder)

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/folder/FolderListing.h"
#include "core/pictures/FileFormats.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Fills folder with count empty files: mixed letter case, all six picture
// extensions in mixed case, and about one name in ten that is no picture.
// Returns the number of picture names.
std::size_t MakeFolder(const std::string& folder, std::size_t count) {
  static const char* const pictureExtensions[] = {"jpg", "JPG", "jpeg", "Jpeg", "bmp",
                                                  "BMP", "ico", "emf",  "wmf",  "WMF"};
  static const char* const otherExtensions[] = {"txt", "png", "html", "jpg.bak"};
  static const char* const stems[] = {"IMG_", "img", "Holiday ", "DSC", "photo-", "Scan"};
  std::mt19937 random(42);
  std::size_t pictures = 0;
  for (std::size_t i = 0; i < count; ++i) {
    std::string name =
        stems[random() % 6] + std::to_string(random() % 1000000) + "_" + std::to_string(i) + ".";
    if (random() % 10 == 0) {
      name += otherExtensions[random() % 4];
    } else {
      name += pictureExtensions[random() % 10];
      ++pictures;
    }
    const int fd = open((folder + "/" + name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) {
      std::perror(name.c_str());
      std::exit(1);
    }
    close(fd);
  }
  return pictures;
}

struct Figures {
  double ListingMs;
  double LsMs;
};

Figures Measure(const std::string& folder, std::size_t expected, int runs) {
  const std::string mask = PictureFileMask();
  const std::string lsCommand = "ls -l '" + folder + "' > /dev/null";
  // Warm both: the folder's entries and inodes are in the cache afterwards.
  if (ListPictureFiles(folder, mask).size() != expected) {
    std::fprintf(stderr, "listing found a wrong number of pictures\n");
    std::exit(1);
  }
  if (std::system(lsCommand.c_str()) != 0) {
    std::fprintf(stderr, "ls failed\n");
    std::exit(1);
  }
  std::vector<double> listing, ls;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    const auto names = ListPictureFiles(folder, mask);
    listing.push_back(MillisecondsSince(start));
    start = Clock::now();
    if (std::system(lsCommand.c_str()) != 0) std::exit(1);
    ls.push_back(MillisecondsSince(start));
  }
  return {Median(listing), Median(ls)};
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path base =
      argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
  std::printf(
      "mask %s, locale %s, median of the timed runs, warm cache; ls -l timed through the shell\n",
      PictureFileMask().c_str(), NameOrder().Locale().name().toLocal8Bit().constData());
  std::printf("%9s %9s %12s %12s %7s %14s %14s\n", "names", "pictures", "listing ms", "ls -l ms",
              "ratio", "listing us/n", "ls -l us/n");
  for (const std::size_t count : {std::size_t{10000}, std::size_t{100000}}) {
    std::string folder = (base / "ambrelin-listing-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
      std::perror("mkdtemp");
      return 1;
    }
    const std::size_t pictures = MakeFolder(folder, count);
    const Figures f = Measure(folder, pictures, count <= 10000 ? 15 : 5);
    std::printf("%9zu %9zu %12.2f %12.2f %7.2f %14.3f %14.3f\n", count, pictures, f.ListingMs,
                f.LsMs, f.ListingMs / f.LsMs, 1000.0 * f.ListingMs / count,
                1000.0 * f.LsMs / count);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  return 0;
}
