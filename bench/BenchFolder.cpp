#include "BenchFolder.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "support/PictureFixtures.h"

namespace {

constexpr std::size_t RecordSize = 513;
constexpr std::size_t NameLengthAt = 0;
constexpr std::size_t NameAt = 1;
constexpr std::size_t DescriptionLengthAt = 256;
constexpr std::size_t DescriptionAt = 257;
constexpr std::size_t FieldMax = 255;

void WriteFile(const std::string& path, const std::string& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("cannot create " + path);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      close(fd);
      throw std::runtime_error("cannot write " + path);
    }
    done += static_cast<std::size_t>(n);
  }
  close(fd);
}

std::string NumberedName(const char* prefix, int number, const char* extension, bool upper) {
  char name[64];
  std::snprintf(name, sizeof name, "%s_%05d.%s", prefix, number, extension);
  std::string text(name);
  if (!upper)
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return text;
}

struct Encoded {
  std::string Bytes;
  int Width;  // upright
  int Height;
  int StoredWidth;
  bool HasExif;
  std::string MasterPath;  // the first file written with these bytes
};

}  // namespace

std::string DescriptionRecord(const std::string& name, const std::string& description) {
  std::string record(RecordSize, '\0');
  const std::size_t nameLength = std::min(name.size(), FieldMax);
  const std::size_t descriptionLength = std::min(description.size(), FieldMax);
  record[NameLengthAt] = static_cast<char>(nameLength);
  record.replace(NameAt, nameLength, name, 0, nameLength);
  record[DescriptionLengthAt] = static_cast<char>(descriptionLength);
  record.replace(DescriptionAt, descriptionLength, description, 0, descriptionLength);
  return record;
}

BenchFolder MakeBenchFolder(const std::string& folder, const BenchFolderOptions& options) {
  std::filesystem::create_directories(folder);
  BenchFolder result;
  result.Path = folder;

  // Landscape and portrait, each without EXIF and with three EXIF sizes
  // (one of them in big-endian "MM" order). A portrait picture with EXIF is
  // stored as 1600 x 1200 with orientation 6.
  std::vector<Encoded> jpegs;
  for (bool portrait : {false, true})
    for (std::size_t exif : {0, 30 * 1024, 40 * 1024, 50 * 1024}) {
      const int w = portrait ? 1200 : 1600, h = portrait ? 1600 : 1200;
      if (exif == 0) {
        jpegs.push_back({MakeJpeg(w, h, 90), w, h, w, false, {}});
        continue;
      }
      const std::string stored = MakeJpeg(1600, 1200, 90);
      jpegs.push_back(
          {WithExif(stored, portrait ? 6 : 1, exif == 40 * 1024, exif), w, h, 1600, true, {}});
    }
  auto pick = [&](int i) -> Encoded& {
    const bool portrait = i % 4 == 3;
    const bool exif = i % 10 < 6;  // six in ten
    const int exifVariant = 1 + (i / 10) % 3;
    return jpegs[(portrait ? 4 : 0) + (exif ? exifVariant : 0)];
  };

  auto place = [&](Encoded& image, const std::string& name, PictureKind kind) {
    const std::string path = folder + "/" + name;
    if (options.HardLinks && !image.MasterPath.empty()) {
      unlink(path.c_str());
      if (link(image.MasterPath.c_str(), path.c_str()) != 0)
        throw std::runtime_error("cannot link " + path);
    } else {
      WriteFile(path, image.Bytes);
      if (image.MasterPath.empty()) image.MasterPath = path;
    }
    result.Pictures.push_back({name, kind, image.Width, image.Height, image.StoredWidth,
                               image.Bytes.size(), image.HasExif});
  };

  for (int i = 0; i < options.JpegCount; ++i)
    place(pick(i), NumberedName(options.JpegPrefix, i + 1, "JPG", options.UpperCaseNames),
          PictureKind::Jpeg);

  std::vector<Encoded> bitmaps{{MakeBmp(1024, 768, 24), 1024, 768, 1024, false, {}},
                               {MakeBmp(600, 800, 8), 600, 800, 600, false, {}}};
  for (int i = 0; i < options.BitmapCount; ++i)
    place(bitmaps[static_cast<std::size_t>(i % 2)],
          NumberedName("SCAN", i + 1, "BMP", options.UpperCaseNames), PictureKind::Bitmap);

  std::sort(result.Pictures.begin(), result.Pictures.end(),
            [](const BenchPicture& a, const BenchPicture& b) { return a.Name < b.Name; });
  std::string descriptions;
  descriptions.reserve(result.Pictures.size() * RecordSize);
  for (std::size_t i = 0; i < result.Pictures.size(); ++i)
    descriptions += DescriptionRecord(result.Pictures[i].Name,
                                      "Picture " + std::to_string(i + 1) + " of the benchmark");
  WriteFile(folder + "/!.KVD", descriptions);
  return result;
}

std::string MakeTempBenchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ambrelin-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  return pattern;
}

void RemoveBenchFolder(const std::string& folder) {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

ShellRun RunShell(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  ShellRun run;
  run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.CpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  run.PeakKilobytes = usage.ru_maxrss;
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (run.Status != 0) std::fprintf(stderr, "exit %d: %s\n", run.Status, command.c_str());
  return run;
}
