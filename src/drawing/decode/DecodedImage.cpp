#include "drawing/decode/DecodedImage.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <thread>

#include "core/pictures/formats/Exif.h"

namespace {

// How an orientation moves a point (x, y) about the picture's centre, the y
// axis pointing down: x' = Xx * x + Xy * y, y' = Yx * x + Yy * y.
struct Turn {
  int Xx, Xy, Yx, Yy;
};

// Indexed by orientation - 1.
constexpr std::array<Turn, 8> Turns = {{
    {1, 0, 0, 1},    // 1 as stored
    {-1, 0, 0, 1},   // 2 mirrored left to right
    {-1, 0, 0, -1},  // 3 turned by 180 degrees
    {1, 0, 0, -1},   // 4 mirrored top to bottom
    {0, 1, 1, 0},    // 5 mirrored along the main diagonal
    {0, -1, 1, 0},   // 6 turned clockwise
    {0, -1, -1, 0},  // 7 mirrored along the other diagonal
    {0, 1, -1, 0},   // 8 turned anticlockwise
}};

bool ValidOrientation(int orientation) {
  return orientation >= exif::Upright && orientation <= exif::Anticlockwise;
}

}  // namespace

unsigned DecodeThreads(const ImageDecodeOptions& options) {
  if (options.Threads != 0) return options.Threads;
  return std::max(1u, std::thread::hardware_concurrency());
}

bool DecodableSize(qint64 width, qint64 height) {
  return width > 0 && height > 0 && width <= MaxDecodedPixels / height;
}

QImage FinishedImage(QImage image, const ImageDecodeOptions& options) {
  if (image.isNull()) return image;
  if (!image.hasAlphaChannel()) return image.convertToFormat(QImage::Format_RGB32);
  image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (!options.Background.isValid()) return image;
  QImage opaque(image.size(), QImage::Format_RGB32);
  if (opaque.isNull()) return opaque;
  opaque.fill(options.Background.rgb());
  QPainter painter(&opaque);
  painter.drawImage(0, 0, image);
  return opaque;
}

int ComposeOrientations(int first, int then) {
  if (!ValidOrientation(first)) first = exif::Upright;
  if (!ValidOrientation(then)) then = exif::Upright;
  const Turn& a = Turns[static_cast<std::size_t>(first - 1)];
  const Turn& b = Turns[static_cast<std::size_t>(then - 1)];
  const Turn both{b.Xx * a.Xx + b.Xy * a.Yx, b.Xx * a.Xy + b.Xy * a.Yy, b.Yx * a.Xx + b.Yy * a.Yx,
                  b.Yx * a.Xy + b.Yy * a.Yy};
  for (std::size_t i = 0; i < Turns.size(); ++i) {
    const Turn& t = Turns[i];
    if (t.Xx == both.Xx && t.Xy == both.Xy && t.Yx == both.Yx && t.Yy == both.Yy)
      return static_cast<int>(i) + 1;
  }
  return exif::Upright;  // not reached: the eight form a group
}

int AnticlockwiseOrientation(int quarterTurns) {
  switch (((quarterTurns % 4) + 4) % 4) {
    case 1:
      return exif::Anticlockwise;
    case 2:
      return exif::UpsideDown;
    case 3:
      return exif::Clockwise;
    default:
      return exif::Upright;
  }
}
