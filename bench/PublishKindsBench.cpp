// Publishing phone and camera pictures against the floor and the peers, on
// the same files and cores:
// - JPEG, 12 MP, to 2048 px: `ambrelin-build --publish DIR --max-size 2048`
//   against the limit of libjpeg-turbo's own tools, `djpeg -scale M/8` at
//   the DCT scale the copy decodes at plus `cjpeg -quality 90` of a picture
//   of the output size, each file once, two processes at a time;
// - HEIC, 12 MP (a grid of 512 x 512 tiles, as phones write it), to 2048 px:
//   ours against libheif's decode alone (heif_decode_image on two threads,
//   in this process) and
// - both kinds against `vipsthumbnail --size 2048 -o '%s.jpg[Q=90,strip]'`,
//   five files per process, two processes.
// Prints wall and processor time (all processes), their ratios, our peak
// memory and the bytes of the published folder against the pictures'.
//
//   publish_kinds_bench [--folder DIR] [--jpegs N] [--heics N] [--runs R]
//
// The pictures are high-entropy (a photo-like pattern under per-pixel noise:
// about 4 MB a JPEG at quality 90, as phone and camera pictures are) and
// are kept in --folder between runs.
#include <sys/resource.h>

#include <QImage>

#include <libheif/heif.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "BenchFolder.h"
#include "support/PhoneFixtures.h"
#include "support/PictureFixtures.h"

namespace fs = std::filesystem;

namespace {

constexpr int Width = 4000, Height = 3000, MaxSize = 2048;

struct Figures {
  double Wall = 0;
  double Cpu = 0;
  long PeakKb = 0;
};

double Seconds(const timeval& t) {
  return t.tv_sec + t.tv_usec / 1e6;
}

Figures Run(const std::string& command) {
  const ShellRun run = RunShell(command);
  return {run.Seconds, run.CpuSeconds, run.PeakKilobytes};
}

// The median of runs, by wall time.
Figures Median(int runs, const std::function<Figures()>& once) {
  std::vector<Figures> all;
  for (int i = 0; i < runs; ++i) all.push_back(once());
  std::sort(all.begin(), all.end(), [](auto& a, auto& b) { return a.Wall < b.Wall; });
  return all[all.size() / 2];
}

void Print(const char* name, const Figures& f, int files, const Figures* base = nullptr) {
  std::printf("  %-44s wall %6.2f s  CPU %6.2f s (%4.0f ms a picture)", name, f.Wall, f.Cpu,
              f.Cpu * 1000 / files);
  if (base) std::printf("  ours: %.2fx wall, %.2fx CPU", base->Wall / f.Wall, base->Cpu / f.Cpu);
  std::printf("\n");
}

// A photo-like pattern under strong per-pixel noise, turned into a portrait
// for odd seeds.
QImage NoisyPhoto(unsigned seed) {
  QImage image(Width, Height, QImage::Format_RGB888);
  std::minstd_rand random(seed);
  for (int y = 0; y < Height; ++y) {
    unsigned char* line = image.scanLine(y);
    for (int x = 0; x < Width; ++x) {
      const int shade = ((x / 600) + (y / 450) + static_cast<int>(seed)) % 3 * 25;
      const int base[3] = {40 + 170 * x / Width + shade, 60 + 150 * y / Height,
                           120 + 90 * ((x + 2 * y) % 1700) / 1700 - shade};
      for (int c = 0; c < 3; ++c)
        line[3 * x + c] = static_cast<unsigned char>(
            std::clamp(base[c] + static_cast<int>(random() % 33) - 16, 0, 255));
    }
  }
  return seed % 2 ? image.transformed(QTransform().rotate(90)) : image;
}

void MakeFolder(const fs::path& folder, const char* extension, int count) {
  fs::create_directories(folder);
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "pic_%03d.%s", i, extension);
    if (fs::exists(folder / name)) continue;
    std::printf("making %s\n", (folder / name).c_str());
    std::fflush(stdout);
    const QImage photo = NoisyPhoto(static_cast<unsigned>(i));
    std::string bytes;
    if (std::string(extension) == "jpg") {
      const QImage rgb = photo.convertToFormat(QImage::Format_RGB888);
      bytes = EncodeJpegRows(rgb.width(), rgb.height(), 3, 90, [&](int y, unsigned char* row) {
        std::copy_n(rgb.constScanLine(y), rgb.width() * 3, row);
      });
    } else {
      drawfx::HeicOptions options;
      options.Quality = 60;
      options.TileSize = 512;
      options.ThumbnailSize = 320;
      options.Preset = "fast";
      bytes = drawfx::EncodeHeic(photo, options);
    }
    std::ofstream(folder / name, std::ios::binary) << bytes;
  }
}

std::uintmax_t FolderBytes(const fs::path& folder, const char* extension) {
  std::uintmax_t bytes = 0;
  for (const auto& entry : fs::directory_iterator(folder))
    if (!extension || entry.path().extension() == extension) bytes += entry.file_size();
  return bytes;
}

std::string Files(const fs::path& folder, const char* extension) {
  return "ls '" + folder.string() + "'/*." + extension;
}

