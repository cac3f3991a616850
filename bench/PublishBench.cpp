// Publishing camera pictures for the web, side by side with the tools
// people use for it: `ambrelin-build --publish DIR --max-size 2048` against
// `vipsthumbnail --size 2048` and ImageMagick's
// `convert -resize 2048x2048 -strip -quality 90`, each of the two run over
// the same files two processes at a time (xargs -P2). Prints the wall times
// and their ratios, the peak memory of our publish, a second publish with
// nothing changed against the album build alone, the quality of our copies
// (PSNR against ImageMagick's Lanczos resize of the upright original) and
// the bytes of the published folder against the pictures'.
//
//   publish_bench [--count N] [--folder DIR] [--runs R] [--no-psnr]
//
// The pictures are camera-like 12-megapixel JPEGs (quality 90): 4000 x 3000
// and 3000 x 4000, with an EXIF block holding a GPS position, a serial
// number and an embedded thumbnail; one in four is stored 4000 x 3000 with
// orientation 6 or 8 (a portrait picture from a phone). They go to --folder
// (made once and reused while it holds N pictures) or to a temporary folder
// removed at the end. Needs vipsthumbnail (libvips-tools) and
// /usr/bin/convert and compare (imagemagick); bench/run-publish-bench.sh
// installs them and builds in Release.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <jpeglib.h>

#include "BenchFolder.h"
#include "support/PictureFixtures.h"

namespace fs = std::filesystem;

namespace {

struct Options {
  int Count = 100;
  std::string Folder;
  int Runs = 3;
  bool Psnr = true;
};

// ---- camera-like pictures ------------------------------------------------

// Smooth value noise: a coarse random grid, interpolated.
class ValueNoise {
 public:
  ValueNoise(int cells, unsigned seed) : Cells(cells), Grid((cells + 2) * (cells + 2)) {
    std::mt19937 random(seed);
    for (auto& v : Grid) v = std::uniform_real_distribution<float>(-1, 1)(random);
  }
  // x, y in 0..1.
  float At(float x, float y) const {
    const float gx = x * Cells, gy = y * Cells;
    const int ix = static_cast<int>(gx), iy = static_cast<int>(gy);
    const float fx = Smooth(gx - ix), fy = Smooth(gy - iy);
    auto g = [&](int i, int j) { return Grid[static_cast<std::size_t>(j) * (Cells + 2) + i]; };
    const float top = g(ix, iy) + (g(ix + 1, iy) - g(ix, iy)) * fx;
    const float bottom = g(ix, iy + 1) + (g(ix + 1, iy + 1) - g(ix, iy + 1)) * fx;
    return top + (bottom - top) * fy;
  }

 private:
  static float Smooth(float t) { return t * t * (3 - 2 * t); }
  int Cells;
  std::vector<float> Grid;
};

// A w x h picture as a camera might take it: a sky-like gradient, hills
// and foliage of several octaves of noise, a few hard-edged objects, and
// sensor noise. JPEG quality 90.
std::string CameraJpeg(int w, int h, unsigned seed) {
  std::mt19937 random(seed);
  const ValueNoise shapes(6, seed * 7 + 1), texture(90, seed * 7 + 2), fine(400, seed * 7 + 3);
  const ValueNoise hue(4, seed * 7 + 4);
  struct Box {
    float X0, Y0, X1, Y1;
    unsigned char R, G, B;
  };
  std::vector<Box> boxes;
  for (int i = 0; i < 6; ++i) {
    const float x = std::uniform_real_distribution<float>(0, 0.9f)(random);
    const float y = std::uniform_real_distribution<float>(0.3f, 0.9f)(random);
    boxes.push_back({x, y, x + std::uniform_real_distribution<float>(0.02f, 0.15f)(random),
                     y + std::uniform_real_distribution<float>(0.02f, 0.2f)(random),
                     static_cast<unsigned char>(random() % 256),
                     static_cast<unsigned char>(random() % 256),
                     static_cast<unsigned char>(random() % 256)});
  }
  std::normal_distribution<float> sensor(0, 2.5f);
  return EncodeJpegRows(w, h, 3, 90, [&](int line, unsigned char* row) {
    const float y = static_cast<float>(line) / h;
    for (int px = 0; px < w; ++px) {
      const float x = static_cast<float>(px) / w;
      const float horizon = 0.45f + 0.12f * shapes.At(x, 0.5f);
      float r, g, b;
      if (y < horizon) {  // sky with clouds
        const float cloud = std::max(0.0f, texture.At(x, y) * 0.8f + shapes.At(x, y) * 0.5f);
        r = 110 + 80 * y + 120 * cloud;
        g = 150 + 60 * y + 100 * cloud;
        b = 220 - 20 * y + 35 * cloud;
      } else {  // land: hills and foliage
        const float detail = texture.At(x, y) * 0.6f + fine.At(x, y) * 0.4f;
        const float tint = hue.At(x, y);
        r = 70 + 50 * tint + 60 * detail;
        g = 100 + 30 * shapes.At(y, x) + 70 * detail;
        b = 40 + 30 * tint + 40 * detail;
      }
      for (const Box& box : boxes)
        if (x >= box.X0 && x < box.X1 && y >= box.Y0 && y < box.Y1) {
          r = box.R + 20 * fine.At(x, y);
          g = box.G + 20 * fine.At(x, y);
          b = box.B + 20 * fine.At(x, y);
        }
      const float n = sensor(random);
      row[px * 3] = static_cast<unsigned char>(std::clamp(r + n, 0.0f, 255.0f));
      row[px * 3 + 1] = static_cast<unsigned char>(std::clamp(g + n, 0.0f, 255.0f));
      row[px * 3 + 2] = static_cast<unsigned char>(std::clamp(b + n, 0.0f, 255.0f));
    }
  });
}

std::string PictureName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "IMG_%04d.JPG", i + 1);
  return name;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

