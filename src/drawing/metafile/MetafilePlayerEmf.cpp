// The enhanced metafile (EMF) records. All numbers are little-endian; every
// record starts with its type and its size in bytes (32-bit each), and the
// offsets below count from the start of the record.

#include <algorithm>
#include <cmath>

#include "drawing/metafile/MetafilePlayer.h"
#include "drawing/metafile/MetafilePlayerDevice.h"

namespace metafile {

namespace {

// Header record (type 1):
//   8 16  bounds, reference device pixels, inclusive (left, top, right, bottom)
//  24 16  frame, hundredths of a millimetre, inclusive
//  40  4  signature " EMF" (0x464D4520)
//  48  4  size of the whole metafile in bytes
//  56  2  number of object handles (slot 0 is the metafile itself)
//  72  8  reference device size in pixels (x, y)
//  80  8  reference device size in millimetres (x, y)
constexpr std::size_t kHeaderMinimum = 88;

enum Record : std::uint32_t {
  kHeader = 1,
  kPolyBezier = 2,
  kPolygon = 3,
  kPolyline = 4,
  kPolyBezierTo = 5,
  kPolylineTo = 6,
  kPolyPolyline = 7,
  kPolyPolygon = 8,
  kSetWindowExtEx = 9,
  kSetWindowOrgEx = 10,
  kSetViewportExtEx = 11,
  kSetViewportOrgEx = 12,
  kEof = 14,
  kSetPixelV = 15,
  kSetMapMode = 17,
  kSetBkMode = 18,
  kSetPolyFillMode = 19,
  kSetStretchBltMode = 21,
  kSetTextAlign = 22,
  kSetTextColor = 24,
  kSetBkColor = 25,
  kOffsetClipRgn = 26,
  kMoveToEx = 27,
  kExcludeClipRect = 29,
  kIntersectClipRect = 30,
  kScaleViewportExtEx = 31,
  kScaleWindowExtEx = 32,
  kSaveDc = 33,
  kRestoreDc = 34,
  kSetWorldTransform = 35,
  kModifyWorldTransform = 36,
  kSelectObject = 37,
  kCreatePen = 38,
  kCreateBrushIndirect = 39,
  kDeleteObject = 40,
  kAngleArc = 41,
  kEllipse = 42,
  kRectangle = 43,
  kRoundRect = 44,
  kArc = 45,
  kChord = 46,
  kPie = 47,
  kSelectPalette = 48,
  kCreatePalette = 49,
  kLineTo = 54,
  kArcTo = 55,
  kPolyDraw = 56,
  kSetArcDirection = 57,
  kSetMiterLimit = 58,
  kBeginPath = 59,
  kEndPath = 60,
  kCloseFigure = 61,
  kFillPath = 62,
  kStrokeAndFillPath = 63,
  kStrokePath = 64,
  kSelectClipPath = 67,
  kAbortPath = 68,
  kExtSelectClipRgn = 75,
  kBitBlt = 76,
  kStretchBlt = 77,
  kSetDiBitsToDevice = 80,
  kStretchDiBits = 81,
  kExtCreateFontIndirectW = 82,
  kExtTextOutA = 83,
  kExtTextOutW = 84,
  kPolyBezier16 = 85,
  kPolygon16 = 86,
  kPolyline16 = 87,
  kPolyBezierTo16 = 88,
  kPolylineTo16 = 89,
  kPolyPolyline16 = 90,
  kPolyPolygon16 = 91,
  kPolyDraw16 = 92,
  kCreateMonoBrush = 93,
  kCreateDibPatternBrushPt = 94,
  kExtCreatePen = 95,
};

constexpr std::uint32_t kStockFlag = 0x80000000u;

QPointF PointAt(const RecordView& r, std::size_t offset, bool small) {
  if (small) return QPointF(r.I16(offset), r.I16(offset + 2));
  return QPointF(r.I32(offset), r.I32(offset + 4));
}

// A RECTL at offset, as GDI shape corners (left, top) - (right, bottom).
QRectF BoxAt(const RecordView& r, std::size_t offset) {
  return QRectF(QPointF(r.I32(offset), r.I32(offset + 4)),
                QPointF(r.I32(offset + 8), r.I32(offset + 12)));
}

QTransform TransformAt(const RecordView& r, std::size_t offset) {
  return QTransform(r.F32(offset), r.F32(offset + 4), r.F32(offset + 8), r.F32(offset + 12),
                    r.F32(offset + 16), r.F32(offset + 20));
}

// The rectangles of a region (RGNDATA: 32-byte header, then RECTLs) as a path.
std::optional<QPainterPath> RegionAt(const RecordView& r, std::size_t offset, std::size_t size) {
  if (size < 32 || !r.Has(offset, size)) return std::nullopt;
  const std::uint32_t headerSize = r.U32(offset);
  const std::uint32_t count = r.U32(offset + 8);
  if (headerSize < 32 || headerSize > size) return std::nullopt;
  const std::size_t rects = offset + headerSize;
  const std::size_t available = (size - headerSize) / 16;
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  const std::size_t used = std::min<std::size_t>({count, available, kMaxRegionRects});
  for (std::size_t i = 0; i < used; ++i) {
    const QRectF box = BoxAt(r, rects + 16 * i);
    if (box.width() > 0 && box.height() > 0) path.addRect(box);
  }
  return path.simplified();
}

class EmfPlayer {
 public:
  EmfPlayer(Device& device) : Dev(device) {}
  // False at the end-of-file record.
  bool Play(std::uint32_t type, const RecordView& r);

