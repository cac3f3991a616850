// The enhanced metafile (EMF) records. Their layouts (core/pictures/formats/
// Emf.h) give every field's offset from the start of the record.

#include <algorithm>
#include <cmath>

#include "core/pictures/formats/Emf.h"
#include "drawing/metafile/MetafilePlayerDevice.h"

namespace metafile {

namespace {

QPointF PointAt(const ByteReader& r, std::size_t offset, bool small) {
  if (small) return QPointF(r.I16(offset), r.I16(offset + 2));
  return QPointF(r.I32(offset), r.I32(offset + 4));
}

// A RECTL at offset, as GDI shape corners (left, top) - (right, bottom).
QRectF BoxAt(const ByteReader& r, std::size_t offset) {
  return QRectF(QPointF(r.I32(offset), r.I32(offset + 4)),
                QPointF(r.I32(offset + 8), r.I32(offset + 12)));
}

// Two i32 values at offset as a size (SIZEL).
QSizeF SizeAt(const ByteReader& r, std::size_t offset) {
  return QSizeF(r.I32(offset), r.I32(offset + 4));
}

QTransform TransformAt(const ByteReader& r, std::size_t offset) {
  return QTransform(r.F32(offset), r.F32(offset + 4), r.F32(offset + 8), r.F32(offset + 12),
                    r.F32(offset + 16), r.F32(offset + 20));
}

// The rectangles of a region (RGNDATA) as a path (winding: overlaps add up).
std::optional<QPainterPath> RegionAt(const ByteReader& r, std::size_t offset, std::size_t size) {
  using Region = emf::RegionData;
  if (size < Region::HeaderSize || !r.Has(offset, size)) return std::nullopt;
  const std::uint32_t headerSize = r.U32(offset + Region::HeaderSizeAt);
  const std::uint32_t count = r.U32(offset + Region::CountAt);
  if (headerSize < Region::HeaderSize || headerSize > size) return std::nullopt;
  const std::size_t rects = offset + headerSize;
  const std::size_t available = (size - headerSize) / emf::RectLSize;
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  const std::size_t used = std::min<std::size_t>({count, available, MaxRegionRects});
  for (std::size_t i = 0; i < used; ++i) {
    const QRectF box = BoxAt(r, rects + emf::RectLSize * i);
    if (box.width() > 0 && box.height() > 0) path.addRect(box);
  }
  return path;
}

class EmfPlayer {
 public:
  EmfPlayer(Device& device) : Dev(device) {}
  // False at the end-of-file record.
  bool Play(std::uint32_t type, const ByteReader& r);

 private:
  // The record groups; each returns false for a type that is not its own.
  bool PlayState(std::uint32_t type, const ByteReader& r);
  bool PlayObject(std::uint32_t type, const ByteReader& r);
  bool PlayPathOrClip(std::uint32_t type, const ByteReader& r);
  bool PlayDrawing(std::uint32_t type, const ByteReader& r);

  void SetMiterLimit(const ByteReader& r);
  void SelectObject(const ByteReader& r);
  void SelectPalette(const ByteReader& r);
  void Shape(std::uint32_t type, const ByteReader& r);
  void RoundRect(const ByteReader& r);
  void Arc(std::uint32_t type, const ByteReader& r);
  void Poly(std::uint32_t type, const ByteReader& r, bool small);
  void PolyPoly(bool polygon, const ByteReader& r, bool small);
  void PolyDraw(const ByteReader& r, bool small);
  void Text(const ByteReader& r, bool wide);
  void CreatePen(const ByteReader& r);
  void ExtCreatePen(const ByteReader& r);
  void CreateBrush(const ByteReader& r);
  void CreatePatternBrush(const ByteReader& r);
  void CreateFont(const ByteReader& r);
  void CreatePalette(const ByteReader& r);
  void ClipRegion(const ByteReader& r);
  void Blit(const ByteReader& r, bool stretch);
  void StretchDiBits(const ByteReader& r);
  void SetDiBitsToDevice(const ByteReader& r);
  DecodedBitmap Bitmap(const ByteReader& r, std::uint32_t offBmi, std::uint32_t cbBmi,
                       std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage,
                       int step = 1, bool* topDown = nullptr);

