#include "drawing/PictureDrawing.h"

#include <utility>

#include "drawing/PictureRenderThread.h"
#include "drawing/decode/BitmapDecoder.h"
#include "drawing/decode/IconDecoder.h"
#include "drawing/decode/JpegDecoder.h"
#include "drawing/decode/PhonePictureDecoder.h"
#include "drawing/metafile/MetafilePlayer.h"

namespace {

bool Drawable(const std::string& bytes, QSize target) {
  return !bytes.empty() && target.isValid() && !target.isEmpty();
}

bool SameScreen(const ScreenMetrics& a, const ScreenMetrics& b) {
  return a.PixelsPerInch == b.PixelsPerInch && a.BitsPerPixel == b.BitsPerPixel &&
         a.IconWidth == b.IconWidth && a.IconHeight == b.IconHeight;
}

// A screen of at most 8 bits per pixel half-tones a picture of more colour
// bits than it shows; every other screen drops or repeats whole pixels.
bool SmoothScaling(const ScreenMetrics& screen, int pictureBits) {
  return screen.BitsPerPixel <= 8 && pictureBits > screen.BitsPerPixel;
}

bool QuantizeJpeg(const ScreenMetrics& screen) {
  return screen.BitsPerPixel <= 8;
}

QImage FillTarget(const QImage& source, QSize target, bool smooth) {
  if (source.isNull()) return {};
  if (source.size() == target) return source;
  return source.scaled(target, Qt::IgnoreAspectRatio,
                       smooth ? Qt::SmoothTransformation : Qt::FastTransformation);
}

QImage TransparentCanvas(QSize target) {
  QImage canvas(target, QImage::Format_ARGB32_Premultiplied);
  if (!canvas.isNull()) canvas.fill(Qt::transparent);
  return canvas;
}

QImage IconAtTopLeft(const QImage& icon, QSize target) {
  if (icon.isNull()) return {};
  QImage canvas = TransparentCanvas(target);
  if (canvas.isNull()) return {};
  QPainter painter(&canvas);
  painter.drawImage(QPoint(0, 0), icon);
  return canvas;
}

QImage PlayedMetafile(const std::string& bytes, QSize target) {
  QImage canvas = TransparentCanvas(target);
  if (canvas.isNull()) return {};
  QPainter painter(&canvas);
  // The rectangle's right and bottom edges belong to the next pixels.
  if (!PlayMetafile(painter, bytes, QRectF(0, 0, target.width() - 1, target.height() - 1)))
    return {};
  return canvas;
}

QImage ScreenIcon(const std::string& bytes, const ScreenMetrics& screen) {
  return DecodeIcon(bytes, QSize(screen.IconWidth, screen.IconHeight), screen.BitsPerPixel);
}

bool Covers(const QImage& image, QSize target) {
  return image.width() >= target.width() && image.height() >= target.height();
}

// A phone or messenger picture fills the rectangle, scaled smoothly (the
// pixels of a large photo or a screenshot would flicker if dropped).
QImage PhonePictureInTarget(PictureKind kind, const std::string& bytes, QSize target,
                            const std::atomic<bool>* cancel) {
  ImageDecodeOptions options;
  options.MinimumSize = target;
  options.Cancel = cancel;
  return FillTarget(DecodePhonePicture(kind, bytes, options).Image, target, true);
}

}  // namespace

QImage RenderPicture(PictureKind kind, const std::string& bytes, QSize target,
                     const ScreenMetrics& screen, const std::atomic<bool>* cancel) {
  if (!Drawable(bytes, target)) return {};
  switch (kind) {
    case PictureKind::Bitmap: {
      const DecodedBitmap bitmap = DecodeBitmapFile(bytes, BitmapUnpacking::QtThenOwn, target);
      return FillTarget(bitmap.Image, target, SmoothScaling(screen, bitmap.BitsPerPixel));
    }
    case PictureKind::Jpeg: {
      JpegDecodeOptions options;
      options.MinimumSize = target;
      options.QuantizeColors = QuantizeJpeg(screen);
      options.Upright = true;
      return FillTarget(DecodeJpegImage(bytes, options).Image, target, false);
    }
    case PictureKind::Icon:
      return IconAtTopLeft(ScreenIcon(bytes, screen), target);
    case PictureKind::Metafile:
      return PlayedMetafile(bytes, target);
    case PictureKind::Heif:
    case PictureKind::Avif:
    case PictureKind::WebP:
    case PictureKind::Png:
    case PictureKind::Gif:
    case PictureKind::Tiff:
      return PhonePictureInTarget(kind, bytes, target, cancel);
  }
  return {};
}

QImage RenderPicturePreview(PictureKind kind, const std::string& bytes, QSize target) {
  if (!Drawable(bytes, target)) return {};
  return FillTarget(DecodePhonePicturePreview(kind, bytes, ImageDecodeOptions()).Image, target,
                    true);
}

DrawnPicture::DrawnPicture() = default;
DrawnPicture::~DrawnPicture() = default;
DrawnPicture::DrawnPicture(DrawnPicture&&) noexcept = default;
DrawnPicture& DrawnPicture::operator=(DrawnPicture&&) noexcept = default;

DrawnPicture::DrawnPicture(PictureKind kind, std::string bytes) {
  Assign(kind, std::move(bytes));
}

void DrawnPicture::DecodeInBackground(std::function<void()> sharp) {
  Renderer = std::make_unique<PictureRenderThread>(std::move(sharp));
}