// Fills folder with count pictures unless it holds them already.
void MakeCameraFolder(const std::string& folder, int count) {
  fs::create_directories(folder);
  int present = 0;
  for (int i = 0; i < count; ++i) present += fs::exists(fs::path(folder) / PictureName(i));
  if (present == count) return;
  std::cerr << "Making " << count << " camera-like 12-megapixel pictures in " << folder << "\n";
  for (int i = 0; i < count; ++i) {
    const auto path = fs::path(folder) / PictureName(i);
    if (fs::exists(path)) continue;
    // 0: landscape; 1: portrait as stored; 2, 3: landscape stored, shown
    // as portrait by orientation 6 or 8.
    const int kind = i % 4;
    const bool tall = kind == 1;
    const std::string jpeg = CameraJpeg(tall ? 3000 : 4000, tall ? 4000 : 3000, 1000 + i);
    const std::string thumbnail = CameraJpeg(160, 120, 1000 + i);
    WriteFile(path, WithCameraExif(jpeg, kind == 2 ? 6 : kind == 3 ? 8 : 1, thumbnail));
    std::cerr << "\r" << i + 1 << "/" << count << std::flush;
  }
  std::cerr << "\n";
}

// ---- running and timing ----------------------------------------------------

using Run = ShellRun;

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

