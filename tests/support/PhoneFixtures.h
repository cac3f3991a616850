// Pictures of the phone and messenger kinds for tests, benchmarks, fuzz
// seeds and the browser test, each from its kind's own encoder: libheif
// (x265), libavif (aom), Qt's writers, and for GIF, which Qt cannot write, a
// small encoder of our own. Every picture shows four coloured quadrants (red
// top left, green top right, blue bottom left, white bottom right).
#pragma once

#include <string>

// A PNG; with an EXIF orientation (1 to 8) an eXIf chunk holding it comes
// right after the header chunk.
std::string MakePng(int w, int h, int exifOrientation = 0);

// A GIF of one frame covering its logical screen.
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
// to w x h, a thumbnail of its own, and with quarterTurnsAnticlockwise a
// rotation of the grid (an iPhone held upright gives 3).
std::string MakeHeicGrid(int w, int h, int tile, int quarterTurnsAnticlockwise = 0);

// An AVIF picture; irot (0 to 3 quarter turns anticlockwise) and imir (0:
// top and bottom exchanged, 1: left and right) are added when not -1.
std::string MakeAvif(int w, int h, int irot = -1, int imir = -1);
