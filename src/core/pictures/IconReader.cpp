// Icon files: only the directory header is examined when loading; the
// images themselves are decoded when the icon is first drawn.
#include <cstdint>

#include "core/pictures/PictureReaders.h"
#include "core/pictures/formats/LittleEndian.h"
#include "core/platform/Errors.h"

namespace {
// ICONDIR, 6 bytes: u16 reserved, u16 type (1 icon, 2 cursor), u16 count.
constexpr std::size_t IconDirSize = 6;
constexpr std::size_t IconTypeAt = 2;
constexpr std::uint16_t FirstNonIconType = 2;
}  // namespace

PictureHeader ReadIconHeader(PictureSource& source, const ScreenMetrics& screen) {
  unsigned char dir[IconDirSize];
  source.ReadExact(0, dir, sizeof dir);  // a shorter file: "Stream read error"
  if (ReadU16(dir, IconTypeAt) >= FirstNonIconType)
    throw EInvalidGraphic("Icon image is not valid");
  // Icons are always shown at the screen's icon size, whatever sizes the
  // file's images have.
  PictureHeader header;
  header.Width = screen.IconWidth;
  header.Height = screen.IconHeight;
  return header;
}
