// Icon files: only the directory header is examined when loading; the
// images themselves are decoded when the icon is first drawn.
#include <cstdint>

#include "core/pictures/PictureReaders.h"
#include "core/pictures/formats/ByteReader.h"
#include "core/pictures/formats/Ico.h"
#include "core/platform/Errors.h"

PictureHeader ReadIconHeader(PictureSource& source, const ScreenMetrics& screen) {
  unsigned char head[ico::Directory::Size];
  source.ReadExact(0, head, sizeof head);  // a shorter file: "Stream read error"
  // A cursor, or a type not known at all, is not an icon.
  if (ByteReader(head, sizeof head).U16(ico::Directory::TypeAt) >= ico::CursorType)
    throw EInvalidGraphic("Icon image is not valid");
  // Icons are always shown at the screen's icon size, whatever sizes the
  // file's images have.
  PictureHeader header;
  header.Width = screen.IconWidth;
  header.Height = screen.IconHeight;
  return header;
}