std::uint64_t FolderBytes(const std::string& folder, const std::string& extension) {
  std::uint64_t total = 0;
  for (const auto& e : fs::directory_iterator(folder)) {
    std::string ext = e.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
    if (e.is_regular_file() && (extension.empty() || ext == extension)) total += e.file_size();
  }
  return total;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

std::string Seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", s);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--count" && i + 1 < argc)
      options.Count = std::atoi(argv[++i]);
    else if (arg == "--folder" && i + 1 < argc)
      options.Folder = argv[++i];
    else if (arg == "--runs" && i + 1 < argc)
      options.Runs = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--no-psnr")
      options.Psnr = false;
    else {
      std::cerr << "usage: publish_bench [--count N] [--folder DIR] [--runs R] [--no-psnr]\n";
      return 2;
    }
  }
  const bool temporary = options.Folder.empty();
  const std::string work = MakeTempBenchFolder();
  const std::string folder = temporary ? work + "/pictures" : options.Folder;
  MakeCameraFolder(folder, options.Count);
  const std::string ours = work + "/published", vips = work + "/vips", magick = work + "/magick";
  const std::string builder = AMBRELIN_BUILD_PATH;
  const std::string list = "ls " + Quote(folder) + "/IMG_*.JPG";

  std::cout << "Pictures: " << options.Count << " camera-like JPEGs (12 MP, quality 90) in "
            << folder << "\nCores: " << std::thread::hardware_concurrency() << "\n";
  std::vector<double> ourTimes, vipsTimes, magickTimes, againTimes, buildTimes;
  long peak = 0;
  for (int run = 0; run < options.Runs; ++run) {
    std::cout << "Run " << run + 1 << ", load average " << LoadAverage() << "\n";
    fs::remove_all(ours);
    fs::remove_all(vips);
    fs::remove_all(magick);
    fs::create_directories(vips);
    fs::create_directories(magick);
    // The album build alone, then our publish from scratch, then again with
    // nothing changed.
    const Run build = RunShell(Quote(builder) + " " + Quote(folder) + " >/dev/null");
    const Run publish = RunShell(Quote(builder) + " --publish " + Quote(ours) +
                                 " --max-size 2048 " + Quote(folder) + " >/dev/null");
    const Run again = RunShell(Quote(builder) + " --publish " + Quote(ours) + " --max-size 2048 " +
                               Quote(folder) + " >/dev/null");
    const Run vipsRun =
        RunShell(list + " | xargs -P2 -n1 vipsthumbnail --size 2048 -o " + Quote(vips + "/%s.jpg"));
    const Run magickRun = RunShell(list + " | xargs -P2 -I{} sh -c '/usr/bin/convert \"$1\" " +
                                   "-resize 2048x2048 -strip -quality 90 " + Quote(magick) +
                                   "/\"$(basename \"$1\")\"' sh {}");
    std::cout << "  album build alone " << Seconds(build.Seconds) << "; our publish "
              << Seconds(publish.Seconds) << " (peak " << publish.PeakKilobytes / 1024
              << " MB); again, nothing changed " << Seconds(again.Seconds) << "; vipsthumbnail "
              << Seconds(vipsRun.Seconds) << "; ImageMagick " << Seconds(magickRun.Seconds) << "\n";
    buildTimes.push_back(build.Seconds);
    ourTimes.push_back(publish.Seconds);
    againTimes.push_back(again.Seconds);
    vipsTimes.push_back(vipsRun.Seconds);
    magickTimes.push_back(magickRun.Seconds);
    peak = std::max(peak, publish.PeakKilobytes);
  }
  auto report = [](const char* what, const std::vector<double>& times) {
    std::cout << "  " << what << ": best " << Seconds(*std::min_element(times.begin(), times.end()))
              << ", median " << Seconds(Median(times)) << "\n";
  };
  std::cout << "Wall times over " << options.Runs << " runs:\n";
  report("our publish (ambrelin-build --publish --max-size 2048)", ourTimes);
  report("vipsthumbnail --size 2048, xargs -P2", vipsTimes);
  report("convert -resize 2048x2048 -strip -quality 90, xargs -P2", magickTimes);
  report("second publish, nothing changed", againTimes);
  report("album build alone", buildTimes);
  const double best = *std::min_element(ourTimes.begin(), ourTimes.end());
  std::printf(
      "Ratios (best, median): ours / vipsthumbnail %.2f, %.2f; ours / ImageMagick %.2f, %.2f;"
      " second publish / build alone %.2f, %.2f\n",
      best / *std::min_element(vipsTimes.begin(), vipsTimes.end()),
      Median(ourTimes) / Median(vipsTimes),
      best / *std::min_element(magickTimes.begin(), magickTimes.end()),
      Median(ourTimes) / Median(magickTimes),
      *std::min_element(againTimes.begin(), againTimes.end()) /
          *std::min_element(buildTimes.begin(), buildTimes.end()),
      Median(againTimes) / Median(buildTimes));
  std::cout << "Peak memory of our publish: " << peak / 1024 << " MB\n";
  const std::uint64_t sourceBytes = FolderBytes(folder, ".jpg");
  const std::uint64_t publishedBytes = FolderBytes(ours, "");
  std::printf(
      "Bytes: pictures %.1f MB, published folder %.1f MB (%.1f %%), vipsthumbnail %.1f MB,"
      " ImageMagick %.1f MB\n",
      sourceBytes / 1e6, publishedBytes / 1e6, 100.0 * publishedBytes / sourceBytes,
      FolderBytes(vips, "") / 1e6, FolderBytes(magick, "") / 1e6);

  if (options.Psnr) {
    // Each copy against ImageMagick's Lanczos resize of the upright
    // original, two at a time.
    const std::string refs = work + "/reference";
    fs::create_directories(refs);
    const std::string script =
        "n=$(basename \"$1\"); l=$(echo \"$n\" | tr A-Z a-z); "
        "/usr/bin/convert \"$1\" -auto-orient -filter Lanczos -resize 2048x2048 " +
        Quote(refs) + "/\"$l\".png && /usr/bin/compare -metric PSNR " + Quote(ours) + "/\"$l\" " +
        Quote(refs) + "/\"$l\".png null: 2>" + Quote(refs) + "/\"$l\".psnr; true";
    RunShell(list + " | xargs -P2 -I{} sh -c " + Quote(script) + " sh {}");
    double low = 1e9, sum = 0;
    int count = 0;
    for (const auto& e : fs::directory_iterator(refs)) {
      if (e.path().extension() != ".psnr") continue;
      std::ifstream in(e.path());
      double value = 0;
      if (in >> value) {
        low = std::min(low, value);
        sum += value;
        ++count;
      }
    }
    std::printf(
        "PSNR of our copies against convert -auto-orient -filter Lanczos -resize 2048x2048:"
        " min %.2f dB, mean %.2f dB over %d copies\n",
        low, count ? sum / count : 0.0, count);
  }
  RemoveBenchFolder(work);
  return 0;
}
