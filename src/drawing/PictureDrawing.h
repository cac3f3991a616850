// Drawing a picture into a rectangle: the picture file's bytes turned into the
// pixels a window shows, for every kind of picture.
//
// The result for a rectangle of size `target` is an image of exactly that size
// (or a null image when there is nothing to draw), to be drawn at the
// rectangle's top-left corner:
// - bitmaps and JPEG pictures fill it exactly (a JPEG turned upright as its
//   EXIF orientation says, the size measuring gives); they are scaled by
//   dropping or repeating whole pixels, except on a screen of at most 8 bits
//   per pixel showing a bitmap of more colour bits than the screen, which is
//   scaled with smoothing (the nearest Qt has to half-toning). Opaque
//   (Format_RGB32).
// - the phone and messenger kinds (HEIF, AVIF, WebP, PNG, GIF, TIFF) fill it
//   exactly too, turned upright as browsers show them (decode/*Decoder.h
//   tell how for each kind) and scaled smoothly. A picture with an alpha
//   channel is Format_ARGB32_Premultiplied, so that the window's own
//   background shows through where it is transparent; any other is opaque
//   (Format_RGB32).
// - an icon is drawn at the screen's icon size with its top-left corner at the
//   rectangle's, not scaled to the rectangle; the rest of the image is
//   transparent (Format_ARGB32_Premultiplied).
// - a metafile is played into the rectangle shrunk by one pixel at the right
//   and at the bottom, on a transparent background, so that the window's own
//   background shows where the metafile draws nothing
//   (Format_ARGB32_Premultiplied).
// An empty (zero-length) picture, undecodable data or an empty rectangle give
// a null image; nothing here throws. RenderPicture keeps no state, so it may
// also run on a worker thread (PictureRenderThread.h does); a DrawnPicture
// belongs to one thread at a time.
//
// A phone's 12-megapixel HEIC takes over a second of processor time to
// decode (on all cores, less time passes). A window that pages through
// pictures therefore draws these kinds with DrawnPicture::DecodeInBackground:
// a HEIC's own thumbnail at once (RenderPicturePreview), the sharp picture as
// soon as its decode ends, and no waiting for a decode of a picture paged
// away from.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSize>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "core/pictures/PictureKind.h"

class PictureRenderThread;

// `cancel`, when given, is looked at while a phone or messenger picture
// decodes (between the tiles of a HEIF grid): once it is true the render
// stops and gives a null image.
QImage RenderPicture(PictureKind kind, const std::string& bytes, QSize target,
                     const ScreenMetrics& screen, const std::atomic<bool>* cancel = nullptr);

// A picture for the rectangle that is ready within milliseconds while
// RenderPicture takes long: a HEIF picture's thumbnail item, upright and
// scaled smoothly to fill the rectangle (blurred, being small). A null image
// for a picture without a thumbnail and for the other kinds.
QImage RenderPicturePreview(PictureKind kind, const std::string& bytes, QSize target);

// A picture kept for drawing again and again: the pixels are decoded on the
// first draw and kept (a JPEG or bitmap at the reduced scale the largest
// rectangle so far allows, a phone or messenger picture scaled to the
// rectangle), and the image for the last rectangle size is kept too, so that
// repainting a window costs a copy.
class DrawnPicture {
 public:
  DrawnPicture();
  DrawnPicture(PictureKind kind, std::string bytes);
  ~DrawnPicture();
  DrawnPicture(DrawnPicture&&) noexcept;
  DrawnPicture& operator=(DrawnPicture&&) noexcept;

  // From now on the phone and messenger kinds are decoded on a thread of
  // their own (PictureRenderThread): until the decode ends, Render gives the
  // preview (RenderPicturePreview; a null image where there is none) and
  // Sharp() is false. When the decode ends, `sharp` is called on the
  // decode's thread; it must only hand the news on (for a widget: post a
  // queued call of update()), and the next Render gives the sharp picture.
  // Assign, Clear and a Render for a larger rectangle drop a decode that is
  // running without waiting for it, and `sharp` is never called for it; the
  // destructor waits for the decodes still running (a HEIF grid stops
  // within a tile).
  void DecodeInBackground(std::function<void()> sharp);
  // False while a picture decoded in the background is drawn from its
  // preview because its decode has not ended; true otherwise.
  bool Sharp() const;

  // Replaces the picture; the kept pixels are dropped.
  void Assign(PictureKind kind, std::string bytes);
  void Clear();
  bool Empty() const { return Bytes.empty(); }
  PictureKind Kind() const { return PicKind; }

  // The image for a rectangle of size `target`, as RenderPicture gives it.
  const QImage& Render(QSize target, const ScreenMetrics& screen);
  // Draws the picture into `rect` of the painter (nothing for an empty one).
  void Draw(QPainter& painter, const QRect& rect, const ScreenMetrics& screen);

 private:
  // Decodes (or re-decodes a JPEG at a larger scale) for target and screen.
  void Decode(QSize target, const ScreenMetrics& screen);
  // The phone and messenger kinds: decoded here, or started on the render
  // thread with the preview kept meanwhile.
  void DecodePhonePicture(QSize target, const ScreenMetrics& screen);

  PictureKind PicKind = PictureKind::Bitmap;
  std::string Bytes;

  bool Decoded = false;
  QImage Source;       // bitmap, JPEG or the chosen icon image
  int SourceBits = 0;  // bitmap: bits per pixel
  int BitmapStep = 0;  // bitmap: Source holds every BitmapStep-th pixel and row
  int JpegScale = 0;   // JPEG: DCT scale denominator of Source
  bool JpegQuantized = false;
  // Phone and messenger kinds: Source is the picture scaled to a rectangle;
  // SourceSharp tells it from the preview shown while the render thread
  // decodes the picture for RenderingTarget.
  bool SourceSharp = false;
  bool Rendering = false;
  QSize RenderingTarget;
  bool HavePreview = false;
  QImage Preview;
  std::unique_ptr<PictureRenderThread> Renderer;

  bool HaveResult = false;
  QSize ResultSize;
  ScreenMetrics ResultScreen;
  QImage Result;
};
