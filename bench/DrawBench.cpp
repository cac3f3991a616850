// How long drawing a camera picture into the description editor's 500 x 500
// box takes: a 24-megapixel JPEG (6000 x 4000, quality 90, gradients with
// noise like a photo) decoded and scaled to its fitted size, 500 x 333.
//
//   draw_bench [runs]
//
// Prints the time per picture of each way of drawing; the goal is well under
// 100 ms a picture.
#include <QImage>
#include <QSize>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <jpeglib.h>

#include "drawing/PictureDrawing.h"
#include "drawing/decode/JpegDecoder.h"
#include "support/PictureFixtures.h"

namespace {

using Clock = std::chrono::steady_clock;

// A photo-like picture: smooth gradients, some larger shapes, sensor noise.
std::vector<unsigned char> MakePixels(int width, int height) {
  std::vector<unsigned char> rgb(std::size_t(width) * height * 3);
  std::minstd_rand random(7);
  std::uniform_int_distribution<int> noise(-14, 14);
  for (int y = 0; y < height; ++y) {
    unsigned char* row = rgb.data() + std::size_t(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      const bool shape = ((x / 700) + (y / 500)) % 3 == 0;
      const int r = 30 + 190 * x / width + (shape ? 20 : 0) + noise(random);
      const int g = 50 + 160 * y / height + noise(random);
      const int b = 110 + 90 * ((x + 2 * y) % 1500) / 1500 - (shape ? 30 : 0) + noise(random);
      row[3 * x] = (unsigned char)std::clamp(r, 0, 255);
      row[3 * x + 1] = (unsigned char)std::clamp(g, 0, 255);
      row[3 * x + 2] = (unsigned char)std::clamp(b, 0, 255);
    }
  }
  return rgb;
}

std::string Compress(const std::vector<unsigned char>& rgb, int width, int height, int quality,
                     int restartRows) {
  const std::size_t stride = std::size_t(width) * 3;
  return EncodeJpegRows(
      width, height, 3, quality,
      [&](int y, unsigned char* row) {
        std::copy_n(rgb.data() + std::size_t(y) * stride, stride, row);
      },
      [&](jpeg_compress_struct& info) { info.restart_in_rows = restartRows; });
}

// CPU time of this thread in milliseconds: on a machine busy with other
// work, wall-clock times also count the waiting for a core.
double ThreadCpuMs() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Runs `draw` `runs` times after one warm-up run; prints wall-clock and CPU
// figures and returns the median wall-clock milliseconds.
double Measure(const char* name, int runs, const std::function<QImage()>& draw) {
  QImage warm = draw();
  if (warm.isNull()) {
    std::printf("%-42s FAILED: no image\n", name);
    return -1;
  }
  std::vector<double> wall, cpu;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    const double cpuStart = ThreadCpuMs();
    const QImage image = draw();
    cpu.push_back(ThreadCpuMs() - cpuStart);
    wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (image.isNull()) std::printf("%s: no image\n", name);
  }
  const double median = Median(wall);
  std::printf("%-42s %4dx%-4d  wall median %6.1f ms (min %6.1f)  cpu median %6.1f ms (min %6.1f)\n",
              name, warm.width(), warm.height(), median,
              *std::min_element(wall.begin(), wall.end()), Median(cpu),
              *std::min_element(cpu.begin(), cpu.end()));
  return median;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  constexpr int Width = 6000;
  constexpr int Height = 4000;
  const QSize fitted(500, 333);  // 500 x 500 box: 500, 500 * 4000 / 6000
  const ScreenMetrics screen{96, 24, 32, 32};

  std::printf("Making a %d x %d JPEG (quality 90) ...\n", Width, Height);
  const std::vector<unsigned char> pixels = MakePixels(Width, Height);
  const std::string jpeg = Compress(pixels, Width, Height, 90, 0);
  const std::string restarts = Compress(pixels, Width, Height, 90, 1);
  std::printf("%.1f MB; with a restart marker every MCU row %.1f MB; %d runs each; %u cores\n\n",
              double(jpeg.size()) / 1e6, double(restarts.size()) / 1e6, runs,
              std::thread::hardware_concurrency());

  std::printf("Without restart markers (decoded on one core):\n");
  const double render = Measure("RenderPicture into 500 x 333", runs, [&] {
    return RenderPicture(PictureKind::Jpeg, jpeg, fitted, screen);
  });
  Measure("DecodeJpeg to 500 x 333, smooth", runs, [&] { return DecodeJpeg(jpeg, fitted, true); });
  Measure("DrawnPicture, first draw (decode + scale)", runs, [&] {
    DrawnPicture picture(PictureKind::Jpeg, jpeg);
    return picture.Render(fitted, screen);
  });
  DrawnPicture kept(PictureKind::Jpeg, jpeg);
  kept.Render(fitted, screen);
  Measure("DrawnPicture, repaint (kept)", runs, [&] { return kept.Render(fitted, screen); });
  Measure("RenderPicture, 8-bit screen (236 colours)", std::max(1, runs / 5), [&] {
    return RenderPicture(PictureKind::Jpeg, jpeg, fitted, ScreenMetrics{96, 8, 32, 32});
  });
  Measure("Full scale decode (for comparison)", std::max(1, runs / 5),
          [&] { return DecodeJpeg(jpeg, QSize()); });

  std::printf("\nWith restart markers (bands decoded side by side):\n");
  const double banded = Measure("RenderPicture into 500 x 333", runs, [&] {
    return RenderPicture(PictureKind::Jpeg, restarts, fitted, screen);
  });
  JpegDecodeOptions oneCore;
  oneCore.MinimumSize = fitted;
  oneCore.UseThreads = false;
  Measure("Same file on one core", runs, [&] { return DecodeJpegImage(restarts, oneCore).Image; });

  const double worst = std::max(render, banded);
  std::printf("\nGoal: under 100 ms a picture (wall clock, median): %.1f ms and %.1f ms: %s\n",
              render, banded, worst >= 0 && worst < 100 ? "met" : "NOT met");
  return 0;
}