bool DrawnPicture::Sharp() const {
  return !Renderer || !IsPhonePictureKind(PicKind) || !Rendering;
}

void DrawnPicture::Assign(PictureKind kind, std::string bytes) {
  Clear();
  PicKind = kind;
  Bytes = std::move(bytes);
}

void DrawnPicture::Clear() {
  PicKind = PictureKind::Bitmap;
  Bytes.clear();
  Decoded = false;
  Source = QImage();
  SourceBits = 0;
  BitmapStep = 0;
  JpegScale = 0;
  JpegQuantized = false;
  SourceSharp = false;
  Rendering = false;
  RenderingTarget = QSize();
  HavePreview = false;
  Preview = QImage();
  if (Renderer) Renderer->Abandon();
  HaveResult = false;
  Result = QImage();
}

void DrawnPicture::Decode(QSize target, const ScreenMetrics& screen) {
  switch (PicKind) {
    case PictureKind::Bitmap: {
      // Read again only when a larger rectangle needs more pixels than the
      // reduced scale kept.
      const bool tooSmall =
          BitmapStep > 1 && (Source.width() < target.width() || Source.height() < target.height());
      if (!Decoded || tooSmall) {
        DecodedBitmap bitmap = DecodeBitmapFile(Bytes, BitmapUnpacking::QtThenOwn, target);
        Source = std::move(bitmap.Image);
        SourceBits = bitmap.BitsPerPixel;
        BitmapStep = bitmap.Step;
        Decoded = true;
      }
      break;
    }
    case PictureKind::Jpeg: {
      // Decoded again only when a larger rectangle needs more pixels than the
      // reduced scale kept, or the screen's colours changed.
      const bool quantize = QuantizeJpeg(screen);
      const bool tooSmall =
          JpegScale > 1 && (Source.width() < target.width() || Source.height() < target.height());
      if (!Decoded || quantize != JpegQuantized || tooSmall) {
        JpegDecodeOptions options;
        options.MinimumSize = target;
        options.QuantizeColors = quantize;
        options.Upright = true;
        JpegDecodeResult decoded = DecodeJpegImage(Bytes, options);
        Source = std::move(decoded.Image);
        JpegScale = decoded.ScaleDenominator;
        JpegQuantized = quantize;
        Decoded = true;
      }
      break;
    }
    case PictureKind::Icon:
    case PictureKind::Metafile:
      break;  // small or vector: drawn from the bytes for each new size
    case PictureKind::Heif:
    case PictureKind::Avif:
    case PictureKind::WebP:
    case PictureKind::Png:
    case PictureKind::Gif:
    case PictureKind::Tiff:
      DecodePhonePicture(target, screen);
      break;
  }
}

void DrawnPicture::DecodePhonePicture(QSize target, const ScreenMetrics& screen) {
  QImage rendered;
  if (Rendering && Renderer && Renderer->TakeResult(rendered)) {
    Source = std::move(rendered);
    SourceSharp = true;
    Rendering = false;
    Decoded = true;
  }
  // A picture that could not be decoded is not tried again.
  if (Decoded && SourceSharp && (Source.isNull() || Covers(Source, target))) return;
  if (!Renderer) {
    Source = PhonePictureInTarget(PicKind, Bytes, target, nullptr);
    SourceSharp = true;
    Decoded = true;
    return;
  }
  if (Rendering && RenderingTarget.width() >= target.width() &&
      RenderingTarget.height() >= target.height())
    return;  // the preview is shown until that render ends
  // The preview first: the render's threads would compete with it for the
  // cores.
  if (!HavePreview) {
    Preview = DecodePhonePicturePreview(PicKind, Bytes, ImageDecodeOptions()).Image;
    HavePreview = true;
  }
  if (!SourceSharp) Source = Preview;
  Renderer->Start(PicKind, Bytes, target, screen);
  Rendering = true;
  RenderingTarget = target;
  Decoded = true;
}

const QImage& DrawnPicture::Render(QSize target, const ScreenMetrics& screen) {
  const bool renderEnded = Rendering && Renderer && Renderer->Ready();
  if (HaveResult && ResultSize == target && SameScreen(ResultScreen, screen) && !renderEnded)
    return Result;
  Result = QImage();
  if (Drawable(Bytes, target)) {
    Decode(target, screen);
    switch (PicKind) {
      case PictureKind::Bitmap:
        Result = FillTarget(Source, target, SmoothScaling(screen, SourceBits));
        break;
      case PictureKind::Jpeg:
        Result = FillTarget(Source, target, false);
        break;
      case PictureKind::Icon:
        Result = IconAtTopLeft(ScreenIcon(Bytes, screen), target);
        break;
      case PictureKind::Metafile:
        Result = PlayedMetafile(Bytes, target);
        break;
      case PictureKind::Heif:
      case PictureKind::Avif:
      case PictureKind::WebP:
      case PictureKind::Png:
      case PictureKind::Gif:
      case PictureKind::Tiff:
        Result = FillTarget(Source, target, true);
        break;
    }
  }
  HaveResult = true;
  ResultSize = target;
  ResultScreen = screen;
  return Result;
}

void DrawnPicture::Draw(QPainter& painter, const QRect& rect, const ScreenMetrics& screen) {
  const QImage& image = Render(rect.size(), screen);
  if (!image.isNull()) painter.drawImage(rect.topLeft(), image);
}
