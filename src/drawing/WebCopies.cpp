// Encoder errors leave by longjmp (LibjpegErrors.h) back to RunEncode,
// which holds no objects with destructors; the caller releases what it
// filled.
#include "drawing/WebCopies.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "core/pictures/LibjpegErrors.h"
#include "core/pictures/PictureReaders.h"
#include "core/pictures/PictureSource.h"
#include "core/platform/Errors.h"
#include "core/publish/JpegWebCopy.h"
#include "drawing/decode/BitmapDecoder.h"
#include "drawing/decode/IconDecoder.h"
#include "drawing/decode/PhonePictureDecoder.h"
#include "drawing/metafile/MetafilePlayer.h"

namespace {

[[noreturn]] void NotValid(PictureKind kind) {
  switch (kind) {
    case PictureKind::Metafile:
      throw EInvalidGraphic("Metafile is not valid");
    case PictureKind::Icon:
      throw EInvalidGraphic("Icon image is not valid");
    case PictureKind::Bitmap:
      throw EInvalidGraphic("Bitmap image is not valid");
    case PictureKind::Heif:
      throw EInvalidGraphic("HEIF image is not valid");
    case PictureKind::Avif:
      throw EInvalidGraphic("AVIF image is not valid");
    case PictureKind::WebP:
      throw EInvalidGraphic("WebP image is not valid");
    case PictureKind::Png:
      throw EInvalidGraphic("PNG image is not valid");
    case PictureKind::Gif:
      throw EInvalidGraphic("GIF image is not valid");
    case PictureKind::Tiff:
      throw EInvalidGraphic("TIFF image is not valid");
    case PictureKind::Jpeg:
      break;
  }
  throw EInvalidGraphic("JPEG image is not valid");
}

// The bytes of decoded pixels all workers may hold at once. A picture
// larger than the whole budget waits until it is alone.
class PixelBudget {
 public:
  static constexpr qint64 Bytes = qint64(256) << 20;

  qint64 Take(qint64 wanted) {
    wanted = std::min(std::max<qint64>(wanted, 0), Bytes);
    std::unique_lock lock(Mutex);
    Freed.wait(lock, [&] { return Used + wanted <= Bytes; });
    Used += wanted;
    return wanted;
  }
  void Give(qint64 taken) {
    {
      const std::lock_guard lock(Mutex);
      Used -= taken;
    }
    Freed.notify_all();
  }

 private:
  std::mutex Mutex;
  std::condition_variable Freed;
  qint64 Used = 0;
};

PixelBudget& Budget() {
  static PixelBudget budget;
  return budget;
}

// Holds a share of the budget for its scope.
class BudgetShare {
 public:
  explicit BudgetShare(qint64 bytes) : Taken(Budget().Take(bytes)) {}
  ~BudgetShare() { Budget().Give(Taken); }
  BudgetShare(const BudgetShare&) = delete;
  BudgetShare& operator=(const BudgetShare&) = delete;

 private:
  qint64 Taken;
};

// The picture's upright size from its headers, 0 x 0 when they cannot be
// read (the decoder then says why).
QSize HeaderSize(PictureKind kind, const std::string& bytes) {
  try {
    MemoryPictureSource source(bytes);
    const PictureHeader header = ReadPictureHeader(kind, source, ScreenMetrics());
    return {std::max(header.Width, 0), std::max(std::abs(header.Height), 0)};
  } catch (const Exception&) {
    return {};
  }
}

// An icon's largest image at its own size: the directory's largest entry
// asked for by size (a width or height byte of 0 means 256).
QImage LargestIconImage(const std::string& bytes) {
  constexpr std::size_t DirectorySize = 6, EntrySize = 16;
  if (bytes.size() < DirectorySize) return {};
  const auto u8 = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
  const std::size_t count =
      std::min<std::size_t>(u8(4) | u8(5) << 8, (bytes.size() - DirectorySize) / EntrySize);
  QSize largest;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = DirectorySize + i * EntrySize;
    const QSize size(u8(at) == 0 ? 256 : u8(at), u8(at + 1) == 0 ? 256 : u8(at + 1));
    if (size.width() * size.height() > largest.width() * largest.height()) largest = size;
  }
  if (largest.isEmpty()) return {};
  return DecodeIcon(bytes, largest, 32);
}

struct Picture {
  QImage Image;
  QByteArray Icc;
};

