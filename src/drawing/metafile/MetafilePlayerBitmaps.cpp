// Inside the metafile player: bitmaps. Device-independent bitmaps of the
// records decoded (with palette indices replaced by the palette's colours)
// and drawn with their raster operations, and fills without a source.
#include "drawing/metafile/MetafilePlayerDevice.h"

#include <algorithm>

#include "core/pictures/formats/Bmp.h"
#include "drawing/decode/BitmapDecoder.h"

namespace metafile {

namespace {

QPainter::CompositionMode BlitMode(std::uint32_t rop) {
  switch (rop) {
    case SrcPaint:
      return QPainter::RasterOp_SourceOrDestination;
    case SrcAnd:
      return QPainter::RasterOp_SourceAndDestination;
    case SrcInvert:
      return QPainter::RasterOp_SourceXorDestination;
    case SrcErase:
      return QPainter::RasterOp_SourceAndNotDestination;
    case NotSrcCopy:
      return QPainter::RasterOp_NotSource;
    case NotSrcErase:
      return QPainter::RasterOp_NotSourceAndNotDestination;
    case MergePaint:
      return QPainter::RasterOp_NotSourceOrDestination;
    default:
      return QPainter::CompositionMode_SourceOver;
  }
}

}  // namespace

void Device::DrawImage(const QImage& image, const QRectF& destination, const QRectF& source,
                       std::uint32_t rop) {
  if (image.isNull() || source.width() == 0 || source.height() == 0 || destination.width() == 0 ||
      destination.height() == 0)
    return;
  const QTransform t = LogicalToPainter();
  // Image pixels to logical units.
  const QTransform placement = QTransform::fromTranslate(-source.x(), -source.y()) *
                               QTransform::fromScale(destination.width() / source.width(),
                                                     destination.height() / source.height()) *
                               QTransform::fromTranslate(destination.x(), destination.y());
  const QTransform full = placement * t;
  if (!Drawable(full)) return;
  const QRectF part = source.normalized().intersected(QRectF(image.rect()));
  if (part.isEmpty()) return;
  PrepareTransform(full);
  const QPainter::CompositionMode mode = BlitMode(rop);
  const bool raster = mode != QPainter::CompositionMode_SourceOver;
  if (raster && !RasterOps) return;
  Painter.setRenderHint(QPainter::SmoothPixmapTransform, Dc.SmoothStretch);
  if (raster) Painter.setCompositionMode(mode);
  Painter.drawImage(part, image, part);
  if (raster) Painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  Painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

void Device::PatBlt(const QRectF& destination, std::uint32_t rop) {
  const QTransform t = LogicalToPainter();
  if (!Drawable(t) || destination.width() == 0 || destination.height() == 0) return;
  QPainterPath box;
  box.addRect(destination.normalized());
  PrepareTransform(t);
  switch (rop) {
    case Blackness:
      FillWith(box, Qt::black);
      break;
    case Whiteness:
      FillWith(box, Qt::white);
      break;
    case DstInvert:
      FillWith(box, Qt::white, QPainter::RasterOp_NotDestination);
      break;
    case PatInvert:
      if (Dc.Brush.Style != GdiBrush::Kind::Null)
        FillWith(box, Dc.Brush.Color, QPainter::RasterOp_SourceXorDestination);
      break;
    default:
      FillShape(box, t);
      break;
  }
}

QImage Device::DibImage(const unsigned char* info, std::size_t infoSize, const unsigned char* bits,
                        std::size_t bitsSize, std::uint32_t usage) {
  using bmp::InfoHeader;
  if (info == nullptr || infoSize < bmp::CoreHeader::Size) return {};
  const long long pixels = DibPixelCount(info, infoSize);
  if (pixels > BitmapPixelsLeft) return {};
  BitmapPixelsLeft -= pixels;
  if (usage != DibPalColours) return DecodeDib(info, infoSize, bits, bitsSize).Image;

  // Replace the palette indices by the palette's colours.
  const ByteReader header(info, infoSize);
  const std::uint32_t headerSize = header.U32(bmp::HeaderSizeAt);
  if (headerSize < InfoHeader::Size || headerSize > infoSize) return {};
  const int bitCount = header.U16(InfoHeader::BitCountAt);
  std::uint32_t entries = header.U32(InfoHeader::ColoursUsedAt);
  if (entries == 0 && bitCount <= 8) entries = 1u << bitCount;
  entries = std::min<std::uint32_t>(entries, 256);
  std::string converted(reinterpret_cast<const char*>(info), headerSize);
  for (std::uint32_t i = 0; i < entries; ++i) {
    const QColor c = Color(0x01000000u | header.U16(headerSize + 2 * i));
    converted.push_back(char(c.blue()));
    converted.push_back(char(c.green()));
    converted.push_back(char(c.red()));
    converted.push_back(0);
  }
  // The header now describes exactly `entries` 4-byte entries.
  for (int i = 0; i < 4; ++i)
    converted[InfoHeader::ColoursUsedAt + i] = char((entries >> (8 * i)) & 0xFF);
  return DecodeDib(reinterpret_cast<const unsigned char*>(converted.data()), converted.size(), bits,
                   bitsSize)
      .Image;
}

QImage Device::PackedDibImage(const unsigned char* data, std::size_t size, std::uint32_t usage) {
  using bmp::InfoHeader;
  if (data == nullptr || size < bmp::CoreHeader::Size) return {};
  if (usage != DibPalColours) {
    const long long pixels = DibPixelCount(data, size);
    if (pixels > BitmapPixelsLeft) return {};
    BitmapPixelsLeft -= pixels;
    return DecodePackedDib(data, size).Image;
  }
  const ByteReader header(data, size);
  const std::uint32_t headerSize = header.U32(bmp::HeaderSizeAt);
  if (headerSize < InfoHeader::Size || headerSize > size) return {};
  const int bitCount = header.U16(InfoHeader::BitCountAt);
  std::uint64_t entries = header.U32(InfoHeader::ColoursUsedAt);
  if (entries == 0 && bitCount <= 8) entries = 1u << bitCount;
  // With palette indices the colour table holds a u16 per entry.
  const std::uint64_t infoSize = headerSize + 2 * entries;
  if (infoSize > size) return {};
  return DibImage(data, std::size_t(infoSize), data + infoSize, size - std::size_t(infoSize),
                  DibPalColours);
}

bool Device::DibTopDown(const unsigned char* info, std::size_t size) {
  const ByteReader header(info, size);
  return header.U32(bmp::HeaderSizeAt) >= bmp::InfoHeader::Size &&
         header.I32(bmp::InfoHeader::HeightAt) < 0;
}

}  // namespace metafile
