// Measuring a large picture folder: ProbePicture against a bare loop that
// reads JPEG headers with libjpeg, both on a warm file cache. ProbePicture
// also reads the EXIF orientation, which the bare loop does not.
//
//   probe_bench [--count N] [--folder DIR] [--keep] [--links] [--lower-names]
//               [--lower-case-files] [--runs R]
//
// Without --folder the pictures go to a new temporary folder, removed at
// the end unless --keep is given. --lower-names also measures ProbePicture
// given lower-cased names (as the album build passes them) for files named
// in capitals, which makes every lookup scan the folder.
#include <setjmp.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "BenchFolder.h"
#include "core/album/AlbumBuild.h"
#include "core/folder/ImageTable.h"
#include "core/pictures/ProbePicture.h"
#include "core/platform/Errors.h"
#include "core/platform/Text.h"
#include "core/shell/VersionInfo.h"

namespace {

struct Options {
  int Count = 10000;
  std::string Folder;
  bool Keep = false;
  bool Links = false;
  bool LowerNames = false;
  bool LowerCaseFiles = false;
  int Runs = 3;
};

// ---- (a) the baseline: libjpeg over stdio, headers only -------------------

constexpr std::size_t StdioChunkSize = 4096;
const JOCTET FakeEndOfImage[2] = {0xFF, JPEG_EOI};

struct StdioHeaderReader {
  jpeg_decompress_struct Info;
  jpeg_error_mgr Errors;
  jpeg_source_mgr Source;
  jmp_buf Exit;
  FILE* File;
  JOCTET Buffer[StdioChunkSize];
};

StdioHeaderReader& ReaderOf(j_common_ptr info) {
  return *static_cast<StdioHeaderReader*>(info->client_data);
}

void StdioErrorExit(j_common_ptr info) {
  longjmp(ReaderOf(info).Exit, 1);
}
void StdioIgnore(j_common_ptr, int) {}
void StdioNothing(j_decompress_ptr) {}

boolean StdioFill(j_decompress_ptr info) {
  StdioHeaderReader& r = ReaderOf(reinterpret_cast<j_common_ptr>(info));
  const std::size_t n = std::fread(r.Buffer, 1, StdioChunkSize, r.File);
  if (n == 0) {
    r.Source.next_input_byte = FakeEndOfImage;
    r.Source.bytes_in_buffer = sizeof FakeEndOfImage;
  } else {
    r.Source.next_input_byte = r.Buffer;
    r.Source.bytes_in_buffer = n;
  }
  return TRUE;
}

void StdioSkip(j_decompress_ptr info, long count) {
  StdioHeaderReader& r = ReaderOf(reinterpret_cast<j_common_ptr>(info));
  if (count <= 0) return;
  if (static_cast<std::size_t>(count) <= r.Source.bytes_in_buffer) {
    r.Source.next_input_byte += count;
    r.Source.bytes_in_buffer -= static_cast<std::size_t>(count);
    return;
  }
  std::fseek(r.File, count - static_cast<long>(r.Source.bytes_in_buffer), SEEK_CUR);
  r.Source.bytes_in_buffer = 0;
}

// Width of the JPEG at path, or -1 when it cannot be read.
int StdioJpegWidth(const char* path, StdioHeaderReader& r) {
  r.File = std::fopen(path, "rb");
  if (!r.File) return -1;
  r.Info.err = jpeg_std_error(&r.Errors);
  r.Errors.error_exit = StdioErrorExit;
  r.Errors.emit_message = StdioIgnore;
  r.Info.client_data = &r;
  if (setjmp(r.Exit)) {
    jpeg_destroy_decompress(&r.Info);
    std::fclose(r.File);
    return -1;
  }
  jpeg_create_decompress(&r.Info);
  r.Source.init_source = StdioNothing;
  r.Source.fill_input_buffer = StdioFill;
  r.Source.skip_input_data = StdioSkip;
  r.Source.resync_to_restart = jpeg_resync_to_restart;
  r.Source.term_source = StdioNothing;
  r.Source.next_input_byte = nullptr;
  r.Source.bytes_in_buffer = 0;
  r.Info.src = &r.Source;
  jpeg_read_header(&r.Info, TRUE);
  const int width = static_cast<int>(r.Info.image_width);
  jpeg_destroy_decompress(&r.Info);
  std::fclose(r.File);
  return width;
}

// ---- measuring ------------------------------------------------------------

// Bytes this process has read through read-like system calls so far.
std::uint64_t BytesReadByProcess() {
  std::ifstream io("/proc/self/io");
  std::string key;
  std::uint64_t value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return 0;
}

// One measurement: a run handles Pictures pictures and returns how many of
// them failed (which should be none).
struct BenchCase {
  std::string Label;
  std::size_t Pictures;
  std::function<std::size_t()> Run;
};

struct Figures {
  double Seconds = 0;        // median of the timed runs
  std::uint64_t Bytes = 0;   // read in one run
  std::size_t Failures = 0;  // in one run
};

// Runs every case once to warm the file cache and the directory entries,
// then times them in turns, so that a change in the machine's load touches
// all of them alike.
std::vector<Figures> Measure(const std::vector<BenchCase>& cases, int runs) {
  for (const BenchCase& c : cases) c.Run();
  std::vector<std::vector<double>> times(cases.size());
  std::vector<Figures> figures(cases.size());
  for (int run = 0; run < runs; ++run)
    for (std::size_t i = 0; i < cases.size(); ++i) {
      const std::uint64_t bytesBefore = BytesReadByProcess();
      const auto start = std::chrono::steady_clock::now();
      figures[i].Failures = cases[i].Run();
      times[i].push_back(
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      figures[i].Bytes = BytesReadByProcess() - bytesBefore;
    }
  for (std::size_t i = 0; i < cases.size(); ++i) {
    std::sort(times[i].begin(), times[i].end());
    figures[i].Seconds = times[i][times[i].size() / 2];
  }
  return figures;
}

// Boxes of a build that nobody looks at.
class SilentMessages : public MessageBoxes {
 public:
  void ShowPlainMessage(const std::string&) override {}
  void ShowInformationDialog(const std::string&) override {}
  void ShowErrorMessage(const Exception&) override {}
};

std::vector<BenchCase> Cases(const BenchFolder& folder, const Options& options) {
  std::vector<const BenchPicture*> jpegs, all;
  for (const BenchPicture& p : folder.Pictures) {
    all.push_back(&p);
    if (p.Kind == PictureKind::Jpeg) jpegs.push_back(&p);
  }
  const ScreenMetrics screen;
  const std::string dir = folder.Path;
  auto probeEach = [dir, screen](std::vector<const BenchPicture*> pictures, bool lower) {
    return [dir, screen, pictures, lower]() {
      PictureProbe probe;
      std::size_t failures = 0;
      for (const BenchPicture* p : pictures) {
        try {
          ProbePicture(probe, dir, lower ? LowerAscii(p->Name) : p->Name, screen);
          if (probe.ProbeWidth != p->Width || probe.ProbeHeight != p->Height) ++failures;
        } catch (const Exception&) {
          ++failures;
        }
      }
      return failures;
    };
  };

  std::vector<BenchCase> cases;
  cases.push_back({"(a) libjpeg headers over stdio, JPEGs", jpegs.size(), [dir, jpegs]() {
                     StdioHeaderReader reader{};
                     std::size_t failures = 0;
                     for (const BenchPicture* p : jpegs) {
                       const std::string path = dir + "/" + p->Name;
                       if (StdioJpegWidth(path.c_str(), reader) != p->StoredWidth) ++failures;
                     }
                     return failures;
                   }});
  cases.push_back({"(b) ProbePicture, JPEGs", jpegs.size(), probeEach(jpegs, false)});
  cases.push_back({"(b) ProbePicture, every picture", all.size(), probeEach(all, false)});
  if (options.LowerNames)
    cases.push_back({"(b) ProbePicture, lower-cased names", all.size(), probeEach(all, true)});
  // (c) The whole album build behind "Create Album", from the listed names
  // (the listing itself is measured by listing_bench): descriptions merged
  // from "!.KVD", template, fragments, page.
  std::vector<std::string> names;
  for (const BenchPicture* p : all) names.push_back(p->Name);
  cases.push_back({"(c) whole album build", all.size(), [dir, names]() -> std::size_t {
                     SilentMessages messages;
                     VersionInfo version;
                     ReadVersionInfo(version, &ProgramVersionRecord());
                     ImageTable table;
                     AlbumEnvironment env(dir, table, version, messages);
                     AlbumBuildState state;
                     AlbumInput input;
                     input.Title = "Bench";
                     input.IndexName = "album.html";
                     input.PictureFiles = names;
                     try {
                       return CreateAlbum(state, input, env) ? 0 : 1;
                     } catch (const Exception& e) {
                       std::fprintf(stderr, "album build: %s\n", e.Message().c_str());
                       return 1;
                     }
                   }});
  return cases;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--count" && hasValue) {
      options.Count = std::atoi(argv[++i]);
    } else if (arg == "--folder" && hasValue) {
      options.Folder = argv[++i];
    } else if (arg == "--runs" && hasValue) {
      options.Runs = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--keep") {
      options.Keep = true;
    } else if (arg == "--links") {
      options.Links = true;
    } else if (arg == "--lower-names") {
      options.LowerNames = true;
    } else if (arg == "--lower-case-files") {
      options.LowerCaseFiles = true;
    } else {
      std::fprintf(stderr,
                   "usage: %s [--count N] [--folder DIR] [--keep] [--links] [--lower-names]\n"
                   "          [--lower-case-files] [--runs R]\n",
                   argv[0]);
      return false;
    }
  }
  return options.Count > 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) return 2;
  const bool temporary = options.Folder.empty();
  const std::string path = temporary ? MakeTempBenchFolder() : options.Folder;

  BenchFolderOptions folderOptions;
  folderOptions.JpegCount = options.Count;
  folderOptions.HardLinks = options.Links;
  folderOptions.UpperCaseNames = !options.LowerCaseFiles;
  const auto start = std::chrono::steady_clock::now();
  const BenchFolder folder = MakeBenchFolder(path, folderOptions);
  const double generation =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::size_t exif = 0, turned = 0;
  std::uint64_t bytes = 0;
  for (const BenchPicture& p : folder.Pictures) {
    exif += p.HasExif ? 1 : 0;
    turned += p.Width != p.StoredWidth ? 1 : 0;
    bytes += p.Bytes;
  }
  std::printf(
      "folder %s: %zu pictures (%d JPEGs, %zu with EXIF, %zu stored sideways), %.0f MB%s, made in "
      "%.1f s\n",
      folder.Path.c_str(), folder.Pictures.size(), options.Count, exif, turned, bytes / 1e6,
      options.Links ? " as hard links to a few files" : "", generation);
  std::printf("warm cache; median of %d runs in turns after one warm-up run each\n\n",
              options.Runs);
  std::printf("%-40s %9s %12s %14s %12s %9s\n", "measurement", "pictures", "total ms", "us/picture",
              "bytes/picture", "vs (a)");

  const std::vector<BenchCase> cases = Cases(folder, options);
  const std::vector<Figures> figures = Measure(cases, options.Runs);
  double baselinePerPicture = 0;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const BenchCase& c = cases[i];
    const Figures& f = figures[i];
    const double perPicture = f.Seconds / static_cast<double>(c.Pictures) * 1e6;
    if (baselinePerPicture == 0) baselinePerPicture = perPicture;
    std::printf("%-40s %9zu %12.1f %14.2f %12.0f %8.2fx", c.Label.c_str(), c.Pictures,
                f.Seconds * 1e3, perPicture,
                static_cast<double>(f.Bytes) / static_cast<double>(c.Pictures),
                perPicture / baselinePerPicture);
    if (f.Failures) std::printf("  (%zu failures)", f.Failures);
    std::printf("\n");
  }

  if (temporary && !options.Keep) RemoveBenchFolder(path);
  return 0;
}
