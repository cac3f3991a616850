// JPEG decompression for drawing: libjpeg-turbo from memory into a QImage.
//
// Every JPEG picture is decoded with the same settings: 24-bit RGB output,
// the accurate (integer) inverse DCT and block smoothing. Grayscale pictures,
// and every picture on a screen of at most 8 bits per pixel, are reduced to a
// palette of at most 236 colours by the decoder's colour quantiser. When the
// picture is going to be shown at half its size or less, it is decoded at a
// reduced DCT scale (1/2, 1/4 or 1/8), which is several times faster and gives
// the same pixels after scaling down. On request the picture is turned
// upright as its EXIF orientation says, after decoding (and after joining the
// bands of a picture decoded on several cores).
#pragma once

#include <QImage>
#include <QSize>

#include <cstddef>
#include <string>

// Files this large or larger are decoded in bands on several cores when they
// have restart markers (and the machine has several cores).
inline constexpr std::size_t JpegMinBandedBytes = 512 * 1024;

struct JpegDecodeOptions {
  // The smallest size the decoded image may have. The largest reduced scale
  // that still gives at least this size in both directions is used; an
  // invalid or empty size decodes at full scale.
  QSize MinimumSize;
  // Reduce the colours to a palette of at most 236 (screens of 8 bits or
  // fewer). Grayscale pictures are always reduced.
  bool QuantizeColors = false;
  // Decode the bands between restart markers on several cores at once, when
  // the file has such markers and the machine several cores.
  bool UseThreads = true;
  // Turn the picture as its EXIF orientation says (how browsers show it).
  // MinimumSize is then a size of the turned picture.
  bool Upright = false;
};

struct JpegDecodeResult {
  // Format_RGB32, opaque; null when the picture is empty or cannot be decoded.
  QImage Image;
  // The decoder's message code of a failure, 0 when there was none. Damaged
  // compressed data is not a failure: the decoder fills what it cannot read
  // and its warnings are ignored.
  int ErrorCode = 0;
  // The DCT scale used: the image is 1/ScaleDenominator of the full size
  // (rounded up).
  int ScaleDenominator = 1;
  // The picture's full size from its frame header (valid when the header
  // could be read); turned like the image.
  QSize FullSize;
  // The EXIF orientation the image was turned by (1: not turned).
  int Orientation = 1;
};

// Decodes a whole JPEG file held in memory. Never throws; decoder errors are
// caught inside the decoder's own frames (setjmp/longjmp) and reported in the
// result.
JpegDecodeResult DecodeJpegImage(const std::string& bytes, const JpegDecodeOptions& options);

// The stored pixels of a picture turned for showing as an EXIF orientation
// (1 to 8) says: mirrored, turned by 180 degrees, or turned by 90 degrees
// (5 to 8, which swap width and height) and possibly mirrored. Any other
// value gives the image as it is.
QImage UprightImage(const QImage& stored, int orientation);

// The DCT scale denominator (1, 2, 4 or 8) that DecodeJpegImage uses for a
// picture of fullSize when it must give at least minimumSize.
int JpegScaleDenominator(QSize fullSize, QSize minimumSize);

// The picture scaled to exactly `target` (decoded at a reduced scale when it
// is at least twice as large as target in both directions); at full size when
// target is invalid or empty. Scaling drops or repeats whole pixels unless
// `smooth`. Returns a null image for an empty or undecodable file.
QImage DecodeJpeg(const std::string& bytes, QSize target, bool smooth = false);
