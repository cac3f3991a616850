// The Windows metafile (WMF) records. All numbers are little-endian. Every
// record starts with its size in 16-bit words (32-bit) and its function
// number (16-bit); the parameters follow, most of them 16-bit and stored in
// reverse order (the last argument first). Offsets below count from the first
// parameter.

#include <algorithm>
#include <cmath>

#include "drawing/metafile/MetafilePlayer.h"
#include "drawing/metafile/MetafilePlayerDevice.h"

namespace metafile {

namespace {

// Placeable header (22 bytes):
//   0  4  key 0x9AC6CDD7
//   6  8  bounding box left, top, right, bottom (signed 16-bit)
//  14  2  units per inch
//  20  2  checksum
constexpr std::size_t kPlaceableSize = 22;
// Metafile header (18 bytes): 0 type, 2 header size in words, 4 version,
// 6 file size in words, 10 number of objects, 12 largest record, 16 unused.
constexpr std::size_t kHeaderSize = 18;
constexpr std::size_t kRecordHeader = 6;

enum Function : std::uint16_t {
  kEof = 0x0000,
  kSaveDc = 0x001E,
  kCreatePalette = 0x00F7,
  kSetBkMode = 0x0102,
  kSetMapMode = 0x0103,
  kSetPolyFillMode = 0x0106,
  kSetStretchBltMode = 0x0107,
  kSetTextCharExtra = 0x0108,
  kRestoreDc = 0x0127,
  kPaintRegion = 0x012B,
  kSelectClipRegion = 0x012C,
  kSelectObject = 0x012D,
  kSetTextAlign = 0x012E,
  kDibCreatePatternBrush = 0x0142,
  kDeleteObject = 0x01F0,
  kCreatePatternBrush = 0x01F9,
  kSetBkColor = 0x0201,
  kSetTextColor = 0x0209,
  kSetWindowOrg = 0x020B,
  kSetWindowExt = 0x020C,
  kSetViewportOrg = 0x020D,
  kSetViewportExt = 0x020E,
  kOffsetWindowOrg = 0x020F,
  kOffsetViewportOrg = 0x0211,
  kLineTo = 0x0213,
  kMoveTo = 0x0214,
  kOffsetClipRgn = 0x0220,
  kFillRegion = 0x0228,
  kSelectPalette = 0x0234,
  kCreatePenIndirect = 0x02FA,
  kCreateFontIndirect = 0x02FB,
  kCreateBrushIndirect = 0x02FC,
  kCreateBitmapIndirect = 0x02FD,
  kPolygon = 0x0324,
  kPolyline = 0x0325,
  kScaleWindowExt = 0x0410,
  kScaleViewportExt = 0x0412,
  kExcludeClipRect = 0x0415,
  kIntersectClipRect = 0x0416,
  kEllipse = 0x0418,
  kRectangle = 0x041B,
  kSetPixel = 0x041F,
  kTextOut = 0x0521,
  kPolyPolygon = 0x0538,
  kRoundRect = 0x061C,
  kPatBlt = 0x061D,
  kCreateRegion = 0x06FF,
  kCreateBitmap = 0x06FE,
  kArc = 0x0817,
  kPie = 0x081A,
  kChord = 0x0830,
  kDibBitBlt = 0x0940,
  kExtTextOut = 0x0A32,
  kDibStretchBlt = 0x0B41,
  kSetDibToDev = 0x0D33,
  kStretchDib = 0x0F43,
};

// A rectangle stored as bottom, right, top, left at offset.
QRectF ReversedBox(const RecordView& p, std::size_t offset) {
  return QRectF(QPointF(p.I16(offset + 6), p.I16(offset + 4)),
                QPointF(p.I16(offset + 2), p.I16(offset)));
}

// A point stored as y, x at offset.
QPointF ReversedPoint(const RecordView& p, std::size_t offset) {
  return QPointF(p.I16(offset + 2), p.I16(offset));
}

class WmfPlayer {
 public:
  explicit WmfPlayer(Device& device) : Dev(device) {}
  // False at the end-of-file record.
  bool Play(std::uint16_t function, const RecordView& p);

