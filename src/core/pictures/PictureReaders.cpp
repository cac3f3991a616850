#include "core/pictures/PictureReaders.h"

PictureHeader ReadPictureHeader(PictureKind kind, PictureSource& source,
                                const ScreenMetrics& screen) {
  switch (kind) {
    case PictureKind::Metafile:
      return ReadMetafileHeader(source, screen);
    case PictureKind::Icon:
      return ReadIconHeader(source, screen);
    case PictureKind::Bitmap:
      return ReadBitmapHeader(source);
    case PictureKind::Jpeg:
      return ReadJpegHeader(source);
    case PictureKind::Heif:
      return ReadHeifHeader(source, false);
    case PictureKind::Avif:
      return ReadHeifHeader(source, true);
    case PictureKind::WebP:
      return ReadWebPHeader(source);
    case PictureKind::Png:
      return ReadPngHeader(source);
    case PictureKind::Gif:
      return ReadGifHeader(source);
    case PictureKind::Tiff:
      return ReadTiffHeader(source);
  }
  return PictureHeader();
}
