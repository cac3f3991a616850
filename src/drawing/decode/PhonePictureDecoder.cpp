#include "drawing/decode/PhonePictureDecoder.h"

#include "drawing/decode/AvifDecoder.h"
#include "drawing/decode/HeifDecoder.h"
#include "drawing/decode/QtImageDecoder.h"

bool IsPhonePictureKind(PictureKind kind) {
  switch (kind) {
    case PictureKind::Heif:
    case PictureKind::Avif:
    case PictureKind::WebP:
    case PictureKind::Png:
    case PictureKind::Gif:
    case PictureKind::Tiff:
      return true;
    case PictureKind::Metafile:
    case PictureKind::Icon:
    case PictureKind::Bitmap:
    case PictureKind::Jpeg:
      return false;
  }
  return false;
}

DecodedImage DecodePhonePicture(PictureKind kind, const std::string& bytes,
                                const ImageDecodeOptions& options) {
  switch (kind) {
    case PictureKind::Heif:
      return DecodeHeif(bytes, options);
    case PictureKind::Avif:
      return DecodeAvif(bytes, options);
    case PictureKind::WebP:
      return DecodeQtImage(bytes, QtImageFormat::WebP, options);
    case PictureKind::Png:
      return DecodeQtImage(bytes, QtImageFormat::Png, options);
    case PictureKind::Gif:
      return DecodeQtImage(bytes, QtImageFormat::Gif, options);
    case PictureKind::Tiff:
      return DecodeQtImage(bytes, QtImageFormat::Tiff, options);
    case PictureKind::Metafile:
    case PictureKind::Icon:
    case PictureKind::Bitmap:
    case PictureKind::Jpeg:
      break;
  }
  return {};
}

DecodedImage DecodePhonePicturePreview(PictureKind kind, const std::string& bytes,
                                       const ImageDecodeOptions& options) {
  if (kind == PictureKind::Heif) return DecodeHeifThumbnail(bytes, options);
  return {};
}
