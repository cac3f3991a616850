// The whole ambrelin-build process against the limit: jpeg_header_loop, a
// bare libjpeg-turbo loop that reads the header of every JPEG of the same
// folder and does nothing else, as a straightforward program does (and
// with --lean, with the least work there is). They run as separate
// processes, in turns (loop, lean loop, build, loop, ...), so a change in
// the machine's load touches all alike; the figures are medians, the
// ratios against the straightforward loop. Two folders of the same pictures:
// lower-case names (dsc_00001.jpg) and camera names in capitals
// (DSC_00001.JPG), whose build warns that the page's lower-cased links miss
// them. Reported per program: wall time, CPU time (user and system), peak
// memory (the largest resident set), and the lines the build wrote to
// standard error. Linux counts in a child's peak the memory it shared with
// this process until it started the program, so a peak below this
// process's own few megabytes (the loop's) is an upper bound.
//
//   build_process_bench [--count N] [--runs R] [--cold] [--folder DIR] [--keep]
//                       [--build PATH] [--loop PATH]
//
// The pictures (BenchFolder: camera-like 2-megapixel JPEGs, six in ten with
// a 30-50 KB EXIF block, and a description per picture in "!.KVD") are
// written once as separate files; the camera folder holds hard links to
// them under its own names. Both go to a new temporary folder, removed at
// the end unless --keep or --folder is given; a --folder that holds the
// folders of an earlier run is used as it is. The page cache is warmed by
// one run of each program first. --cold also measures every run after
// dropping the page cache ("echo 3 > /proc/sys/vm/drop_caches", root only),
// and says so when that is not permitted.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchFolder.h"

namespace {

struct Options {
  int Count = 10000;
  int Runs = 5;
  bool Cold = false;
  std::string Folder;
  bool Keep = false;
  std::string Build = AMBRELIN_BUILD_PATH;
  std::string Loop = JPEG_HEADER_LOOP_PATH;
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
    else if (arg == "--build" && hasValue)
      options.Build = argv[++i];
    else if (arg == "--loop" && hasValue)
      options.Loop = argv[++i];
    else if (arg == "--cold")
      options.Cold = true;
    else if (arg == "--keep")
      options.Keep = true;
    else
      return false;
  }
  return options.Count > 0;
}

// One run of a program.
struct RunFigures {
  double Seconds = 0;
  double CpuSeconds = 0;     // user and system time
  double PeakMegabytes = 0;  // the largest resident set
  std::size_t ErrorLines = 0;
};

// Runs program with args, standard output thrown away and standard error
// counted in lines; fails on a start failure or an exit status other than 0.
RunFigures RunProcess(const std::vector<std::string>& command) {
  char errName[] = "/tmp/ambrelin-bench-stderr-XXXXXX";
  const int errFd = mkstemp(errName);
  if (errFd < 0) throw std::runtime_error("cannot create a temporary file");
  unlink(errName);
  std::vector<char*> argv;
  for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  // Spawned without copying this process's memory (posix_spawn shares it
  // until the exec), so the child's peak is its own once it exceeds this
  // process's resident set.
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&files, errFd, STDERR_FILENO);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  if (spawned != 0) throw std::runtime_error("cannot start " + command[0]);
  int status = 0;
  struct rusage usage {};
  if (wait4(pid, &status, 0, &usage) != pid) throw std::runtime_error("wait4 failed");
  RunFigures figures;
  figures.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  figures.CpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  figures.PeakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;  // KB on Linux

  std::string errText;
  char buffer[65536];
  ssize_t n;
  lseek(errFd, 0, SEEK_SET);
  while ((n = read(errFd, buffer, sizeof buffer)) > 0) errText.append(buffer, n);
  close(errFd);
  figures.ErrorLines = static_cast<std::size_t>(std::count(errText.begin(), errText.end(), '\n'));
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error(command[0] + " failed: " + errText.substr(0, 2000));
  return figures;
}

// Empties the page cache; false when this process may not.
bool DropPageCache() {
  sync();
  std::ofstream drop("/proc/sys/vm/drop_caches");
  if (!drop) return false;
  drop << "3\n";
  drop.flush();
  return static_cast<bool>(drop);
}

