// What the decoders of the phone and messenger kinds (HEIF, AVIF, WebP, PNG,
// GIF, TIFF) are asked for and what they give. Each decodes a whole file held
// in memory into one QImage, turned upright as browsers show the picture.
// None of them throws: a file it cannot read gives a null image.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QtGlobal>

#include <atomic>

// The largest image decoded, in pixels (4 bytes each): 128 megapixels. Larger
// sizes come from damaged or hostile headers, or from pictures far beyond
// what a window or a web page shows.
inline constexpr qint64 MaxDecodedPixels = qint64(1) << 27;

struct ImageDecodeOptions {
  // The smallest size (upright) the image is needed at. A decoder that can
  // give a smaller image than the whole picture for less work does so when it
  // still covers this size in both directions (a HEIF picture's thumbnail
  // item); else the image has the picture's own size. Invalid or empty: the
  // whole picture.
  QSize MinimumSize;
  // When valid, transparent pixels are laid over this colour and the image is
  // opaque; when invalid, transparency is kept.
  QColor Background;
  // Looked at between parts of the work (the tiles of a HEIF grid): once it is
  // true the decoder stops and gives a null image with Cancelled set.
  const std::atomic<bool>* Cancel = nullptr;
  // How many threads may decode at once; 0: one per core.
  unsigned Threads = 0;
};

struct DecodedImage {
  // Upright. Format_ARGB32_Premultiplied when the picture has an alpha
  // channel (and no background was asked for), else Format_RGB32. Null when
  // the file cannot be decoded or is too large, or the decode was cancelled.
  QImage Image;
  // The ICC colour profile the picture carries; empty without one.
  QByteArray IccProfile;
  bool Cancelled = false;
};

// True when the cancel flag (if any) is set.
inline bool CancelRequested(const ImageDecodeOptions& options) {
  return options.Cancel != nullptr && options.Cancel->load(std::memory_order_relaxed);
}

// The number of threads to decode with: options.Threads, or one per core.
unsigned DecodeThreads(const ImageDecodeOptions& options);

// True when an image of this size may be decoded: both sides positive and
// the pixel count within MaxDecodedPixels.
bool DecodableSize(qint64 width, qint64 height);

// A decoded image in the form DecodedImage promises: premultiplied ARGB when
// it has an alpha channel, opaque RGB32 otherwise, and laid over the
// background when one is asked for.
QImage FinishedImage(QImage image, const ImageDecodeOptions& options);

// The EXIF orientation (1 to 8) of turning a picture as `first` says and then
// as `then` says.
int ComposeOrientations(int first, int then);
// The EXIF orientation of turning a picture anticlockwise by quarter turns
// (any whole number).
int AnticlockwiseOrientation(int quarterTurns);