 private:
  void Poly(std::uint32_t type, const RecordView& r, bool small);
  void PolyPoly(bool polygon, const RecordView& r, bool small);
  void PolyDraw(const RecordView& r, bool small);
  void Text(const RecordView& r, bool wide);
  void CreatePen(const RecordView& r);
  void ExtCreatePen(const RecordView& r);
  void CreateBrush(const RecordView& r);
  void CreatePatternBrush(const RecordView& r);
  void CreateFont(const RecordView& r);
  void CreatePalette(const RecordView& r);
  void ClipRegion(const RecordView& r);
  void Blit(const RecordView& r, bool stretch);
  void StretchDiBits(const RecordView& r);
  void SetDiBitsToDevice(const RecordView& r);
  QImage Bitmap(const RecordView& r, std::uint32_t offBmi, std::uint32_t cbBmi,
                std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage,
                bool* topDown = nullptr);

  Device& Dev;
};

void EmfPlayer::Poly(std::uint32_t type, const RecordView& r, bool small) {
  // 8 bounds, 24 count, 28 points
  const std::uint32_t count = r.U32(24);
  const std::size_t pointSize = small ? 4 : 8;
  if (count == 0 || !r.HasArray(28, count, pointSize)) return;
  auto point = [&](std::size_t i) { return PointAt(r, 28 + i * pointSize, small); };
  QPainterPath path;
  switch (type) {
    case kPolygon:
    case kPolyline:
      path.moveTo(point(0));
      for (std::size_t i = 1; i < count; ++i) path.lineTo(point(i));
      if (type == kPolygon) {
        path.closeSubpath();
        Dev.DrawClosed(path);
      } else {
        Dev.DrawOpen(path, false);
      }
      break;
    case kPolylineTo:
      path.moveTo(Dev.State().Position);
      for (std::size_t i = 0; i < count; ++i) path.lineTo(point(i));
      Dev.DrawOpen(path, true);
      break;
    case kPolyBezier:
      path.moveTo(point(0));
      for (std::size_t i = 1; i + 2 < count; i += 3)
        path.cubicTo(point(i), point(i + 1), point(i + 2));
      Dev.DrawOpen(path, false);
      break;
    case kPolyBezierTo:
      path.moveTo(Dev.State().Position);
      for (std::size_t i = 0; i + 2 < count; i += 3)
        path.cubicTo(point(i), point(i + 1), point(i + 2));
      Dev.DrawOpen(path, true);
      break;
    default:
      break;
  }
}

void EmfPlayer::PolyPoly(bool polygon, const RecordView& r, bool small) {
  // 8 bounds, 24 number of polygons, 28 number of points, 32 counts, points
  const std::uint32_t polys = r.U32(24);
  const std::uint32_t total = r.U32(28);
  const std::size_t pointSize = small ? 4 : 8;
  if (!r.HasArray(32, polys, 4)) return;
  const std::size_t pointsAt = 32 + std::size_t(polys) * 4;
  if (!r.HasArray(pointsAt, total, pointSize)) return;
  QPainterPath path;
  std::size_t next = 0;
  for (std::uint32_t p = 0; p < polys; ++p) {
    const std::uint32_t count = r.U32(32 + 4 * std::size_t(p));
    if (count > total - next) break;
    if (count > 0) {
      path.moveTo(PointAt(r, pointsAt + next * pointSize, small));
      for (std::size_t i = 1; i < count; ++i)
        path.lineTo(PointAt(r, pointsAt + (next + i) * pointSize, small));
      if (polygon) path.closeSubpath();
    }
    next += count;
  }
  if (polygon)
    Dev.DrawClosed(path);
  else
    Dev.DrawOpen(path, false);
}

void EmfPlayer::PolyDraw(const RecordView& r, bool small) {
  // 8 bounds, 24 count, 28 points, then one type byte per point
  const std::uint32_t count = r.U32(24);
  const std::size_t pointSize = small ? 4 : 8;
  if (count == 0 || !r.HasArray(28, count, pointSize)) return;
  const std::size_t typesAt = 28 + std::size_t(count) * pointSize;
  if (!r.HasArray(typesAt, count, 1)) return;
  QPainterPath path(Dev.State().Position);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t kind = r.U8(typesAt + i);
    const QPointF p = PointAt(r, 28 + i * pointSize, small);
    switch (kind & ~1u) {
      case 6:
        path.moveTo(p);
        break;  // PT_MOVETO
      case 2:
        path.lineTo(p);
        break;  // PT_LINETO
      case 4:   // PT_BEZIERTO, three points
        if (i + 2 < count) {
          path.cubicTo(p, PointAt(r, 28 + (i + 1) * pointSize, small),
                       PointAt(r, 28 + (i + 2) * pointSize, small));
          i += 2;
        }
        break;
      default:
        break;
    }
    if (r.U8(typesAt + i) & 1) path.closeSubpath();  // PT_CLOSEFIGURE
  }
  Dev.DrawOpen(path, true);
}

void EmfPlayer::Text(const RecordView& r, bool wide) {
  //  8 bounds, 24 graphics mode, 28 x scale, 32 y scale, then the text:
  // 36 reference point, 44 number of characters, 48 offset of the string,
  // 52 options, 56 rectangle, 72 offset of the advances (32-bit each)
  if (!r.Has(0, 76)) return;
  Device::TextRun run;
  run.Reference = PointAt(r, 36, false);
  const std::uint32_t count = std::min(r.U32(44), kMaxTextChars);
  const std::uint32_t stringAt = r.U32(48);
  run.Options = r.U32(52);
  if (run.Options & (kEtoOpaque | kEtoClipped)) run.Rect = BoxAt(r, 56);
  if (count > 0) {
    if (!r.HasArray(stringAt, count, wide ? 2 : 1)) return;
    if (wide) {
      QString text(qsizetype(count), Qt::Uninitialized);
      for (std::size_t i = 0; i < count; ++i) text[qsizetype(i)] = QChar(r.U16(stringAt + 2 * i));
      run.Text = text;
    } else {
      run.Text = AnsiText(r.At(stringAt, count), count);
    }
    const std::uint32_t dxAt = r.U32(72);
    const std::uint64_t dxCount = std::uint64_t(count) * ((run.Options & kEtoPdy) ? 2 : 1);
    if (dxAt != 0 && r.HasArray(dxAt, dxCount, 4)) {
      run.Dx.reserve(dxCount);
      for (std::size_t i = 0; i < dxCount; ++i) run.Dx.push_back(r.I32(dxAt + 4 * i));
    }
  }
  Dev.DrawText(run);
}

void EmfPlayer::CreatePen(const RecordView& r) {
  // 8 handle, 12 style, 16 width (x; y unused), 24 colour
  if (!r.Has(0, 28)) return;
  GdiPen pen;
  const std::uint32_t style = r.U32(12);
  pen.Style = int(style & 0xF);
  pen.Null = pen.Style == 5;
  pen.Width = std::abs(double(r.I32(16)));
  pen.Color = Dev.Color(r.U32(24));
  Dev.PutObject(r.U32(8), pen);
}

void EmfPlayer::ExtCreatePen(const RecordView& r) {
  //  8 handle, 12..27 brush bitmap (unused), 28 style, 32 width,
  // 36 brush style, 40 colour, 44 hatch, 48 number of style entries, 52 entries
  if (!r.Has(0, 52)) return;
  GdiPen pen;
  const std::uint32_t style = r.U32(28);
  pen.Style = int(style & 0xF);
  pen.EndCap = int(style & 0xF00);
  pen.Join = int(style & 0xF000);
  pen.Geometric = (style & 0xF0000) == 0x10000;
  pen.Width = pen.Geometric ? double(r.U32(32)) : 0.0;
  pen.Null = pen.Style == 5 || r.U32(36) == 1;  // PS_NULL or BS_NULL
  pen.Color = Dev.Color(r.U32(40));
  const std::uint32_t entries = std::min<std::uint32_t>(r.U32(48), 16);
  if (pen.Style == 7 && r.HasArray(52, entries, 4))
    for (std::size_t i = 0; i < entries; ++i) pen.UserDashes.push_back(r.U32(52 + 4 * i));
  Dev.PutObject(r.U32(8), pen);
}

void EmfPlayer::CreateBrush(const RecordView& r) {
  // 8 handle, 12 style, 16 colour, 20 hatch
  if (!r.Has(0, 24)) return;
  GdiBrush brush;
  switch (r.U32(12)) {
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
  brush.Color = Dev.Color(r.U32(16));
  brush.Hatch = int(r.U32(20));
  Dev.PutObject(r.U32(8), brush);
}

void EmfPlayer::CreatePatternBrush(const RecordView& r) {
  // 8 handle, 12 colour usage, 16 offset/size of the info block, 24 offset/size of the bits
  if (!r.Has(0, 32)) return;
  GdiBrush brush;
  brush.Style = GdiBrush::Kind::Pattern;
  brush.Color = Qt::black;
  brush.Pattern = Bitmap(r, r.U32(16), r.U32(20), r.U32(24), r.U32(28), r.U32(12));
  Dev.PutObject(r.U32(8), brush);
}

void EmfPlayer::CreateFont(const RecordView& r) {
  //  8 handle, 12 LOGFONTW: 12 height, 16 width, 20 escapement, 24 orientation,
  // 28 weight, 32 italic, 33 underline, 34 strike-out, 35 character set,
  // 36..39 precision, quality, pitch, 40 face name (32 UTF-16 units)
  if (!r.Has(0, 40)) return;
  GdiFont font;
  font.Height = r.I32(12);
  font.Width = r.I32(16);
  font.Escapement = r.I32(20);
  font.Weight = r.I32(28);
  font.Italic = r.U8(32) != 0;
  font.Underline = r.U8(33) != 0;
  font.StrikeOut = r.U8(34) != 0;
  font.CharSet = r.U8(35);
  for (std::size_t i = 0; i < 32 && r.Has(40 + 2 * i, 2); ++i) {
    const std::uint16_t c = r.U16(40 + 2 * i);
    if (c == 0) break;
    font.Face.append(QChar(c));
  }
  Dev.PutObject(r.U32(8), font);
}

void EmfPlayer::CreatePalette(const RecordView& r) {
  // 8 handle, 12 version, 14 number of entries, 16 entries (red, green, blue, flags)
  if (!r.Has(0, 16)) return;
  std::vector<QRgb> entries;
  const std::uint16_t count = r.U16(14);
  for (std::size_t i = 0; i < count && r.Has(16 + 4 * i, 4); ++i)
    entries.push_back(qRgb(r.U8(16 + 4 * i), r.U8(17 + 4 * i), r.U8(18 + 4 * i)));
  Dev.PutObject(r.U32(8),
                GdiPalette{std::make_shared<const std::vector<QRgb>>(std::move(entries))});
}

void EmfPlayer::ClipRegion(const RecordView& r) {
  // 8 size of the region data, 12 mode, 16 region data (reference device units)
  if (!r.Has(0, 16)) return;
  const std::uint32_t size = r.U32(8);
  const int mode = int(r.U32(12));
  std::optional<QPainterPath> region = RegionAt(r, 16, size);
  if (region) *region = Dev.ReferenceToPainter().map(*region);
  Dev.CombineClip(region, mode);
}

QImage EmfPlayer::Bitmap(const RecordView& r, std::uint32_t offBmi, std::uint32_t cbBmi,
                         std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage,
                         bool* topDown) {
  const unsigned char* info = r.At(offBmi, cbBmi);
  if (info == nullptr) return {};
  const unsigned char* bits = r.At(offBits, cbBits);
  if (bits == nullptr) cbBits = 0;
  if (topDown != nullptr) *topDown = Device::DibTopDown(info, cbBmi);
  return Dev.DibImage(info, cbBmi, bits, cbBits, usage);
}

void EmfPlayer::Blit(const RecordView& r, bool stretch) {
  //  24 x, y, width, height of the destination, 40 raster operation, 44 source x, y,
  //  52 source transform, 76 background colour, 80 usage, 84 offset/size of the
  //  info block, 92 offset/size of the bits; stretching: 100 source width, height
  if (!r.Has(0, stretch ? 108 : 100)) return;
  const QRectF destination(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
  const std::uint32_t rop = r.U32(40);
  const std::uint32_t cbBmi = r.U32(88);
  if (cbBmi == 0) {
    Dev.PatBlt(destination, rop);
    return;
  }
  const QImage bitmap = Bitmap(r, r.U32(84), cbBmi, r.U32(92), r.U32(96), r.U32(80));
  if (bitmap.isNull()) return;
  QTransform sourceTransform = TransformAt(r, 52);
  if (!sourceTransform.isInvertible() || !std::isfinite(sourceTransform.m11()))
    sourceTransform = QTransform();
  const QSizeF sourceSize = stretch ? QSizeF(r.I32(100), r.I32(104)) : destination.size();
  // The source is a memory device: top-down pixels.
  const QRectF source = sourceTransform.mapRect(QRectF(QPointF(r.I32(44), r.I32(48)), sourceSize));
  Dev.DrawImage(bitmap, destination, source, rop);
}

void EmfPlayer::StretchDiBits(const RecordView& r) {
  //  24 destination x, y, 32 source x, y, width, height, 48 offset/size of the
  //  info block, 56 offset/size of the bits, 64 usage, 68 raster operation,
  //  72 destination width, height
  if (!r.Has(0, 80)) return;
  const QRectF destination(r.I32(24), r.I32(28), r.I32(72), r.I32(76));
  const std::uint32_t rop = r.U32(68);
  if (r.U32(52) == 0) {
    Dev.PatBlt(destination, rop);
    return;
  }
  bool topDown = false;
  const QImage bitmap = Bitmap(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60), r.U32(64), &topDown);
  if (bitmap.isNull()) return;
  const double x = r.I32(32), y = r.I32(36), w = r.I32(40), h = r.I32(44);
  // The source's y counts from the bottom row of a bottom-up bitmap.
  const QRectF source(x, topDown ? y : bitmap.height() - y - h, w, h);
  Dev.DrawImage(bitmap, destination, source, rop);
}

void EmfPlayer::SetDiBitsToDevice(const RecordView& r) {
  //  24 destination x, y, 32 source x, y, width, height, 48 offset/size of the
  //  info block, 56 offset/size of the bits, 64 usage, 68 first scan, 72 scans
  if (!r.Has(0, 76)) return;
  bool topDown = false;
  const QImage bitmap = Bitmap(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60), r.U32(64), &topDown);
  if (bitmap.isNull()) return;
  const double x = r.I32(32), w = r.I32(40), h = r.I32(44);
  const double y = double(r.I32(36)) - double(r.U32(68));
  const QRectF source(x, topDown ? y : bitmap.height() - y - h, w, h);
  Dev.DrawImage(bitmap, QRectF(r.I32(24), r.I32(28), w, h), source, kSrcCopy);
}

bool EmfPlayer::Play(std::uint32_t type, const RecordView& r) {
  DcState& dc = Dev.State();
  switch (type) {
    case kEof:
      return false;
    case kPolyBezier:
    case kPolygon:
    case kPolyline:
    case kPolyBezierTo:
    case kPolylineTo:
      Poly(type, r, false);
      break;
    case kPolyBezier16:
    case kPolygon16:
    case kPolyline16:
    case kPolyBezierTo16:
    case kPolylineTo16:
      Poly(type - (kPolyBezier16 - kPolyBezier), r, true);
      break;
    case kPolyPolyline:
    case kPolyPolygon:
      PolyPoly(type == kPolyPolygon, r, false);
      break;
    case kPolyPolyline16:
    case kPolyPolygon16:
      PolyPoly(type == kPolyPolygon16, r, true);
      break;
    case kPolyDraw:
    case kPolyDraw16:
      PolyDraw(r, type == kPolyDraw16);
      break;
    case kSetWindowExtEx:
      Dev.SetWindowExt(QSizeF(r.I32(8), r.I32(12)));
      break;
    case kSetWindowOrgEx:
      Dev.SetWindowOrg(PointAt(r, 8, false));
      break;
    case kSetViewportExtEx:
      Dev.SetViewportExt(QSizeF(r.I32(8), r.I32(12)));
      break;
    case kSetViewportOrgEx:
      Dev.SetViewportOrg(PointAt(r, 8, false));
      break;
    case kScaleViewportExtEx:
      Dev.ScaleViewportExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
      break;
    case kScaleWindowExtEx:
      Dev.ScaleWindowExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
      break;
    case kSetMapMode:
      Dev.SetMapMode(int(r.U32(8)));
      break;
    case kSetWorldTransform:
      if (r.Has(8, 24)) Dev.SetWorldTransform(TransformAt(r, 8));
      break;
    case kModifyWorldTransform:
      if (r.Has(8, 28)) Dev.ModifyWorldTransform(TransformAt(r, 8), r.U32(32));
      break;
    case kSetBkMode:
      dc.BackMode = r.U32(8) == kTransparent ? kTransparent : kOpaque;
      break;
    case kSetPolyFillMode:
      dc.FillMode = r.U32(8) == kWinding ? kWinding : kAlternate;
      break;
    case kSetStretchBltMode:
      dc.SmoothStretch = r.U32(8) == 4;  // HALFTONE
      break;
    case kSetTextAlign:
      dc.TextAlignment = r.U32(8);
      break;
    case kSetTextColor:
      if (r.Has(8, 4)) dc.TextColor = Dev.Color(r.U32(8));
      break;
    case kSetBkColor:
      if (r.Has(8, 4)) dc.BackColor = Dev.Color(r.U32(8));
      break;
    case kSetArcDirection:
      dc.Clockwise = r.U32(8) == 2;
      break;
    case kSetMiterLimit: {
      const float limit = r.F32(8);
      if (std::isfinite(limit) && limit >= 1 && limit <= 1000)
        dc.MiterLimit = limit;
      else if (r.U32(8) >= 1 && r.U32(8) <= 1000)
        dc.MiterLimit = r.U32(8);
      break;
    }
    case kOffsetClipRgn:
      Dev.OffsetClip(PointAt(r, 8, false));
      break;
    case kExcludeClipRect:
      if (r.Has(8, 16)) Dev.ExcludeClipRect(BoxAt(r, 8));
      break;
    case kIntersectClipRect:
      if (r.Has(8, 16)) Dev.IntersectClipRect(BoxAt(r, 8));
      break;
    case kExtSelectClipRgn:
      ClipRegion(r);
      break;
    case kSaveDc:
      Dev.SaveDc();
      break;
    case kRestoreDc:
      Dev.RestoreDc(r.I32(8));
      break;
    case kSelectObject: {
      const std::uint32_t handle = r.U32(8);
      if (handle & kStockFlag)
        Dev.SelectStockObject(handle & ~kStockFlag);
      else
        Dev.SelectObject(handle);
      break;
    }
    case kDeleteObject:
      Dev.DeleteObject(r.U32(8));
      break;
    case kSelectPalette:
      if (r.U32(8) & kStockFlag)
        Dev.SelectStockObject(r.U32(8) & ~kStockFlag);
      else
        Dev.SelectPalette(r.U32(8));
      break;
    case kCreatePen:
      CreatePen(r);
      break;
    case kExtCreatePen:
      ExtCreatePen(r);
      break;
    case kCreateBrushIndirect:
      CreateBrush(r);
      break;
    case kCreateMonoBrush:
    case kCreateDibPatternBrushPt:
      CreatePatternBrush(r);
      break;
    case kExtCreateFontIndirectW:
      CreateFont(r);
      break;
    case kCreatePalette:
      CreatePalette(r);
      break;
    case kMoveToEx:
      if (r.Has(8, 8)) Dev.MoveTo(PointAt(r, 8, false));
      break;
    case kLineTo:
      if (r.Has(8, 8)) Dev.LineTo(PointAt(r, 8, false));
      break;
    case kSetPixelV:
      if (r.Has(8, 12)) Dev.SetPixel(PointAt(r, 8, false), Dev.Color(r.U32(16)));
      break;
    case kRectangle:
    case kEllipse:
      if (r.Has(8, 16)) {
        QPainterPath path;
        const QRectF box = BoxAt(r, 8).normalized();
        if (type == kRectangle)
          path.addRect(box);
        else
          path.addEllipse(box);
        Dev.DrawClosed(path);
      }
      break;
    case kRoundRect:
      if (r.Has(8, 24)) {
        QPainterPath path;
        path.addRoundedRect(BoxAt(r, 8).normalized(), std::abs(r.I32(24)) / 2.0,
                            std::abs(r.I32(28)) / 2.0);
        Dev.DrawClosed(path);
      }
      break;
    case kArc:
    case kArcTo:
    case kChord:
    case kPie:
      if (r.Has(8, 32)) {
        const Device::ArcKind kind = type == kArc     ? Device::ArcKind::Arc
                                     : type == kArcTo ? Device::ArcKind::ArcTo
                                     : type == kChord ? Device::ArcKind::Chord
                                                      : Device::ArcKind::Pie;
        Dev.DrawArc(kind, BoxAt(r, 8), PointAt(r, 24, false), PointAt(r, 32, false));
      }
      break;
    case kAngleArc:
      if (r.Has(8, 20)) Dev.AngleArc(PointAt(r, 8, false), r.U32(16), r.F32(20), r.F32(24));
      break;
    case kBeginPath:
      Dev.BeginPath();
      break;
    case kEndPath:
      Dev.EndPath();
      break;
    case kAbortPath:
      Dev.AbortPath();
      break;
    case kCloseFigure:
      Dev.CloseFigure();
      break;
    case kFillPath:
      Dev.FillPath(true, false);
      break;
    case kStrokePath:
      Dev.FillPath(false, true);
      break;
    case kStrokeAndFillPath:
      Dev.FillPath(true, true);
      break;
    case kSelectClipPath:
      Dev.SelectClipPath(int(r.U32(8)));
      break;
    case kExtTextOutA:
    case kExtTextOutW:
      Text(r, type == kExtTextOutW);
      break;
    case kBitBlt:
    case kStretchBlt:
      Blit(r, type == kStretchBlt);
      break;
    case kStretchDiBits:
      StretchDiBits(r);
      break;
    case kSetDiBitsToDevice:
      SetDiBitsToDevice(r);
      break;
    default:
      break;  // not drawn: comments, palettes' realisation, colour management, ...
  }
  return true;
}

}  // namespace