struct Case {
  std::string Names;    // which folder
  std::string Program;  // which program
  std::vector<std::string> Command;
  std::vector<RunFigures> Runs;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Runs the cases in turns, runs times; cold drops the page cache first.
void Measure(std::vector<Case>& cases, int runs, bool cold) {
  for (Case& c : cases) c.Runs.clear();
  for (int run = 0; run < runs; ++run)
    for (Case& c : cases) {
      if (cold) DropPageCache();
      c.Runs.push_back(RunProcess(c.Command));
    }
}

// Wall time is what the user waits for; CPU time (user and system) leaves
// out the waits for the disk and for other processes on a busy machine.
void Report(const std::vector<Case>& cases) {
  std::printf("%-14s %-17s %9s %9s %8s %9s %8s %8s %7s\n", "names", "program", "median ms",
              "fastest", "vs loop", "cpu ms", "vs loop", "peak MB", "stderr");
  double loop = 0, loopCpu = 0;
  for (const Case& c : cases) {
    std::vector<double> seconds, cpu, peaks;
    for (const RunFigures& r : c.Runs) {
      seconds.push_back(r.Seconds);
      cpu.push_back(r.CpuSeconds);
      peaks.push_back(r.PeakMegabytes);
    }
    const double median = Median(seconds), medianCpu = Median(cpu);
    if (c.Program == "jpeg_header_loop") {
      loop = median;
      loopCpu = medianCpu;
    }
    std::printf("%-14s %-17s %9.1f %9.1f %7.2fx %9.1f %7.2fx %8.1f %7zu\n", c.Names.c_str(),
                c.Program.c_str(), median * 1e3,
                *std::min_element(seconds.begin(), seconds.end()) * 1e3, median / loop,
                medianCpu * 1e3, medianCpu / loopCpu, *std::max_element(peaks.begin(), peaks.end()),
                c.Runs.back().ErrorLines);
  }
}

// A second folder of the same files under camera names in capitals, as hard
// links (each picture keeps a file of its own), with its own "!.KVD".
void LinkCameraFolder(const BenchFolder& lower, const std::string& folder) {
  std::filesystem::create_directories(folder);
  std::string descriptions;
  for (std::size_t i = 0; i < lower.Pictures.size(); ++i) {
    std::string name = lower.Pictures[i].Name;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    const std::string from = lower.Path + "/" + lower.Pictures[i].Name;
    if (link(from.c_str(), (folder + "/" + name).c_str()) != 0)
      throw std::runtime_error("cannot link " + from);
    descriptions +=
        DescriptionRecord(name, "Picture " + std::to_string(i + 1) + " of the benchmark");
  }
  std::ofstream(folder + "/!.KVD", std::ios::binary) << descriptions;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: build_process_bench [--count N] [--runs R] [--cold] [--folder DIR] "
                 "[--keep] [--build PATH] [--loop PATH]\n");
    return 2;
  }
  const bool madeFolder = options.Folder.empty();
  const std::string base = madeFolder ? MakeTempBenchFolder() : options.Folder;
  try {
    const std::string lower = base + "/lower", camera = base + "/camera";
    if (std::filesystem::exists(lower + "/!.KVD") && std::filesystem::exists(camera + "/!.KVD")) {
      std::printf("Folders of an earlier run in %s/{lower,camera}\n", base.c_str());
    } else {
      BenchFolderOptions folderOptions;
      folderOptions.JpegCount = options.Count;
      folderOptions.BitmapCount = 0;  // JPEGs only, as the loop reads them
      folderOptions.UpperCaseNames = false;
      folderOptions.JpegPrefix = "DSC";
      folderOptions.HardLinks = false;
      const auto madeStart = std::chrono::steady_clock::now();
      const BenchFolder made = MakeBenchFolder(lower, folderOptions);
      LinkCameraFolder(made, camera);
      std::uint64_t bytes = 0;
      for (const BenchPicture& p : made.Pictures) bytes += p.Bytes;
      std::printf(
          "%zu JPEGs (%.0f MB) in %s/{lower,camera}, made in %.1f s\n", made.Pictures.size(),
          static_cast<double>(bytes) / 1e6, base.c_str(),
          std::chrono::duration<double>(std::chrono::steady_clock::now() - madeStart).count());
    }
    std::printf("ambrelin-build: %s\njpeg_header_loop: %s\n", options.Build.c_str(),
                options.Loop.c_str());

    const std::vector<std::string> buildArgs{"--title", "Ten thousand pictures", "--index",
                                             "album.html"};
    std::vector<Case> cases;
    for (const auto& [names, folder] :
         {std::pair<std::string, std::string>{"lower-case", lower}, {"camera (DSC_)", camera}}) {
      cases.push_back({names, "jpeg_header_loop", {options.Loop, folder}, {}});
      cases.push_back({names, "loop --lean", {options.Loop, "--lean", folder}, {}});
      std::vector<std::string> build{options.Build};
      build.insert(build.end(), buildArgs.begin(), buildArgs.end());
      build.push_back(folder);
      cases.push_back({names, "ambrelin-build", build, {}});
    }

    Measure(cases, 1, false);  // warms the cache and makes the template
    Measure(cases, options.Runs, false);
    std::printf("\nWarm page cache, medians of %d runs in turns:\n", options.Runs);
    Report(cases);

    if (options.Cold) {
      if (!DropPageCache()) {
        std::printf(
            "\nCold page cache: not measured, /proc/sys/vm/drop_caches may not be "
            "written by this user.\n");
      } else {
        Measure(cases, options.Runs, true);
        std::printf("\nCold page cache (dropped before each run), medians of %d runs in turns:\n",
                    options.Runs);
        Report(cases);
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "build_process_bench: %s\n", e.what());
    if (madeFolder && !options.Keep) RemoveBenchFolder(base);
    return 1;
  }
  if (madeFolder && !options.Keep)
    RemoveBenchFolder(base);
  else
    std::printf("Kept %s\n", base.c_str());
  return 0;
}