// libheif's decode of every file to interleaved RGB, two threads.
Figures LibheifDecode(const fs::path& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".heic") files.push_back(entry.path());
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  const auto start = std::chrono::steady_clock::now();
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i; (i = next++) < files.size();) {
      heif_context* context = heif_context_alloc();
      heif_image_handle* handle = nullptr;
      heif_image* image = nullptr;
      heif_context_set_max_decoding_threads(context, 0);  // one each, as publishing's workers
      heif_context_read_from_file(context, files[i].c_str(), nullptr);
      heif_context_get_primary_image_handle(context, &handle);
      heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr);
      heif_image_release(image);
      heif_image_handle_release(handle);
      heif_context_free(context);
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  getrusage(RUSAGE_SELF, &after);
  Figures f;
  f.Wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  f.Cpu = Seconds(after.ru_utime) + Seconds(after.ru_stime) - Seconds(before.ru_utime) -
          Seconds(before.ru_stime);
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = "/var/tmp/ambrelin-kinds-bench";
  int jpegs = 40, heics = 10, runs = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    if (key == "--folder") folder = argv[i + 1];
    if (key == "--jpegs") jpegs = std::stoi(argv[i + 1]);
    if (key == "--heics") heics = std::stoi(argv[i + 1]);
    if (key == "--runs") runs = std::stoi(argv[i + 1]);
  }
  const fs::path root(folder), jpegDir = root / "jpeg", heicDir = root / "heic", out = root / "out";
  MakeFolder(jpegDir, "jpg", jpegs);
  MakeFolder(heicDir, "heic", heics);
  heif_init(nullptr);

  const std::string build = AMBRELIN_BUILD_PATH;
  auto ours = [&](const fs::path& pictures, const char* options) {
    return Median(runs, [&] {
      fs::remove_all(out);
      return Run("'" + build + "' " + options + " --publish '" + out.string() +
                 "' --max-size 2048 '" + pictures.string() + "' >/dev/null");
    });
  };
  auto vips = [&](const fs::path& pictures, const char* extension) {
    return Median(runs, [&] {
      fs::remove_all(out);
      fs::create_directories(out);
      return Run(Files(pictures, extension) + " | xargs -n5 -P2 vipsthumbnail --size " +
                 std::to_string(MaxSize) + " -o '" + out.string() + "/%s.jpg[Q=90,strip]'");
    });
  };

  // The copy decodes 4000 x 3000 at 5/8 (2500 x 1875), the smallest DCT
  // scale that still covers 2048 x 1536.
  fs::remove_all(out);
  std::printf("\nJPEG, %d pictures of %d x %d (%.1f MB on average), to %d px:\n", jpegs, Width,
              Height, FolderBytes(jpegDir, ".jpg") / 1e6 / jpegs, MaxSize);
  const Figures ourJpeg = ours(jpegDir, "");
  const std::uintmax_t publishedJpeg = FolderBytes(out, nullptr);
  const fs::path output = root / "output.ppm";  // a copy's pixels, for cjpeg
  NoisyPhoto(0)
      .scaled(MaxSize, MaxSize * Height / Width, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
      .save(QString::fromStdString(output.string()), "PPM");
  const Figures limit = Median(runs, [&] {
    const Figures decode =
        Run(Files(jpegDir, "jpg") + " | xargs -P2 -I{} sh -c 'djpeg -scale 5/8 {} >/dev/null'");
    const Figures encode =
        Run(Files(jpegDir, "jpg") + " | xargs -P2 -I{} sh -c 'cjpeg -quality 90 " +
            output.string() + " >/dev/null'");
    return Figures{decode.Wall + encode.Wall, decode.Cpu + encode.Cpu, 0};
  });
  Print("ambrelin-build --publish", ourJpeg, jpegs);
  Print("limit: djpeg -scale 5/8 + cjpeg -quality 90", limit, jpegs, &ourJpeg);
  Print("vipsthumbnail, 5 files a process, 2 processes", vips(jpegDir, "jpg"), jpegs, &ourJpeg);
  std::printf("  our peak memory %.1f MB; published %.1f MB of %.1f MB of pictures\n",
              ourJpeg.PeakKb / 1024.0, publishedJpeg / 1e6, FolderBytes(jpegDir, ".jpg") / 1e6);

  std::printf("\nHEIC, %d pictures of %d x %d (%.1f MB on average), to %d px:\n", heics, Width,
              Height, FolderBytes(heicDir, ".heic") / 1e6 / heics, MaxSize);
  const Figures ourHeic = ours(heicDir, "--all-kinds");
  const std::uintmax_t publishedHeic = FolderBytes(out, nullptr);
  const Figures floor = Median(runs, [&] { return LibheifDecode(heicDir); });
  Print("ambrelin-build --all-kinds --publish", ourHeic, heics);
  Print("floor: libheif's decode alone, 2 threads", floor, heics, &ourHeic);
  Print("vipsthumbnail, 5 files a process, 2 processes", vips(heicDir, "heic"), heics, &ourHeic);
  std::printf("  our peak memory %.1f MB; published %.1f MB of %.1f MB of pictures\n",
              ourHeic.PeakKb / 1024.0, publishedHeic / 1e6, FolderBytes(heicDir, ".heic") / 1e6);
  heif_deinit();
  return 0;
}
