// Phone and messenger pictures made on the spot for the drawing tests, the
// fuzz seeds and the benchmark: HEIC by libheif's encoder (x265), AVIF by
// libavif's (libaom), WebP, PNG, GIF and TIFF by Qt's image writers, with
// the orientations each kind can carry.
#pragma once

#include <QImage>

#include <string>

namespace drawfx {

struct HeicOptions {
  int Quality = 90;
  // A grid of tiles of this size (the last row and column cut by the
  // picture's size), as phones write it; 0: one image.
  int TileSize = 0;
  // A thumbnail item that fits into a square of this size; 0: none.
  int ThumbnailSize = 0;
  // The EXIF orientation (1 to 8) written as irot and imir properties.
  int Orientation = 1;
  // The thumbnail carries the orientation too; else its pixels are stored
  // as the primary image's are, without properties of its own.
  bool ThumbnailTurned = true;
  // The image's alpha channel is kept.
  bool Alpha = false;
  // x265's speed preset ("ultrafast" to "placebo"); empty: the encoder's own.
  std::string Preset;
};
// The picture as stored (its pixels as given), shown turned as the
// orientation says.
std::string EncodeHeic(const QImage& image, const HeicOptions& options = HeicOptions());

struct AvifOptions {
  int Quantizer = 10;  // 0 (lossless) to 63
  int Speed = 8;       // 0 (slowest) to 10
  int Rotation = -1;   // irot: anticlockwise quarter turns; -1: no irot
  int Mirror = -1;     // imir mode: 0 top and bottom, 1 left and right; -1: no imir
  // A clean aperture keeping the middle half of the width and the height.
  bool CleanAperture = false;
  bool Alpha = false;
};
std::string EncodeAvif(const QImage& image, const AvifOptions& options = AvifOptions());

// The image written by Qt's writer of the format ("png", "tiff", "webp").
std::string EncodeWithQt(const QImage& image, const char* format);
// A GIF of the image's colours (at most 255; pixels of alpha 0 are
// transparent), compressed with a clear code before the table grows past
// 9-bit codes. Qt writes no GIF.
std::string EncodeGif(const QImage& image);
// A PNG file with an eXIf chunk of the given orientation before its image
// data.
std::string PngWithOrientation(const std::string& png, int orientation);
// A TIFF file whose Orientation tag is the given EXIF orientation.
std::string TiffWithOrientation(const QImage& image, int orientation);

}  // namespace drawfx
