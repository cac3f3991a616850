#include "drawing/decode/AvifDecoder.h"

#include <QtEndian>

#include <avif/avif.h>

#include <memory>
#include <utility>

#include "core/pictures/formats/Exif.h"
#include "drawing/decode/JpegDecoder.h"

namespace {

using Decoder = std::unique_ptr<avifDecoder, decltype(&avifDecoderDestroy)>;

// How the picture is turned for showing: irot (anticlockwise quarter turns)
// first, then imir (mode 0 exchanges top and bottom, mode 1 left and right).
int AvifOrientation(const avifImage& image) {
  int orientation = exif::Upright;
  if (image.transformFlags & AVIF_TRANSFORM_IROT)
    orientation = AnticlockwiseOrientation(image.irot.angle);
  if (image.transformFlags & AVIF_TRANSFORM_IMIR)
    orientation =
        ComposeOrientations(orientation, image.imir.mode == 0 ? exif::Flipped : exif::Mirrored);
  return orientation;
}

// The image's pixels as 8-bit premultiplied ARGB or opaque RGB32.
QImage ToQImage(avifImage* image) {
  const bool alpha = image->alphaPlane != nullptr;
  QImage out(static_cast<int>(image->width), static_cast<int>(image->height),
             alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  if (out.isNull()) return out;
  avifRGBImage rgb;
  avifRGBImageSetDefaults(&rgb, image);
  // QImage keeps a pixel as one 32-bit number 0xAARRGGBB.
  rgb.format = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AVIF_RGB_FORMAT_BGRA : AVIF_RGB_FORMAT_ARGB;
  rgb.depth = 8;
  rgb.alphaPremultiplied = AVIF_TRUE;
  rgb.pixels = out.bits();
  rgb.rowBytes = static_cast<std::uint32_t>(out.bytesPerLine());
  if (avifImageYUVToRGB(image, &rgb) != AVIF_RESULT_OK) return {};
  return out;
}

}  // namespace

DecodedImage DecodeAvif(const std::string& bytes, const ImageDecodeOptions& options) {
  DecodedImage result;
  if (bytes.empty()) return result;
  if (CancelRequested(options)) {
    result.Cancelled = true;
    return result;
  }
  Decoder decoder(avifDecoderCreate(), avifDecoderDestroy);
  if (!decoder) return result;
  decoder->maxThreads = static_cast<int>(DecodeThreads(options));
  decoder->imageSizeLimit = static_cast<std::uint32_t>(MaxDecodedPixels);
  // Browsers show files that bend the rules (a missing pixi box, a clap
  // box that does not fit).
  decoder->strictFlags = AVIF_STRICT_DISABLED;
  decoder->ignoreExif = AVIF_TRUE;
  decoder->ignoreXMP = AVIF_TRUE;
  if (avifDecoderSetIOMemory(decoder.get(), reinterpret_cast<const std::uint8_t*>(bytes.data()),
                             bytes.size()) != AVIF_RESULT_OK ||
      avifDecoderParse(decoder.get()) != AVIF_RESULT_OK)
    return result;
  avifImage* image = decoder->image;
  if (image == nullptr || !DecodableSize(image->width, image->height)) return result;
  if (CancelRequested(options)) {
    result.Cancelled = true;
    return result;
  }
  if (avifDecoderNextImage(decoder.get()) != AVIF_RESULT_OK) return result;
  image = decoder->image;
  if (image == nullptr || !DecodableSize(image->width, image->height)) return result;
  QImage pixels = ToQImage(image);
  if (pixels.isNull()) return result;
  if (image->icc.size > 0)
    result.IccProfile = QByteArray(reinterpret_cast<const char*>(image->icc.data),
                                   static_cast<qsizetype>(image->icc.size));
  result.Image = FinishedImage(UprightImage(pixels, AvifOrientation(*image)), options);
  return result;
}