 private:
  void Poly(const RecordView& p, bool polygon);
  void PolyPolygon(const RecordView& p);
  void TextOut(const RecordView& p);
  void ExtTextOut(const RecordView& p);
  void CreatePen(const RecordView& p);
  void CreateBrush(const RecordView& p);
  void CreateFont(const RecordView& p);
  void CreatePalette(const RecordView& p);
  void CreateRegion(const RecordView& p);
  void CreatePatternBrush(const RecordView& p);
  void FillRegion(std::size_t region, const GdiBrush& brush);
  void DibBitBlt(const RecordView& p);
  void DibStretchBlt(const RecordView& p);
  void StretchDib(const RecordView& p);
  void SetDibToDev(const RecordView& p);

  Device& Dev;
};

void WmfPlayer::Poly(const RecordView& p, bool polygon) {
  // 0 number of points, 2 points (x, y)
  const std::uint16_t count = p.U16(0);
  if (count == 0 || !p.HasArray(2, count, 4)) return;
  QPainterPath path(QPointF(p.I16(2), p.I16(4)));
  for (std::size_t i = 1; i < count; ++i) path.lineTo(p.I16(2 + 4 * i), p.I16(4 + 4 * i));
  if (polygon) {
    path.closeSubpath();
    Dev.DrawClosed(path);
  } else {
    Dev.DrawOpen(path, false);
  }
}

void WmfPlayer::PolyPolygon(const RecordView& p) {
  // 0 number of polygons, 2 points per polygon (16-bit each), then all points
  const std::uint16_t polygons = p.U16(0);
  if (!p.HasArray(2, polygons, 2)) return;
  std::size_t at = 2 + 2 * std::size_t(polygons);
  QPainterPath path;
  for (std::size_t i = 0; i < polygons; ++i) {
    const std::uint16_t count = p.U16(2 + 2 * i);
    if (!p.HasArray(at, count, 4)) break;
    if (count > 0) {
      path.moveTo(p.I16(at), p.I16(at + 2));
      for (std::size_t k = 1; k < count; ++k) path.lineTo(p.I16(at + 4 * k), p.I16(at + 4 * k + 2));
      path.closeSubpath();
    }
    at += 4 * std::size_t(count);
  }
  Dev.DrawClosed(path);
}

void WmfPlayer::TextOut(const RecordView& p) {
  // 0 length, 2 string (padded to 16 bits), then y, x
  const std::int16_t length = p.I16(0);
  if (length <= 0) return;
  const std::size_t padded = (std::size_t(length) + 1) & ~std::size_t(1);
  if (!p.Has(2, padded + 4)) return;
  Device::TextRun run;
  run.Text = AnsiText(p.At(2, std::size_t(length)), std::size_t(length));
  run.Reference = ReversedPoint(p, 2 + padded);
  Dev.DrawText(run);
}

void WmfPlayer::ExtTextOut(const RecordView& p) {
  // 0 y, 2 x, 4 length, 6 options, 8 rectangle (left, top, right, bottom) when
  // the options ask for it, then the string (padded to 16 bits), then the
  // advances (16-bit each) when the record has room for them
  if (!p.Has(0, 8)) return;
  Device::TextRun run;
  run.Reference = QPointF(p.I16(2), p.I16(0));
  const std::int16_t length = p.I16(4);
  run.Options = p.U16(6);
  std::size_t at = 8;
  if (run.Options & (kEtoOpaque | kEtoClipped)) {
    if (!p.Has(8, 8)) return;
    run.Rect = QRectF(QPointF(p.I16(8), p.I16(10)), QPointF(p.I16(12), p.I16(14)));
    at = 16;
  }
  if (length > 0) {
    if (!p.Has(at, std::size_t(length))) return;
    run.Text = AnsiText(p.At(at, std::size_t(length)), std::size_t(length));
    const std::size_t dxAt = at + ((std::size_t(length) + 1) & ~std::size_t(1));
    const std::size_t dxCount = std::size_t(length) * ((run.Options & kEtoPdy) ? 2 : 1);
    if (p.HasArray(dxAt, dxCount, 2)) {
      run.Dx.reserve(dxCount);
      for (std::size_t i = 0; i < dxCount; ++i) run.Dx.push_back(p.I16(dxAt + 2 * i));
    }
  }
  Dev.DrawText(run);
}

void WmfPlayer::CreatePen(const RecordView& p) {
  // 0 style, 2 width (x; y unused), 6 colour
  if (!p.Has(0, 10)) {
    Dev.AddObject(GdiPlaceholder{});
    return;
  }
  GdiPen pen;
  const std::uint16_t style = p.U16(0);
  pen.Style = style & 0xF;
  pen.EndCap = style & 0xF00;
  pen.Join = style & 0xF000;
  pen.Null = pen.Style == 5;
  pen.Width = std::abs(double(p.I16(2)));
  pen.Color = Dev.Color(p.U32(6));
  Dev.AddObject(pen);
}

void WmfPlayer::CreateBrush(const RecordView& p) {
  // 0 style, 2 colour, 6 hatch
  if (!p.Has(0, 8)) {
    Dev.AddObject(GdiPlaceholder{});
    return;
  }
  GdiBrush brush;
  switch (p.U16(0)) {
    case 1:
      brush.Style = GdiBrush::Kind::Null;
      break;
    case 2:
      brush.Style = GdiBrush::Kind::Hatched;
      break;
    default:
      brush.Style = GdiBrush::Kind::Solid;
      break;
  }
  brush.Color = Dev.Color(p.U32(2));
  brush.Hatch = p.U16(6);
  Dev.AddObject(brush);
}

void WmfPlayer::CreateFont(const RecordView& p) {
  // 0 height, 2 width, 4 escapement, 6 orientation, 8 weight, 10 italic,
  // 11 underline, 12 strike-out, 13 character set, 14..17 precision, quality,
  // pitch, 18 face name (up to 32 bytes, ended by a zero)
  if (!p.Has(0, 18)) {
    Dev.AddObject(GdiPlaceholder{});
    return;
  }
  GdiFont font;
  font.Height = p.I16(0);
  font.Width = p.I16(2);
  font.Escapement = p.I16(4);
  font.Weight = p.I16(8);
  font.Italic = p.U8(10) != 0;
  font.Underline = p.U8(11) != 0;
  font.StrikeOut = p.U8(12) != 0;
  font.CharSet = p.U8(13);
  std::size_t nameLength = 0;
  while (nameLength < 32 && p.Has(18 + nameLength, 1) && p.U8(18 + nameLength) != 0) ++nameLength;
  font.Face = AnsiText(p.At(18, nameLength), nameLength);
  Dev.AddObject(font);
}

void WmfPlayer::CreatePalette(const RecordView& p) {
  // 0 start (0x0300), 2 number of entries, 4 entries (red, green, blue, flags)
  std::vector<QRgb> entries;
  const std::uint16_t count = p.U16(2);
  for (std::size_t i = 0; i < count && p.Has(4 + 4 * i, 4); ++i)
    entries.push_back(qRgb(p.U8(4 + 4 * i), p.U8(5 + 4 * i), p.U8(6 + 4 * i)));
  Dev.AddObject(GdiPalette{std::make_shared<const std::vector<QRgb>>(std::move(entries))});
}

void WmfPlayer::CreateRegion(const RecordView& p) {
  //  0 next in chain, 2 object type, 4 object count, 8 region size,
  // 10 number of scans, 12 largest scan, 14 bounding box (left, top, right,
  // bottom), 22 scans: count of 16-bit values, top, bottom, that many values
  // (left, right pairs), the count again
  GdiRegion region;
  region.Path.setFillRule(Qt::WindingFill);
  const std::uint16_t scans = p.U16(10);
  std::size_t at = 22;
  std::size_t rects = 0;
  for (std::size_t s = 0; s < scans && rects < kMaxRegionRects; ++s) {
    const std::uint16_t values = p.U16(at);
    if (!p.Has(at, 8 + 2 * std::size_t(values))) break;
    const double top = p.I16(at + 2);
    const double bottom = p.I16(at + 4);
    for (std::size_t i = 0; i + 1 < values; i += 2) {
      const double left = p.I16(at + 6 + 2 * i);
      const double right = p.I16(at + 8 + 2 * i);
      if (right > left && bottom > top && rects++ < kMaxRegionRects)
        region.Path.addRect(QRectF(left, top, right - left, bottom - top));
    }
    at += 8 + 2 * std::size_t(values);
  }
  if (scans == 0 && p.Has(14, 8)) {
    const QRectF box(QPointF(p.I16(14), p.I16(16)), QPointF(p.I16(18), p.I16(20)));
    if (box.width() > 0 && box.height() > 0) region.Path.addRect(box);
  }
  region.Path = region.Path.simplified();
  Dev.AddObject(region);
}

void WmfPlayer::CreatePatternBrush(const RecordView& p) {
  // 0 style, 2 colour usage, 4 packed bitmap
  GdiBrush brush;
  brush.Style = GdiBrush::Kind::Pattern;
  brush.Color = Qt::black;
  if (p.Size() > 4)
    brush.Pattern = Dev.PackedDibImage(p.At(4, p.Size() - 4), p.Size() - 4, p.U16(2));
  Dev.AddObject(brush);
}

void WmfPlayer::FillRegion(std::size_t regionIndex, const GdiBrush& brush) {
  const GdiObject* object = Dev.Object(regionIndex);
  const auto* region = object != nullptr ? std::get_if<GdiRegion>(object) : nullptr;
  if (region == nullptr) return;
  DcState& dc = Dev.State();
  const GdiBrush savedBrush = dc.Brush;
  const bool savedNull = dc.Pen.Null;
  dc.Brush = brush;
  dc.Pen.Null = true;
  Dev.DrawClosed(region->Path);
  dc.Brush = savedBrush;
  dc.Pen.Null = savedNull;
}

void WmfPlayer::DibBitBlt(const RecordView& p) {
  // With a bitmap: 0 raster operation, 4 source y, x, 8 height, width,
  // 12 destination y, x, 16 packed bitmap. Without: the same with a 16-bit
  // word after the raster operation, and the raster operation alone is drawn.
  if (p.Size() == 18) {
    Dev.PatBlt(QRectF(p.I16(16), p.I16(14), p.I16(12), p.I16(10)), p.U32(0));
    return;
  }
  if (!p.Has(0, 16)) return;
  const QImage image = Dev.PackedDibImage(p.At(16, p.Size() - 16), p.Size() - 16, 0);
  const double width = p.I16(10), height = p.I16(8);
  Dev.DrawImage(image, QRectF(p.I16(14), p.I16(12), width, height),
                QRectF(p.I16(6), p.I16(4), width, height), p.U32(0));
}

void WmfPlayer::DibStretchBlt(const RecordView& p) {
  // With a bitmap: 0 raster operation, 4 source height, width, 8 source y, x,
  // 12 destination height, width, 16 destination y, x, 20 packed bitmap.
  // Without: a 16-bit word after the source position, no bitmap.
  if (p.Size() == 22) {
    Dev.PatBlt(QRectF(p.I16(20), p.I16(18), p.I16(16), p.I16(14)), p.U32(0));
    return;
  }
  if (!p.Has(0, 20)) return;
  const QImage image = Dev.PackedDibImage(p.At(20, p.Size() - 20), p.Size() - 20, 0);
  Dev.DrawImage(image, QRectF(p.I16(18), p.I16(16), p.I16(14), p.I16(12)),
                QRectF(p.I16(10), p.I16(8), p.I16(6), p.I16(4)), p.U32(0));
}

void WmfPlayer::StretchDib(const RecordView& p) {
  // 0 raster operation, 4 colour usage, 6 source height, width, 10 source y, x,
  // 14 destination height, width, 18 destination y, x, 22 packed bitmap
  if (!p.Has(0, 22)) return;
  const unsigned char* dib = p.At(22, p.Size() - 22);
  const std::size_t dibSize = p.Size() - 22;
  const QImage image = Dev.PackedDibImage(dib, dibSize, p.U16(4));
  if (image.isNull()) return;
  const double w = p.I16(8), h = p.I16(6), x = p.I16(12), y = p.I16(10);
  // The source's y counts from the bottom row of a bottom-up bitmap.
  const bool topDown = Device::DibTopDown(dib, dibSize);
  Dev.DrawImage(image, QRectF(p.I16(20), p.I16(18), p.I16(16), p.I16(14)),
                QRectF(x, topDown ? y : image.height() - y - h, w, h), p.U32(0));
}

void WmfPlayer::SetDibToDev(const RecordView& p) {
  // 0 colour usage, 2 number of scans, 4 first scan, 6 source y, x,
  // 10 height, width, 14 destination y, x, 18 packed bitmap
  if (!p.Has(0, 18)) return;
  const unsigned char* dib = p.At(18, p.Size() - 18);
  const std::size_t dibSize = p.Size() - 18;
  const QImage image = Dev.PackedDibImage(dib, dibSize, p.U16(0));
  if (image.isNull()) return;
  const double w = p.I16(12), h = p.I16(10), x = p.I16(8);
  const double y = double(p.I16(6)) - double(p.U16(4));
  const bool topDown = Device::DibTopDown(dib, dibSize);
  Dev.DrawImage(image, QRectF(p.I16(16), p.I16(14), w, h),
                QRectF(x, topDown ? y : image.height() - y - h, w, h), kSrcCopy);
}

bool WmfPlayer::Play(std::uint16_t function, const RecordView& p) {
  DcState& dc = Dev.State();
  switch (function) {
    case kEof:
      return false;
    case kSaveDc:
      Dev.SaveDc();
      break;
    case kRestoreDc:
      Dev.RestoreDc(p.I16(0));
      break;
    case kSetBkMode:
      dc.BackMode = p.U16(0) == kTransparent ? kTransparent : kOpaque;
      break;
    case kSetMapMode:
      // The window and viewport modes keep the frame as the viewport: the
      // records' window is what is mapped onto the picture.
      if (p.U16(0) == kMmIsotropic || p.U16(0) == kMmAnisotropic)
        dc.Mode = p.U16(0);
      else
        Dev.SetMapMode(p.U16(0));
      break;
    case kSetPolyFillMode:
      dc.FillMode = p.U16(0) == kWinding ? kWinding : kAlternate;
      break;
    case kSetStretchBltMode:
      dc.SmoothStretch = p.U16(0) == 4;  // HALFTONE
      break;
    case kSetTextCharExtra:
      dc.CharExtra = p.I16(0);
      break;
    case kSetTextAlign:
      dc.TextAlignment = p.U16(0);
      break;
    case kSetBkColor:
      if (p.Has(0, 4)) dc.BackColor = Dev.Color(p.U32(0));
      break;
    case kSetTextColor:
      if (p.Has(0, 4)) dc.TextColor = Dev.Color(p.U32(0));
      break;
    case kSetWindowOrg:
      if (p.Has(0, 4)) Dev.SetWindowOrg(ReversedPoint(p, 0));
      break;
    case kSetWindowExt:
      if (p.Has(0, 4)) Dev.SetWindowExt(QSizeF(p.I16(2), p.I16(0)));
      break;
    case kSetViewportOrg:
      if (p.Has(0, 4)) Dev.SetViewportOrg(ReversedPoint(p, 0));
      break;
    case kSetViewportExt:
      if (p.Has(0, 4)) Dev.SetViewportExt(QSizeF(p.I16(2), p.I16(0)));
      break;
    case kOffsetWindowOrg:
      if (p.Has(0, 4)) Dev.SetWindowOrg(dc.WindowOrg + ReversedPoint(p, 0));
      break;
    case kOffsetViewportOrg:
      if (p.Has(0, 4)) Dev.SetViewportOrg(dc.ViewportOrg + ReversedPoint(p, 0));
      break;
    case kScaleWindowExt:
      // 0 y denominator, 2 y numerator, 4 x denominator, 6 x numerator
      if (p.Has(0, 8)) Dev.ScaleWindowExt(p.I16(6), p.I16(4), p.I16(2), p.I16(0));
      break;
    case kScaleViewportExt:
      if (p.Has(0, 8)) Dev.ScaleViewportExt(p.I16(6), p.I16(4), p.I16(2), p.I16(0));
      break;
    case kSelectObject:
      Dev.SelectObject(p.U16(0));
      break;
    case kSelectPalette:
      Dev.SelectPalette(p.U16(0));
      break;
    case kDeleteObject:
      Dev.DeleteObject(p.U16(0));
      break;
    case kCreatePenIndirect:
      CreatePen(p);
      break;
    case kCreateBrushIndirect:
      CreateBrush(p);
      break;
    case kCreateFontIndirect:
      CreateFont(p);
      break;
    case kCreatePalette:
      CreatePalette(p);
      break;
    case kCreateRegion:
      CreateRegion(p);
      break;
    case kDibCreatePatternBrush:
      CreatePatternBrush(p);
      break;
    case kCreatePatternBrush: {
      // An old device-dependent pattern: drawn as a plain dark brush.
      GdiBrush brush;
      brush.Color = Qt::black;
      Dev.AddObject(brush);
      break;
    }
    case kCreateBitmapIndirect:
    case kCreateBitmap:
      Dev.AddObject(GdiPlaceholder{});
      break;
    case kSelectClipRegion: {
      const GdiObject* object = Dev.Object(p.U16(0));
      const auto* region = object != nullptr ? std::get_if<GdiRegion>(object) : nullptr;
      if (region == nullptr) {
        Dev.CombineClip(std::nullopt, kRgnCopy);
      } else {
        Dev.SelectObject(p.U16(0));
      }
      break;
    }
    case kOffsetClipRgn:
      if (p.Has(0, 4)) Dev.OffsetClip(ReversedPoint(p, 0));
      break;
    case kExcludeClipRect:
      if (p.Has(0, 8)) Dev.ExcludeClipRect(ReversedBox(p, 0));
      break;
    case kIntersectClipRect:
      if (p.Has(0, 8)) Dev.IntersectClipRect(ReversedBox(p, 0));
      break;
    case kFillRegion: {
      // 0 region, 2 brush
      const GdiObject* object = Dev.Object(p.U16(2));
      const auto* brush = object != nullptr ? std::get_if<GdiBrush>(object) : nullptr;
      if (brush != nullptr && p.Has(0, 4)) FillRegion(p.U16(0), *brush);
      break;
    }
    case kPaintRegion:
      if (p.Has(0, 2)) FillRegion(p.U16(0), dc.Brush);
      break;
    case kMoveTo:
      if (p.Has(0, 4)) Dev.MoveTo(ReversedPoint(p, 0));
      break;
    case kLineTo:
      if (p.Has(0, 4)) Dev.LineTo(ReversedPoint(p, 0));
      break;
    case kSetPixel:
      // 0 colour, 4 y, 6 x
      if (p.Has(0, 8)) Dev.SetPixel(ReversedPoint(p, 4), Dev.Color(p.U32(0)));
      break;
    case kPolygon:
    case kPolyline:
      Poly(p, function == kPolygon);
      break;
    case kPolyPolygon:
      PolyPolygon(p);
      break;
    case kRectangle:
    case kEllipse:
      if (p.Has(0, 8)) {
        QPainterPath path;
        const QRectF box = ReversedBox(p, 0).normalized();
        if (function == kRectangle)
          path.addRect(box);
        else
          path.addEllipse(box);
        Dev.DrawClosed(path);
      }
      break;
    case kRoundRect:
      // 0 corner height, 2 corner width, 4 bottom, right, top, left
      if (p.Has(0, 12)) {
        QPainterPath path;
        path.addRoundedRect(ReversedBox(p, 4).normalized(), std::abs(p.I16(2)) / 2.0,
                            std::abs(p.I16(0)) / 2.0);
        Dev.DrawClosed(path);
      }
      break;
    case kArc:
    case kPie:
    case kChord:
      // 0 end y, x, 4 start y, x, 8 bottom, right, top, left
      if (p.Has(0, 16)) {
        const Device::ArcKind kind = function == kArc   ? Device::ArcKind::Arc
                                     : function == kPie ? Device::ArcKind::Pie
                                                        : Device::ArcKind::Chord;
        Dev.DrawArc(kind, ReversedBox(p, 8), ReversedPoint(p, 4), ReversedPoint(p, 0));
      }
      break;
    case kTextOut:
      TextOut(p);
      break;
    case kExtTextOut:
      ExtTextOut(p);
      break;
    case kPatBlt:
      // 0 raster operation, 4 height, width, 8 y, x
      if (p.Has(0, 12)) Dev.PatBlt(QRectF(p.I16(10), p.I16(8), p.I16(6), p.I16(4)), p.U32(0));
      break;
    case kDibBitBlt:
      DibBitBlt(p);
      break;
    case kDibStretchBlt:
      DibStretchBlt(p);
      break;
    case kStretchDib:
      StretchDib(p);
      break;
    case kSetDibToDev:
      SetDibToDev(p);
      break;
    default:
      break;  // not drawn: escapes, palette animation, flood fills, ...
  }
  return true;
}

// Visits the records from `offset` until the end, a damaged record or the
// end-of-file record.
template <typename Visit>
void ForEachRecord(const unsigned char* data, std::size_t size, std::size_t offset, Visit visit) {
  long records = 0;
  while (offset + kRecordHeader <= size && records++ < MetafilePlayer::kMaxRecords) {
    const RecordView head(data + offset, size - offset);
    const std::uint64_t bytes = std::uint64_t(head.U32(0)) * 2;
    const std::uint16_t function = head.U16(4);
    if (bytes < kRecordHeader || bytes > size - offset) break;
    if (function == kEof) break;
    const RecordView parameters(data + offset + kRecordHeader, std::size_t(bytes) - kRecordHeader);
    if (!visit(function, parameters)) break;
    offset += std::size_t(bytes);
  }
}

}  // namespace

bool PlayWindowsRecords(QPainter& painter, const unsigned char* data, std::size_t size,
                        bool placeable, const QRectF& target) {
  if (target.isEmpty()) return false;
  const std::size_t start = placeable ? kPlaceableSize : 0;
  if (size < start + kHeaderSize) return false;
  const RecordView header(data + start, size - start);
  const std::size_t headerBytes =
      std::clamp<std::size_t>(std::size_t(header.U16(2)) * 2, kHeaderSize, size - start);
  const std::size_t first = start + headerBytes;

  // The picture's frame in logical units: the placeable bounding box, else
  // the window the records set first.
  ReferenceDevice reference;
  QRectF frame;
  if (placeable) {
    const RecordView top(data, size);
    frame = QRectF(QPointF(top.I16(6), top.I16(8)), QPointF(top.I16(10), top.I16(12)));
    const double unitsPerInch = top.U16(14) != 0 ? top.U16(14) : 96;
    reference.UnitsPerMmX = reference.UnitsPerMmY = unitsPerInch / 25.4;
  } else {
    std::optional<QPointF> origin;
    std::optional<QSizeF> extent;
    ForEachRecord(data, size, first, [&](std::uint16_t function, const RecordView& p) {
      if (function == kSetWindowOrg && !origin && p.Has(0, 4)) origin = ReversedPoint(p, 0);
      if (function == kSetWindowExt && !extent && p.Has(0, 4)) extent = QSizeF(p.I16(2), p.I16(0));
      return !(origin && extent);
    });
    if (!extent) return false;
    frame = QRectF(origin.value_or(QPointF()), *extent);
  }
  if (frame.width() == 0 || frame.height() == 0) return false;
  const double sx = target.width() / frame.width();
  const double sy = target.height() / frame.height();
  reference.ToTarget =
      QTransform(sx, 0, 0, sy, target.left() - frame.left() * sx, target.top() - frame.top() * sy);
  reference.ObjectSlots = header.U16(10);

  Device device(painter, reference);
  // The records start in the anisotropic mode with the frame as both window
  // and viewport; a window the records set is then mapped onto the frame.
  device.SetMapMode(kMmAnisotropic);
  DcState& dc = device.State();
  dc.WindowOrg = dc.ViewportOrg = frame.topLeft();
  dc.WindowExt = dc.ViewportExt = frame.size();
  WmfPlayer player(device);
  ForEachRecord(data, size, first, [&](std::uint16_t function, const RecordView& p) {
    return player.Play(function, p);
  });
  return true;
}

}  // namespace metafile
