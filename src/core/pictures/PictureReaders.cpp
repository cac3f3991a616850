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
  }
  return PictureHeader();
}