Picture Decode(const std::string& bytes, const WebCopyOrder& order, QSize fitted) {
  Picture picture;
  switch (order.Kind) {
    case PictureKind::Metafile: {
      if (order.Width <= 0 || order.Height <= 0) NotValid(order.Kind);
      picture.Image = QImage(order.Width, order.Height, QImage::Format_ARGB32_Premultiplied);
      if (picture.Image.isNull()) NotValid(order.Kind);
      picture.Image.fill(Qt::transparent);
      QPainter painter(&picture.Image);
      if (!PlayMetafile(painter, bytes, QRectF(0, 0, order.Width, order.Height)))
        NotValid(order.Kind);
      break;
    }
    case PictureKind::Icon:
      picture.Image = LargestIconImage(bytes);
      break;
    case PictureKind::Bitmap:
      picture.Image = DecodeBitmapFile(bytes, BitmapUnpacking::QtThenOwn, fitted).Image;
      break;
    default: {
      ImageDecodeOptions options;
      options.MinimumSize = fitted;
      DecodedImage decoded = DecodePhonePicture(order.Kind, bytes, options);
      picture.Image = std::move(decoded.Image);
      picture.Icc = std::move(decoded.IccProfile);
    }
  }
  if (picture.Image.isNull()) NotValid(order.Kind);
  return picture;
}

// The image's pixels alone: a decoder's texts (PNG tEXt chunks) and other
// metadata stay behind.
QImage PixelsOnly(const QImage& image) {
  return QImage(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
                image.format())
      .copy();
}

struct Encode {
  jpeg_compress_struct Out;
  LibjpegErrors Errors;
  bool Created;
  const QImage* Image;
  const QByteArray* Icc;
  unsigned char* Encoded;  // malloc'ed by libjpeg
  unsigned long EncodedSize;
};

bool RunEncode(Encode& e) {
  e.Out.err = UseLibjpegErrors(e.Errors);
  if (setjmp(e.Errors.Exit)) return false;
  jpeg_create_compress(&e.Out);
  e.Created = true;
  jpeg_mem_dest(&e.Out, &e.Encoded, &e.EncodedSize);
  e.Out.image_width = static_cast<JDIMENSION>(e.Image->width());
  e.Out.image_height = static_cast<JDIMENSION>(e.Image->height());
  e.Out.input_components = 4;
  e.Out.in_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
  jpeg_set_defaults(&e.Out);
  jpeg_set_quality(&e.Out, WebCopyQuality, TRUE);
  jpeg_start_compress(&e.Out, TRUE);
  if (!e.Icc->isEmpty())
    jpeg_write_icc_profile(&e.Out, reinterpret_cast<const JOCTET*>(e.Icc->constData()),
                           static_cast<unsigned>(e.Icc->size()));
  while (e.Out.next_scanline < e.Out.image_height) {
    auto* row = const_cast<JSAMPROW>(e.Image->constScanLine(static_cast<int>(e.Out.next_scanline)));
    jpeg_write_scanlines(&e.Out, &row, 1);
  }
  jpeg_finish_compress(&e.Out);
  return true;
}

std::string EncodeJpeg(QImage image, const QByteArray& icc) {
  if (image.hasAlphaChannel()) {
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
    painter.end();
    image = std::move(opaque);
  } else if (image.format() != QImage::Format_RGB32) {
    image = image.convertToFormat(QImage::Format_RGB32);
  }
  if (icc.size() > 0xFFFF * 255) return EncodeJpeg(image, QByteArray());
  Encode e{};
  e.Image = &image;
  e.Icc = &icc;
  const bool ok = RunEncode(e);
  std::string bytes =
      ok ? std::string(reinterpret_cast<const char*>(e.Encoded), e.EncodedSize) : std::string();
  if (e.Created) jpeg_destroy_compress(&e.Out);
  std::free(e.Encoded);
  if (!ok) throw EJPEG(e.Errors.Code);
  return bytes;
}

std::string EncodePng(QImage image, const QByteArray& icc, PictureKind kind) {
  image = PixelsOnly(image);
  if (!icc.isEmpty()) image.setColorSpace(QColorSpace::fromIccProfile(icc));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  if (!writer.write(image)) NotValid(kind);
  return bytes.toStdString();
}

}  // namespace

std::string MakeDrawnWebCopy(const std::string& bytes, const WebCopyOrder& order) {
  QSize size = order.Kind == PictureKind::Metafile ? QSize(order.Width, order.Height)
                                                   : HeaderSize(order.Kind, bytes);
  // Icons are small whatever their header says; others are held upright at
  // their own size while they are fitted.
  const WebCopySize fitted = FitWithin(size.width(), size.height(), order.MaxSize);
  const qint64 pixels =
      order.Kind == PictureKind::Icon ? 256 * 256 : qint64(size.width()) * size.height();
  const BudgetShare share(pixels * 4);
  Picture picture = Decode(bytes, order, QSize(fitted.Width, fitted.Height));
  const WebCopySize target =
      FitWithin(picture.Image.width(), picture.Image.height(), order.MaxSize);
  if (target.Width != picture.Image.width() || target.Height != picture.Image.height())
    picture.Image = picture.Image.scaled(target.Width, target.Height, Qt::IgnoreAspectRatio,
                                         Qt::SmoothTransformation);
  if (order.Format == CopyFormat::Jpeg) return EncodeJpeg(std::move(picture.Image), picture.Icc);
  return EncodePng(std::move(picture.Image), picture.Icc, order.Kind);
}
