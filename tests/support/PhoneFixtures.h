// Pictures of the phone and messenger kinds for tests, benchmarks, fuzz
// seeds and the browser test, each from its kind's own encoder: HEIC by
// libheif's (x265), AVIF by libavif's (aom), PNG, TIFF and WebP by Qt's
// writers, and GIF, which Qt cannot write, by a small encoder of our own.
//
// The encoders (namespace drawfx) take any image; the Make* pictures show
// four coloured quarters: red top left, green top right, blue bottom left,
// white bottom right.
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
// A GIF of one frame covering its logical screen: the image's own colours
// where it has at most 256 (alpha 0 is one transparent colour), else 216
// colours (six levels of each) and transparent.
std::string EncodeGif(const QImage& image);
// The PNG with a chunk of the given type and data after its header chunk.
std::string PngWithChunk(const std::string& png, const std::string& type, const std::string& data);
// The PNG with an eXIf chunk of the given orientation after its header chunk.
std::string PngWithOrientation(const std::string& png, int orientation);
// A TIFF (or a file of another format Qt writes with an orientation) whose
// Orientation tag is the given EXIF orientation.
std::string TiffWithOrientation(const QImage& image, int orientation, const char* format = "tiff",
                                int quality = -1);

}  // namespace drawfx

// A PNG; with an EXIF orientation (1 to 8) an eXIf chunk holding it comes
// right after the header chunk.
std::string MakePng(int w, int h, int exifOrientation = 0);

// A GIF of one frame covering its logical screen, its four colours in a
// table of four.
std::string MakeGif(int w, int h);

// A WebP picture in one of its forms: lossy (VP8), lossless (VP8L), or
// extended (VP8X: the canvas, the lossy frame and an EXIF chunk with
// orientation 6, which browsers do not apply).
enum class WebPForm { Lossy, Lossless, Extended };
std::string MakeWebP(int w, int h, WebPForm form = WebPForm::Lossy);

// A TIFF; an EXIF orientation (1 to 8) becomes its Orientation tag.
std::string MakeTiff(int w, int h, int orientation = 0);

// A HEIF picture of w x h pixels shown as the EXIF orientation says (1 to
// 8), by rotation and mirroring properties (libheif adds a clean aperture
// where the coded size differs).
std::string MakeHeic(int w, int h, int exifOrientation = 1);

// A HEIF picture as an iPhone takes it: a grid of tile x tile tiles cropped
// to w x h, a thumbnail of its own (64 pixels at most), and with
// quarterTurnsAnticlockwise a rotation of the grid (an iPhone held upright
// gives 3).
std::string MakeHeicGrid(int w, int h, int tile, int quarterTurnsAnticlockwise = 0);

// An AVIF picture; irot (0 to 3 quarter turns anticlockwise) and imir (0:
// top and bottom exchanged, 1: left and right) are added when not -1.
std::string MakeAvif(int w, int h, int irot = -1, int imir = -1);
