// Phone and messenger pictures made on the spot for the drawing tests, the
// fuzz seeds and the benchmark: HEIC by libheif's encoder (x265), AVIF by
// libavif's (libaom), PNG, TIFF and WebP by Qt's writers, GIF byte by byte.
#pragma once

#include <QImage>

#include <string>

namespace drawfx {

struct HeicOptions {
  int Quality = 90;
  int TileSize = 0;       // a grid of tiles of this size, as phones write; 0: one image
  int ThumbnailSize = 0;  // a thumbnail item fitting into this square; 0: none
  int Orientation = 1;    // the EXIF orientation, written as irot and imir
  // The thumbnail carries the orientation too; else it has none of its own.
  bool ThumbnailTurned = true;
  bool Alpha = false;
  const char* Preset = nullptr;  // x265's speed preset; none: libheif's own
};
std::string EncodeHeic(const QImage& image, const HeicOptions& options = HeicOptions());

struct AvifOptions {
  int Quantizer = 10;          // 0 (lossless) to 63
  int Rotation = -1;           // irot: anticlockwise quarter turns; -1: none
  int Mirror = -1;             // imir mode: 0 top and bottom, 1 left and right; -1: none
  bool CleanAperture = false;  // keeping the middle half of each side
  bool Alpha = false;
};
std::string EncodeAvif(const QImage& image, const AvifOptions& options = AvifOptions());

// The image written by Qt's writer of the format ("png", "tiff", "webp").
std::string EncodeWithQt(const QImage& image, const char* format, int quality = -1);
// A GIF of the image in 216 colours (six levels of each; alpha 0 is
// transparent).
std::string EncodeGif(const QImage& image);
// The PNG with an eXIf chunk of the given orientation before its image data.
std::string PngWithOrientation(const std::string& png, int orientation);
// A TIFF (or a file of another format Qt writes with an orientation) whose
// Orientation tag is the given EXIF orientation.
std::string TiffWithOrientation(const QImage& image, int orientation, const char* format = "tiff",
                                int quality = -1);

}  // namespace drawfx