bool PlayEnhancedRecords(QPainter& painter, const unsigned char* data, std::size_t size,
                         const QRectF& target) {
  if (size < kHeaderMinimum || target.isEmpty()) return false;
  const RecordView header(data, size);
  const std::uint32_t headerSize = header.U32(4);
  if (headerSize < kHeaderMinimum || headerSize > size) return false;
  std::size_t end = header.U32(48);
  if (end < headerSize || end > size) end = size;

  ReferenceDevice reference;
  const double pixelsX = header.I32(72), pixelsY = header.I32(76);
  const double millimetresX = header.I32(80), millimetresY = header.I32(84);
  if (pixelsX > 0 && pixelsY > 0 && millimetresX > 0 && millimetresY > 0) {
    reference.UnitsPerMmX = pixelsX / millimetresX;
    reference.UnitsPerMmY = pixelsY / millimetresY;
  }
  // The frame in reference device pixels; the bounds when it is empty.
  QRectF frame(QPointF(header.I32(24) / 100.0 * reference.UnitsPerMmX,
                       header.I32(28) / 100.0 * reference.UnitsPerMmY),
               QPointF(header.I32(32) / 100.0 * reference.UnitsPerMmX,
                       header.I32(36) / 100.0 * reference.UnitsPerMmY));
  if (frame.width() == 0 || frame.height() == 0)
    frame = QRectF(QPointF(header.I32(8), header.I32(12)), QPointF(header.I32(16), header.I32(20)));
  if (frame.width() == 0 || frame.height() == 0) return false;
  const double sx = target.width() / frame.width();
  const double sy = target.height() / frame.height();
  reference.ToTarget =
      QTransform(sx, 0, 0, sy, target.left() - frame.left() * sx, target.top() - frame.top() * sy);
  reference.ObjectSlots = header.U16(56);

  Device device(painter, reference);
  EmfPlayer player(device);
  std::size_t offset = headerSize;
  long records = 0;
  while (offset + 8 <= end && records++ < MetafilePlayer::kMaxRecords) {
    const RecordView head(data + offset, end - offset);
    const std::uint32_t type = head.U32(0);
    const std::uint32_t recordSize = head.U32(4);
    if (recordSize < 8 || recordSize > end - offset) break;  // damaged: stop
    if (!player.Play(type, RecordView(data + offset, recordSize))) break;
    offset += recordSize;
  }
  return true;
}

}  // namespace metafile