  Device& Dev;
};

// --- Records of the drawing state ---

bool EmfPlayer::PlayState(std::uint32_t type, const ByteReader& r) {
  DcState& dc = Dev.State();
  const std::size_t valueAt = emf::Value::ValueAt;
  switch (type) {
    case emf::EmrSetWindowExtEx:
      Dev.SetWindowExt(SizeAt(r, emf::Point::PointAt));
      break;
    case emf::EmrSetWindowOrgEx:
      Dev.SetWindowOrg(PointAt(r, emf::Point::PointAt, false));
      break;
    case emf::EmrSetViewportExtEx:
      Dev.SetViewportExt(SizeAt(r, emf::Point::PointAt));
      break;
    case emf::EmrSetViewportOrgEx:
      Dev.SetViewportOrg(PointAt(r, emf::Point::PointAt, false));
      break;
    case emf::EmrScaleViewportExtEx:
    case emf::EmrScaleWindowExtEx: {
      using Scale = emf::ScaleExt;
      const double xNum = r.I32(Scale::XNumAt), xDenom = r.I32(Scale::XDenomAt);
      const double yNum = r.I32(Scale::YNumAt), yDenom = r.I32(Scale::YDenomAt);
      if (type == emf::EmrScaleViewportExtEx)
        Dev.ScaleViewportExt(xNum, xDenom, yNum, yDenom);
      else
        Dev.ScaleWindowExt(xNum, xDenom, yNum, yDenom);
      break;
    }
    case emf::EmrSetMapMode:
      Dev.SetMapMode(int(r.U32(valueAt)));
      break;
    case emf::EmrSetWorldTransform:
      if (r.Has(0, emf::SetWorldTransform::Size))
        Dev.SetWorldTransform(TransformAt(r, emf::SetWorldTransform::XFormAt));
      break;
    case emf::EmrModifyWorldTransform: {
      using Modify = emf::ModifyWorldTransform;
      if (r.Has(0, Modify::Size))
        Dev.ModifyWorldTransform(TransformAt(r, Modify::XFormAt), r.U32(Modify::ModeAt));
      break;
    }
    case emf::EmrSetBkMode:
      dc.BackMode = r.U32(valueAt) == Transparent ? Transparent : Opaque;
      break;
    case emf::EmrSetPolyFillMode:
      dc.FillMode = r.U32(valueAt) == Winding ? Winding : Alternate;
      break;
    case emf::EmrSetStretchBltMode:
      dc.SmoothStretch = r.U32(valueAt) == 4;  // HALFTONE
      break;
    case emf::EmrSetTextAlign:
      dc.TextAlignment = r.U32(valueAt);
      break;
    case emf::EmrSetTextColor:
      if (r.Has(0, emf::Value::Size)) dc.TextColor = Dev.Color(r.U32(valueAt));
      break;
    case emf::EmrSetBkColor:
      if (r.Has(0, emf::Value::Size)) dc.BackColor = Dev.Color(r.U32(valueAt));
      break;
    case emf::EmrSetArcDirection:
      dc.Clockwise = r.U32(valueAt) == 2;  // AD_CLOCKWISE
      break;
    case emf::EmrSetMiterLimit:
      SetMiterLimit(r);
      break;
    case emf::EmrSaveDc:
      Dev.SaveDc();
      break;
    case emf::EmrRestoreDc:
      Dev.RestoreDc(r.I32(valueAt));
      break;
    case emf::EmrMoveToEx:
      if (r.Has(0, emf::Point::Size)) Dev.MoveTo(PointAt(r, emf::Point::PointAt, false));
      break;
    default:
      return false;
  }
  return true;
}

void EmfPlayer::SetMiterLimit(const ByteReader& r) {
  // A float, or an integer as some writers store it.
  const std::size_t at = emf::Value::ValueAt;
  const float limit = r.F32(at);
  if (std::isfinite(limit) && limit >= 1 && limit <= 1000)
    Dev.State().MiterLimit = limit;
  else if (r.U32(at) >= 1 && r.U32(at) <= 1000)
    Dev.State().MiterLimit = r.U32(at);
}

// --- Records of the object table ---

bool EmfPlayer::PlayObject(std::uint32_t type, const ByteReader& r) {
  switch (type) {
    case emf::EmrSelectObject:
      SelectObject(r);
      break;
    case emf::EmrDeleteObject:
      Dev.DeleteObject(r.U32(emf::Value::ValueAt));
      break;
    case emf::EmrSelectPalette:
      SelectPalette(r);
      break;
    case emf::EmrCreatePen:
      CreatePen(r);
      break;
    case emf::EmrExtCreatePen:
      ExtCreatePen(r);
      break;
    case emf::EmrCreateBrushIndirect:
      CreateBrush(r);
      break;
    case emf::EmrCreateMonoBrush:
    case emf::EmrCreateDibPatternBrushPt:
      CreatePatternBrush(r);
      break;
    case emf::EmrExtCreateFontIndirectW:
      CreateFont(r);
      break;
    case emf::EmrCreatePalette:
      CreatePalette(r);
      break;
    default:
      return false;
  }
  return true;
}

void EmfPlayer::SelectObject(const ByteReader& r) {
  const std::uint32_t handle = r.U32(emf::Value::ValueAt);
  if (handle & emf::StockObjectFlag)
    Dev.SelectStockObject(handle & ~emf::StockObjectFlag);
  else
    Dev.SelectObject(handle);
}

void EmfPlayer::SelectPalette(const ByteReader& r) {
  const std::uint32_t handle = r.U32(emf::Value::ValueAt);
  if (handle & emf::StockObjectFlag)
    Dev.SelectStockObject(handle & ~emf::StockObjectFlag);
  else
    Dev.SelectPalette(handle);
}

void EmfPlayer::CreatePen(const ByteReader& r) {
  using Pen = emf::CreatePen;
  if (!r.Has(0, Pen::Size)) return;
  GdiPen pen;
  const std::uint32_t style = r.U32(Pen::StyleAt);
  pen.Style = int(style & 0xF);
  pen.Null = pen.Style == 5;  // PS_NULL
  pen.Width = std::abs(double(r.I32(Pen::WidthAt)));
  pen.Color = Dev.Color(r.U32(Pen::ColourAt));
  Dev.PutObject(r.U32(Pen::HandleAt), pen);
}

void EmfPlayer::ExtCreatePen(const ByteReader& r) {
  using Pen = emf::ExtCreatePen;
  if (!r.Has(0, Pen::MinSize)) return;
  GdiPen pen;
  const std::uint32_t style = r.U32(Pen::StyleAt);
  pen.Style = int(style & 0xF);
  pen.EndCap = int(style & 0xF00);
  pen.Join = int(style & 0xF000);
  pen.Geometric = (style & 0xF0000) == 0x10000;  // PS_GEOMETRIC
  pen.Width = pen.Geometric ? double(r.U32(Pen::WidthAt)) : 0.0;
  pen.Null = pen.Style == 5 || r.U32(Pen::BrushStyleAt) == 1;  // PS_NULL or BS_NULL
  pen.Color = Dev.Color(r.U32(Pen::ColourAt));
  const std::uint32_t entries = std::min<std::uint32_t>(r.U32(Pen::DashCountAt), 16);
  if (pen.Style == 7 && r.HasArray(Pen::DashesAt, entries, 4))  // PS_USERSTYLE
    for (std::size_t i = 0; i < entries; ++i)
      pen.UserDashes.push_back(r.U32(Pen::DashesAt + 4 * i));
  Dev.PutObject(r.U32(Pen::HandleAt), pen);
}

void EmfPlayer::CreateBrush(const ByteReader& r) {
  using Brush = emf::CreateBrushIndirect;
  if (!r.Has(0, Brush::Size)) return;
  GdiBrush brush;
  switch (r.U32(Brush::StyleAt)) {
    case 1:  // BS_NULL
      brush.Style = GdiBrush::Kind::Null;
      break;
    case 2:  // BS_HATCHED
      brush.Style = GdiBrush::Kind::Hatched;
      break;
    default:
      brush.Style = GdiBrush::Kind::Solid;
      break;
  }
  brush.Color = Dev.Color(r.U32(Brush::ColourAt));
  brush.Hatch = int(r.U32(Brush::HatchAt));
  Dev.PutObject(r.U32(Brush::HandleAt), brush);
}

void EmfPlayer::CreatePatternBrush(const ByteReader& r) {
  using Brush = emf::CreatePatternBrush;
  if (!r.Has(0, Brush::Size)) return;
  GdiBrush brush;
  brush.Style = GdiBrush::Kind::Pattern;
  brush.Color = Qt::black;
  brush.Pattern =
      Bitmap(r, r.U32(Brush::InfoOffsetAt), r.U32(Brush::InfoSizeAt), r.U32(Brush::BitsOffsetAt),
             r.U32(Brush::BitsSizeAt), r.U32(Brush::UsageAt))
          .Image;
  Dev.PutObject(r.U32(Brush::HandleAt), brush);
}

void EmfPlayer::CreateFont(const ByteReader& r) {
  using Font = emf::ExtCreateFontIndirectW;
  if (!r.Has(0, Font::MinSize)) return;
  GdiFont font;
  font.Height = r.I32(Font::HeightAt);
  font.Width = r.I32(Font::WidthAt);
  font.Escapement = r.I32(Font::EscapementAt);
  font.Weight = r.I32(Font::WeightAt);
  font.Italic = r.U8(Font::ItalicAt) != 0;
  font.Underline = r.U8(Font::UnderlineAt) != 0;
  font.StrikeOut = r.U8(Font::StrikeOutAt) != 0;
  font.CharSet = r.U8(Font::CharSetAt);
  for (std::size_t i = 0; i < Font::FaceChars && r.Has(Font::FaceAt + 2 * i, 2); ++i) {
    const std::uint16_t c = r.U16(Font::FaceAt + 2 * i);
    if (c == 0) break;
    font.Face.append(QChar(c));
  }
  Dev.PutObject(r.U32(Font::HandleAt), font);
}

void EmfPlayer::CreatePalette(const ByteReader& r) {
  using Palette = emf::CreatePalette;
  if (!r.Has(0, Palette::MinSize)) return;
  std::vector<QRgb> entries;
  const std::uint16_t count = r.U16(Palette::CountAt);
  for (std::size_t i = 0;
       i < count && r.Has(Palette::EntriesAt + Palette::EntrySize * i, Palette::EntrySize); ++i) {
    const std::size_t entry = Palette::EntriesAt + Palette::EntrySize * i;
    entries.push_back(qRgb(r.U8(entry), r.U8(entry + 1), r.U8(entry + 2)));
  }
  Dev.PutObject(r.U32(Palette::HandleAt),
                GdiPalette{std::make_shared<const std::vector<QRgb>>(std::move(entries))});
}

// --- Records of the path bracket and the clipping ---

bool EmfPlayer::PlayPathOrClip(std::uint32_t type, const ByteReader& r) {
  switch (type) {
    case emf::EmrBeginPath:
      Dev.BeginPath();
      break;
    case emf::EmrEndPath:
      Dev.EndPath();
      break;
    case emf::EmrAbortPath:
      Dev.AbortPath();
      break;
    case emf::EmrCloseFigure:
      Dev.CloseFigure();
      break;
    case emf::EmrFillPath:
      Dev.FillPath(true, false);
      break;
    case emf::EmrStrokePath:
      Dev.FillPath(false, true);
      break;
    case emf::EmrStrokeAndFillPath:
      Dev.FillPath(true, true);
      break;
    case emf::EmrSelectClipPath:
      Dev.SelectClipPath(int(r.U32(emf::Value::ValueAt)));
      break;
    case emf::EmrOffsetClipRgn:
      Dev.OffsetClip(PointAt(r, emf::Point::PointAt, false));
      break;
    case emf::EmrExcludeClipRect:
      if (r.Has(0, emf::Box::Size)) Dev.ExcludeClipRect(BoxAt(r, emf::Box::BoxAt));
      break;
    case emf::EmrIntersectClipRect:
      if (r.Has(0, emf::Box::Size)) Dev.IntersectClipRect(BoxAt(r, emf::Box::BoxAt));
      break;
    case emf::EmrExtSelectClipRgn:
      ClipRegion(r);
      break;
    default:
      return false;
  }
  return true;
}

void EmfPlayer::ClipRegion(const ByteReader& r) {
  using Clip = emf::ExtSelectClipRgn;
  if (!r.Has(0, Clip::MinSize)) return;
  const std::uint32_t size = r.U32(Clip::RegionSizeAt);
  const int mode = int(r.U32(Clip::ModeAt));
  // The region is in reference device units.
  std::optional<QPainterPath> region = RegionAt(r, Clip::RegionAt, size);
  if (region) *region = Dev.ReferenceToPainter().map(*region);
  Dev.CombineClip(region, mode);
}

// --- Drawing records ---

bool EmfPlayer::PlayDrawing(std::uint32_t type, const ByteReader& r) {
  switch (type) {
    case emf::EmrPolyBezier:
    case emf::EmrPolygon:
    case emf::EmrPolyline:
    case emf::EmrPolyBezierTo:
    case emf::EmrPolylineTo:
      Poly(type, r, false);
      break;
    case emf::EmrPolyBezier16:
    case emf::EmrPolygon16:
    case emf::EmrPolyline16:
    case emf::EmrPolyBezierTo16:
    case emf::EmrPolylineTo16:
      Poly(type - (emf::EmrPolyBezier16 - emf::EmrPolyBezier), r, true);
      break;
    case emf::EmrPolyPolyline:
    case emf::EmrPolyPolygon:
      PolyPoly(type == emf::EmrPolyPolygon, r, false);
      break;
    case emf::EmrPolyPolyline16:
    case emf::EmrPolyPolygon16:
      PolyPoly(type == emf::EmrPolyPolygon16, r, true);
      break;
    case emf::EmrPolyDraw:
    case emf::EmrPolyDraw16:
      PolyDraw(r, type == emf::EmrPolyDraw16);
      break;
    case emf::EmrLineTo:
      if (r.Has(0, emf::Point::Size)) Dev.LineTo(PointAt(r, emf::Point::PointAt, false));
      break;
    case emf::EmrSetPixelV:
      if (r.Has(0, emf::SetPixelV::Size))
        Dev.SetPixel(PointAt(r, emf::SetPixelV::PointAt, false),
                     Dev.Color(r.U32(emf::SetPixelV::ColourAt)));
      break;
    case emf::EmrRectangle:
    case emf::EmrEllipse:
      Shape(type, r);
      break;
    case emf::EmrRoundRect:
      RoundRect(r);
      break;
    case emf::EmrArc:
    case emf::EmrArcTo:
    case emf::EmrChord:
    case emf::EmrPie:
      Arc(type, r);
      break;
    case emf::EmrAngleArc: {
      using Angle = emf::AngleArc;
      if (r.Has(0, Angle::Size))
        Dev.AngleArc(PointAt(r, Angle::CenterAt, false), r.U32(Angle::RadiusAt),
                     r.F32(Angle::StartAngleAt), r.F32(Angle::SweepAngleAt));
      break;
    }
    case emf::EmrExtTextOutA:
    case emf::EmrExtTextOutW:
      Text(r, type == emf::EmrExtTextOutW);
      break;
    case emf::EmrBitBlt:
    case emf::EmrStretchBlt:
      Blit(r, type == emf::EmrStretchBlt);
      break;
    case emf::EmrStretchDiBits:
      StretchDiBits(r);
      break;
    case emf::EmrSetDiBitsToDevice:
      SetDiBitsToDevice(r);
      break;
    default:
      return false;
  }
  return true;
}

void EmfPlayer::Shape(std::uint32_t type, const ByteReader& r) {
  if (r.Has(0, emf::Box::Size)) Dev.DrawBox(BoxAt(r, emf::Box::BoxAt), type != emf::EmrRectangle);
}

void EmfPlayer::RoundRect(const ByteReader& r) {
  using Round = emf::RoundRect;
  if (!r.Has(0, Round::Size)) return;
  Dev.DrawRoundRect(BoxAt(r, Round::BoxAt), r.I32(Round::CornerWidthAt),
                    r.I32(Round::CornerHeightAt));
}

void EmfPlayer::Arc(std::uint32_t type, const ByteReader& r) {
  using ArcRecord = emf::Arc;
  if (!r.Has(0, ArcRecord::Size)) return;
  const Device::ArcKind kind = type == emf::EmrArc     ? Device::ArcKind::Arc
                               : type == emf::EmrArcTo ? Device::ArcKind::ArcTo
                               : type == emf::EmrChord ? Device::ArcKind::Chord
                                                       : Device::ArcKind::Pie;
  Dev.DrawArc(kind, BoxAt(r, ArcRecord::BoxAt), PointAt(r, ArcRecord::StartAt, false),
              PointAt(r, ArcRecord::EndAt, false));
}

void EmfPlayer::Poly(std::uint32_t type, const ByteReader& r, bool small) {
  using Points = emf::Poly;
  const std::uint32_t count = r.U32(Points::CountAt);
  const std::size_t pointSize = small ? emf::PointSSize : emf::PointLSize;
  if (count == 0 || !r.HasArray(Points::PointsAt, count, pointSize)) return;
  auto point = [&](std::size_t i) { return PointAt(r, Points::PointsAt + i * pointSize, small); };
  QPainterPath path;
  switch (type) {
    case emf::EmrPolygon:
    case emf::EmrPolyline:
      path.moveTo(point(0));
      for (std::size_t i = 1; i < count; ++i) path.lineTo(point(i));
      if (type == emf::EmrPolygon) {
        path.closeSubpath();
        Dev.DrawClosed(path);
      } else {
        Dev.DrawOpen(path, false);
      }
      break;
    case emf::EmrPolylineTo:
      path.moveTo(Dev.State().Position);
      for (std::size_t i = 0; i < count; ++i) path.lineTo(point(i));
      Dev.DrawOpen(path, true);
      break;
    case emf::EmrPolyBezier:
      path.moveTo(point(0));
      for (std::size_t i = 1; i + 2 < count; i += 3)
        path.cubicTo(point(i), point(i + 1), point(i + 2));
      Dev.DrawOpen(path, false);
      break;
    case emf::EmrPolyBezierTo:
      path.moveTo(Dev.State().Position);
      for (std::size_t i = 0; i + 2 < count; i += 3)
        path.cubicTo(point(i), point(i + 1), point(i + 2));
      Dev.DrawOpen(path, true);
      break;
    default:
      break;
  }
}

void EmfPlayer::PolyPoly(bool polygon, const ByteReader& r, bool small) {
  using Points = emf::PolyPoly;
  const std::uint32_t polys = r.U32(Points::PolygonsAt);
  const std::uint32_t total = r.U32(Points::PointsAt);
  const std::size_t pointSize = small ? emf::PointSSize : emf::PointLSize;
  if (!r.HasArray(Points::CountsAt, polys, 4)) return;
  const std::size_t pointsAt = Points::CountsAt + std::size_t(polys) * 4;
  if (!r.HasArray(pointsAt, total, pointSize)) return;
  QPainterPath path;
  std::size_t next = 0;
  for (std::uint32_t p = 0; p < polys; ++p) {
    const std::uint32_t count = r.U32(Points::CountsAt + 4 * std::size_t(p));
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

void EmfPlayer::PolyDraw(const ByteReader& r, bool small) {
  using Points = emf::Poly;
  const std::uint32_t count = r.U32(Points::CountAt);
  const std::size_t pointSize = small ? emf::PointSSize : emf::PointLSize;
  if (count == 0 || !r.HasArray(Points::PointsAt, count, pointSize)) return;
  const std::size_t typesAt = Points::PointsAt + std::size_t(count) * pointSize;
  if (!r.HasArray(typesAt, count, 1)) return;
  auto point = [&](std::size_t i) { return PointAt(r, Points::PointsAt + i * pointSize, small); };
  QPainterPath path(Dev.State().Position);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t kind = r.U8(typesAt + i);
    const QPointF p = point(i);
    switch (kind & ~unsigned(emf::PtCloseFigure)) {
      case emf::PtMoveTo:
        path.moveTo(p);
        break;
      case emf::PtLineTo:
        path.lineTo(p);
        break;
      case emf::PtBezierTo:  // three points
        if (i + 2 < count) {
          path.cubicTo(p, point(i + 1), point(i + 2));
          i += 2;
        }
        break;
      default:
        break;
    }
    if (r.U8(typesAt + i) & emf::PtCloseFigure) path.closeSubpath();
  }
  Dev.DrawOpen(path, true);
}

void EmfPlayer::Text(const ByteReader& r, bool wide) {
  using TextOut = emf::ExtTextOut;
  if (!r.Has(0, TextOut::MinSize)) return;
  Device::TextRun run;
  run.Reference = PointAt(r, TextOut::ReferenceAt, false);
  const std::uint32_t count = std::min(r.U32(TextOut::CharsAt), MaxTextChars);
  const std::uint32_t stringAt = r.U32(TextOut::StringOffsetAt);
  run.Options = r.U32(TextOut::OptionsAt);
  if (run.Options & (EtoOpaque | EtoClipped)) run.Rect = BoxAt(r, TextOut::RectAt);
  if (count > 0) {
    if (!r.HasArray(stringAt, count, wide ? 2 : 1)) return;
    if (wide) {
      QString text(qsizetype(count), Qt::Uninitialized);
      for (std::size_t i = 0; i < count; ++i) text[qsizetype(i)] = QChar(r.U16(stringAt + 2 * i));
      run.Text = text;
    } else {
      run.Text = AnsiText(r.At(stringAt, count), count);
    }
    const std::uint32_t dxAt = r.U32(TextOut::DxOffsetAt);
    const std::uint64_t dxCount = std::uint64_t(count) * ((run.Options & EtoPdy) ? 2 : 1);
    if (dxAt != 0 && r.HasArray(dxAt, dxCount, 4)) {
      run.Dx.reserve(dxCount);
      for (std::size_t i = 0; i < dxCount; ++i) run.Dx.push_back(r.I32(dxAt + 4 * i));
    }
  }
  Dev.DrawText(run);
}

DecodedBitmap EmfPlayer::Bitmap(const ByteReader& r, std::uint32_t offBmi, std::uint32_t cbBmi,
                                std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage,
                                int step, bool* topDown) {
  const unsigned char* info = r.At(offBmi, cbBmi);
  if (info == nullptr) return {};
  const unsigned char* bits = r.At(offBits, cbBits);
  if (bits == nullptr) cbBits = 0;
  if (topDown != nullptr) *topDown = Device::DibTopDown(info, cbBmi);
  return Dev.DibImage(info, cbBmi, bits, cbBits, usage, step);
}

void EmfPlayer::Blit(const ByteReader& r, bool stretch) {
  using Blt = emf::StretchBlt;  // BitBlt's fields, and the source size
  if (!r.Has(0, stretch ? emf::StretchBlt::Size : emf::BitBlt::Size)) return;
  const QRectF destination(r.I32(Blt::DestXAt), r.I32(Blt::DestYAt), r.I32(Blt::DestWidthAt),
                           r.I32(Blt::DestHeightAt));
  const std::uint32_t rop = r.U32(Blt::RopAt);
  const std::uint32_t cbBmi = r.U32(Blt::InfoSizeAt);
  if (cbBmi == 0) {
    Dev.PatBlt(destination, rop);
    return;
  }
  QTransform sourceTransform = TransformAt(r, Blt::SrcTransformAt);
  if (!sourceTransform.isInvertible() || !std::isfinite(sourceTransform.m11()))
    sourceTransform = QTransform();
  const QSizeF sourceSize =
      stretch ? QSizeF(r.I32(Blt::SrcWidthAt), r.I32(Blt::SrcHeightAt)) : destination.size();
  // The source is a memory device: top-down pixels.
  const QRectF source =
      sourceTransform.mapRect(QRectF(QPointF(r.I32(Blt::SrcXAt), r.I32(Blt::SrcYAt)), sourceSize));
  const int step = Dev.BitmapStep(destination, source.size());
  if (step == 0) return;
  const DecodedBitmap bitmap = Bitmap(r, r.U32(Blt::InfoOffsetAt), cbBmi, r.U32(Blt::BitsOffsetAt),
                                      r.U32(Blt::BitsSizeAt), r.U32(Blt::UsageAt), step);
  Dev.DrawImage(bitmap, destination, source, rop);
}

void EmfPlayer::StretchDiBits(const ByteReader& r) {
  using Dib = emf::StretchDiBits;
  if (!r.Has(0, Dib::Size)) return;
  const QRectF destination(r.I32(Dib::DestXAt), r.I32(Dib::DestYAt), r.I32(Dib::DestWidthAt),
                           r.I32(Dib::DestHeightAt));
  const std::uint32_t rop = r.U32(Dib::RopAt);
  if (r.U32(Dib::InfoSizeAt) == 0) {
    Dev.PatBlt(destination, rop);
    return;
  }
  const double x = r.I32(Dib::SrcXAt), y = r.I32(Dib::SrcYAt);
  const double w = r.I32(Dib::SrcWidthAt), h = r.I32(Dib::SrcHeightAt);
  const int step = Dev.BitmapStep(destination, QSizeF(w, h));
  if (step == 0) return;
  bool topDown = false;
  const DecodedBitmap bitmap =
      Bitmap(r, r.U32(Dib::InfoOffsetAt), r.U32(Dib::InfoSizeAt), r.U32(Dib::BitsOffsetAt),
             r.U32(Dib::BitsSizeAt), r.U32(Dib::UsageAt), step, &topDown);
  if (bitmap.Image.isNull()) return;
  // The source's y counts from the bottom row of a bottom-up bitmap.
  const QRectF source(x, topDown ? y : Device::BitmapRows(bitmap) - y - h, w, h);
  Dev.DrawImage(bitmap, destination, source, rop);
}

void EmfPlayer::SetDiBitsToDevice(const ByteReader& r) {
  using Dib = emf::SetDiBitsToDevice;
  if (!r.Has(0, Dib::Size)) return;
  const double x = r.I32(Dib::SrcXAt), w = r.I32(Dib::WidthAt), h = r.I32(Dib::HeightAt);
  const double y = double(r.I32(Dib::SrcYAt)) - double(r.U32(Dib::StartScanAt));
  const QRectF destination(r.I32(Dib::DestXAt), r.I32(Dib::DestYAt), w, h);
  const int step = Dev.BitmapStep(destination, QSizeF(w, h));
  if (step == 0) return;
  bool topDown = false;
  const DecodedBitmap bitmap =
      Bitmap(r, r.U32(Dib::InfoOffsetAt), r.U32(Dib::InfoSizeAt), r.U32(Dib::BitsOffsetAt),
             r.U32(Dib::BitsSizeAt), r.U32(Dib::UsageAt), step, &topDown);
  if (bitmap.Image.isNull()) return;
  const QRectF source(x, topDown ? y : Device::BitmapRows(bitmap) - y - h, w, h);
  Dev.DrawImage(bitmap, destination, source, SrcCopy);
}

bool EmfPlayer::Play(std::uint32_t type, const ByteReader& r) {
  if (type == emf::EmrEof) return false;
  // Records of no group are not drawn: comments, palettes' realisation,
  // colour management, ...
  if (!PlayState(type, r) && !PlayObject(type, r) && !PlayPathOrClip(type, r)) PlayDrawing(type, r);
  return true;
}

}  // namespace

bool PlayEnhancedRecords(QPainter& painter, const unsigned char* data, std::size_t size,
                         const QRectF& target) {
  using emf::Header;
  if (size < Header::MinSize || target.isEmpty()) return false;
  const ByteReader file(data, size);
  const std::uint32_t headerSize = file.U32(emf::Record::SizeAt);
  if (headerSize < Header::MinSize || headerSize > size) return false;
  std::size_t end = file.U32(Header::TotalBytesAt);
  if (end < headerSize || end > size) end = size;

  ReferenceDevice reference;
  const double pixelsX = file.I32(Header::DevicePixelsXAt);
  const double pixelsY = file.I32(Header::DevicePixelsYAt);
  const double millimetresX = file.I32(Header::DeviceMillimetresXAt);
  const double millimetresY = file.I32(Header::DeviceMillimetresYAt);
  if (pixelsX > 0 && pixelsY > 0 && millimetresX > 0 && millimetresY > 0) {
    reference.UnitsPerMmX = pixelsX / millimetresX;
    reference.UnitsPerMmY = pixelsY / millimetresY;
  }
  // The frame in reference device pixels; the bounds when it is empty.
  QRectF frame(QPointF(file.I32(Header::FrameLeftAt) / 100.0 * reference.UnitsPerMmX,
                       file.I32(Header::FrameTopAt) / 100.0 * reference.UnitsPerMmY),
               QPointF(file.I32(Header::FrameRightAt) / 100.0 * reference.UnitsPerMmX,
                       file.I32(Header::FrameBottomAt) / 100.0 * reference.UnitsPerMmY));
  if (frame.width() == 0 || frame.height() == 0) frame = BoxAt(file, Header::BoundsAt);
  if (frame.width() == 0 || frame.height() == 0) return false;
  const double sx = target.width() / frame.width();
  const double sy = target.height() / frame.height();
  reference.ToTarget =
      QTransform(sx, 0, 0, sy, target.left() - frame.left() * sx, target.top() - frame.top() * sy);
  reference.ObjectSlots = file.U16(Header::HandlesAt);

  Device device(painter, reference);
  EmfPlayer player(device);
  std::size_t offset = headerSize;
  long records = 0;
  while (offset + emf::Record::MinSize <= end && records++ < MaxRecords) {
    const ByteReader head = file.Part(offset, end - offset);
    const std::uint32_t type = head.U32(emf::Record::TypeAt);
    const std::uint32_t recordSize = head.U32(emf::Record::SizeAt);
    if (recordSize < emf::Record::MinSize || recordSize > end - offset) break;  // damaged: stop
    if (!player.Play(type, file.Part(offset, recordSize))) break;
    offset += recordSize;
  }
  return true;
}

}  // namespace metafile
