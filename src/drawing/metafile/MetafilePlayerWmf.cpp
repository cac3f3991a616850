// The Windows metafile (WMF) records. Their layouts (core/pictures/formats/
// Wmf.h) give every parameter's offset from the first parameter; most
// parameters are 16-bit and stored in reverse order.

#include <algorithm>
#include <cmath>

#include "core/pictures/formats/Wmf.h"
#include "drawing/metafile/MetafilePlayerDevice.h"

namespace metafile {

namespace {

// A rectangle stored as bottom, right, top, left at offset.
QRectF ReversedBox(const ByteReader& p, std::size_t offset) {
  return QRectF(QPointF(p.I16(offset + 6), p.I16(offset + 4)),
                QPointF(p.I16(offset + 2), p.I16(offset)));
}

// A point stored as y, x at offset.
QPointF ReversedPoint(const ByteReader& p, std::size_t offset) {
  return QPointF(p.I16(offset + 2), p.I16(offset));
}

// A size stored as height, width at offset.
QSizeF ReversedSize(const ByteReader& p, std::size_t offset) {
  return QSizeF(p.I16(offset + 2), p.I16(offset));
}

// A rectangle stored as height, width, y, x at offset (the bitmap records).
QRectF ReversedRect(const ByteReader& p, std::size_t offset) {
  return QRectF(p.I16(offset + 6), p.I16(offset + 4), p.I16(offset + 2), p.I16(offset));
}

// The packed bitmap from offset to the end of the record.
ByteReader PackedBitmap(const ByteReader& p, std::size_t offset) {
  return p.Part(offset, p.Size() - offset);
}

class WmfPlayer {
 public:
  explicit WmfPlayer(Device& device) : Dev(device) {}
  // False at the end-of-file record.
  bool Play(std::uint16_t function, const ByteReader& p);

 private:
  // The record groups; each returns false for a function that is not its own.
  bool PlayState(std::uint16_t function, const ByteReader& p);
  bool PlayObject(std::uint16_t function, const ByteReader& p);
  bool PlayClip(std::uint16_t function, const ByteReader& p);
  bool PlayDrawing(std::uint16_t function, const ByteReader& p);

  void SetMapMode(const ByteReader& p);
  void SelectClipRegion(const ByteReader& p);
  void Shape(std::uint16_t function, const ByteReader& p);
  void RoundRect(const ByteReader& p);
  void Arc(std::uint16_t function, const ByteReader& p);
  void Poly(const ByteReader& p, bool polygon);
  void PolyPolygon(const ByteReader& p);
  void TextOut(const ByteReader& p);
  void ExtTextOut(const ByteReader& p);
  void CreatePen(const ByteReader& p);
  void CreateBrush(const ByteReader& p);
  void CreateFont(const ByteReader& p);
  void CreatePalette(const ByteReader& p);
  void CreateRegion(const ByteReader& p);
  void CreatePatternBrush(const ByteReader& p);
  void FillRegion(std::size_t region, const GdiBrush& brush);
  void FillRegion(const ByteReader& p);
  void PatBlt(const ByteReader& p);
  void DibBitBlt(const ByteReader& p);
  void DibStretchBlt(const ByteReader& p);
  void StretchDib(const ByteReader& p);
  void SetDibToDev(const ByteReader& p);

  Device& Dev;
};

// --- Records of the drawing state ---

bool WmfPlayer::PlayState(std::uint16_t function, const ByteReader& p) {
  DcState& dc = Dev.State();
  const std::size_t valueAt = wmf::Value::ValueAt;
  const bool hasPoint = p.Has(0, wmf::Point::Size);
  switch (function) {
    case wmf::MetaSaveDc:
      Dev.SaveDc();
      break;
    case wmf::MetaRestoreDc:
      Dev.RestoreDc(p.I16(valueAt));
      break;
    case wmf::MetaSetBkMode:
      dc.BackMode = p.U16(valueAt) == Transparent ? Transparent : Opaque;
      break;
    case wmf::MetaSetMapMode:
      SetMapMode(p);
      break;
    case wmf::MetaSetPolyFillMode:
      dc.FillMode = p.U16(valueAt) == Winding ? Winding : Alternate;
      break;
    case wmf::MetaSetStretchBltMode:
      dc.SmoothStretch = p.U16(valueAt) == 4;  // HALFTONE
      break;
    case wmf::MetaSetTextCharExtra:
      dc.CharExtra = p.I16(valueAt);
      break;
    case wmf::MetaSetTextAlign:
      dc.TextAlignment = p.U16(valueAt);
      break;
    case wmf::MetaSetBkColor:
      if (p.Has(valueAt, wmf::ColourRefSize)) dc.BackColor = Dev.Color(p.U32(valueAt));
      break;
    case wmf::MetaSetTextColor:
      if (p.Has(valueAt, wmf::ColourRefSize)) dc.TextColor = Dev.Color(p.U32(valueAt));
      break;
    case wmf::MetaSetWindowOrg:
      if (hasPoint) Dev.SetWindowOrg(ReversedPoint(p, wmf::Point::YAt));
      break;
    case wmf::MetaSetWindowExt:
      if (hasPoint) Dev.SetWindowExt(ReversedSize(p, wmf::Point::YAt));
      break;
    case wmf::MetaSetViewportOrg:
      if (hasPoint) Dev.SetViewportOrg(ReversedPoint(p, wmf::Point::YAt));
      break;
    case wmf::MetaSetViewportExt:
      if (hasPoint) Dev.SetViewportExt(ReversedSize(p, wmf::Point::YAt));
      break;
    case wmf::MetaOffsetWindowOrg:
      if (hasPoint) Dev.SetWindowOrg(dc.WindowOrg + ReversedPoint(p, wmf::Point::YAt));
      break;
    case wmf::MetaOffsetViewportOrg:
      if (hasPoint) Dev.SetViewportOrg(dc.ViewportOrg + ReversedPoint(p, wmf::Point::YAt));
      break;
    case wmf::MetaScaleWindowExt:
    case wmf::MetaScaleViewportExt: {
      using Scale = wmf::ScaleExt;
      if (!p.Has(0, Scale::Size)) break;
      const double xNum = p.I16(Scale::XNumAt), xDenom = p.I16(Scale::XDenomAt);
      const double yNum = p.I16(Scale::YNumAt), yDenom = p.I16(Scale::YDenomAt);
      if (function == wmf::MetaScaleWindowExt)
        Dev.ScaleWindowExt(xNum, xDenom, yNum, yDenom);
      else
        Dev.ScaleViewportExt(xNum, xDenom, yNum, yDenom);
      break;
    }
    case wmf::MetaMoveTo:
      if (hasPoint) Dev.MoveTo(ReversedPoint(p, wmf::Point::YAt));
      break;
    default:
      return false;
  }
  return true;
}

void WmfPlayer::SetMapMode(const ByteReader& p) {
  // The window and viewport modes keep the frame as the viewport: the
  // records' window is what is mapped onto the picture.
  const std::uint16_t mode = p.U16(wmf::Value::ValueAt);
  if (mode == MmIsotropic || mode == MmAnisotropic)
    Dev.State().Mode = mode;
  else
    Dev.SetMapMode(mode);
}

// --- Records of the object table ---

bool WmfPlayer::PlayObject(std::uint16_t function, const ByteReader& p) {
  const std::size_t indexAt = wmf::Value::ValueAt;
  switch (function) {
    case wmf::MetaSelectObject:
      Dev.SelectObject(p.U16(indexAt));
      break;
    case wmf::MetaSelectPalette:
      Dev.SelectPalette(p.U16(indexAt));
      break;
    case wmf::MetaDeleteObject:
      Dev.DeleteObject(p.U16(indexAt));
      break;
    case wmf::MetaCreatePenIndirect:
      CreatePen(p);
      break;
    case wmf::MetaCreateBrushIndirect:
      CreateBrush(p);
      break;
    case wmf::MetaCreateFontIndirect:
      CreateFont(p);
      break;
    case wmf::MetaCreatePalette:
      CreatePalette(p);
      break;
    case wmf::MetaCreateRegion:
      CreateRegion(p);
      break;
    case wmf::MetaDibCreatePatternBrush:
      CreatePatternBrush(p);
      break;
    case wmf::MetaCreatePatternBrush: {
      // An old device-dependent pattern: drawn as a plain dark brush.
      GdiBrush brush;
      brush.Color = Qt::black;
      Dev.AddObject(brush);
      break;
    }
    case wmf::MetaCreateBitmapIndirect:
    case wmf::MetaCreateBitmap:
      Dev.AddObject(GdiPlaceholder{});
      break;
    default:
      return false;
  }
  return true;
}

void WmfPlayer::CreatePen(const ByteReader& p) {
  using Pen = wmf::CreatePenIndirect;
  if (!p.Has(0, Pen::Size)) {
    Dev.AddObject(GdiPlaceholder{});
    return;
  }
  GdiPen pen;
  const std::uint16_t style = p.U16(Pen::StyleAt);
  pen.Style = style & 0xF;
  pen.EndCap = style & 0xF00;
  pen.Join = style & 0xF000;
  pen.Null = pen.Style == 5;  // PS_NULL
  pen.Width = std::abs(double(p.I16(Pen::WidthAt)));
  pen.Color = Dev.Color(p.U32(Pen::ColourAt));
  Dev.AddObject(pen);
}

void WmfPlayer::CreateBrush(const ByteReader& p) {
  using Brush = wmf::CreateBrushIndirect;
  if (!p.Has(0, Brush::Size)) {
    Dev.AddObject(GdiPlaceholder{});
    return;
  }
  GdiBrush brush;
  switch (p.U16(Brush::StyleAt)) {
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
  brush.Color = Dev.Color(p.U32(Brush::ColourAt));
  brush.Hatch = p.U16(Brush::HatchAt);
  Dev.AddObject(brush);
}

void WmfPlayer::CreateFont(const ByteReader& p) {
  using Font = wmf::CreateFontIndirect;
  if (!p.Has(0, Font::MinSize)) {
    Dev.AddObject(GdiPlaceholder{});
    return;
  }
  GdiFont font;
  font.Height = p.I16(Font::HeightAt);
  font.Width = p.I16(Font::WidthAt);
  font.Escapement = p.I16(Font::EscapementAt);
  font.Weight = p.I16(Font::WeightAt);
  font.Italic = p.U8(Font::ItalicAt) != 0;
  font.Underline = p.U8(Font::UnderlineAt) != 0;
  font.StrikeOut = p.U8(Font::StrikeOutAt) != 0;
  font.CharSet = p.U8(Font::CharSetAt);
  std::size_t nameLength = 0;
  while (nameLength < Font::FaceBytes && p.Has(Font::FaceAt + nameLength, 1) &&
         p.U8(Font::FaceAt + nameLength) != 0)
    ++nameLength;
  font.Face = AnsiText(p.At(Font::FaceAt, nameLength), nameLength);
  Dev.AddObject(font);
}

void WmfPlayer::CreatePalette(const ByteReader& p) {
  using Palette = wmf::CreatePalette;
  std::vector<QRgb> entries;
  const std::uint16_t count = p.U16(Palette::CountAt);
  for (std::size_t i = 0;
       i < count && p.Has(Palette::EntriesAt + Palette::EntrySize * i, Palette::EntrySize); ++i) {
    const std::size_t entry = Palette::EntriesAt + Palette::EntrySize * i;
    entries.push_back(qRgb(p.U8(entry), p.U8(entry + 1), p.U8(entry + 2)));
  }
  Dev.AddObject(GdiPalette{std::make_shared<const std::vector<QRgb>>(std::move(entries))});
}

void WmfPlayer::CreateRegion(const ByteReader& p) {
  using Region = wmf::CreateRegion;
  using Scan = wmf::RegionScan;
  GdiRegion region;
  region.Path.setFillRule(Qt::WindingFill);
  const std::uint16_t scans = p.U16(Region::ScanCountAt);
  std::size_t at = Region::ScansAt;
  std::size_t rects = 0;
  for (std::size_t s = 0; s < scans && rects < MaxRegionRects; ++s) {
    const std::uint16_t values = p.U16(at + Scan::CountAt);
    const std::size_t scanSize = Scan::FixedSize + 2 * std::size_t(values);
    if (!p.Has(at, scanSize)) break;
    const double top = p.I16(at + Scan::TopAt);
    const double bottom = p.I16(at + Scan::BottomAt);
    for (std::size_t i = 0; i + 1 < values; i += 2) {
      const double left = p.I16(at + Scan::ValuesAt + 2 * i);
      const double right = p.I16(at + Scan::ValuesAt + 2 * i + 2);
      if (right > left && bottom > top && rects++ < MaxRegionRects)
        region.Path.addRect(QRectF(left, top, right - left, bottom - top));
    }
    at += scanSize;
  }
  if (scans == 0 && p.Has(Region::BoundsAt, wmf::BoxSize)) {
    // The bounds are not reversed.
    const QRectF box(QPointF(p.I16(Region::BoundsLeftAt), p.I16(Region::BoundsTopAt)),
                     QPointF(p.I16(Region::BoundsRightAt), p.I16(Region::BoundsBottomAt)));
    if (box.width() > 0 && box.height() > 0) region.Path.addRect(box);
  }
  Dev.AddObject(region);
}

void WmfPlayer::CreatePatternBrush(const ByteReader& p) {
  using Brush = wmf::DibCreatePatternBrush;
  GdiBrush brush;
  brush.Style = GdiBrush::Kind::Pattern;
  brush.Color = Qt::black;
  if (p.Size() > Brush::BitmapAt) {
    const ByteReader dib = PackedBitmap(p, Brush::BitmapAt);
    brush.Pattern = Dev.PackedDibImage(dib.Data(), dib.Size(), p.U16(Brush::UsageAt)).Image;
  }
  Dev.AddObject(brush);
}

// --- Records of the clipping ---

bool WmfPlayer::PlayClip(std::uint16_t function, const ByteReader& p) {
  switch (function) {
    case wmf::MetaSelectClipRegion:
      SelectClipRegion(p);
      break;
    case wmf::MetaOffsetClipRgn:
      if (p.Has(0, wmf::Point::Size)) Dev.OffsetClip(ReversedPoint(p, wmf::Point::YAt));
      break;
    case wmf::MetaExcludeClipRect:
      if (p.Has(0, wmf::Box::Size)) Dev.ExcludeClipRect(ReversedBox(p, wmf::Box::BoxAt));
      break;
    case wmf::MetaIntersectClipRect:
      if (p.Has(0, wmf::Box::Size)) Dev.IntersectClipRect(ReversedBox(p, wmf::Box::BoxAt));
      break;
    default:
      return false;
  }
  return true;
}

void WmfPlayer::SelectClipRegion(const ByteReader& p) {
  const std::uint16_t index = p.U16(wmf::Value::ValueAt);
  const GdiObject* object = Dev.Object(index);
  const auto* region = object != nullptr ? std::get_if<GdiRegion>(object) : nullptr;
  if (region == nullptr) {
    Dev.CombineClip(std::nullopt, RgnCopy);
  } else {
    Dev.SelectObject(index);
  }
}

// --- Drawing records ---

bool WmfPlayer::PlayDrawing(std::uint16_t function, const ByteReader& p) {
  switch (function) {
    case wmf::MetaFillRegion:
      FillRegion(p);
      break;
    case wmf::MetaPaintRegion:
      if (p.Has(0, wmf::Value::Size)) FillRegion(p.U16(wmf::Value::ValueAt), Dev.State().Brush);
      break;
    case wmf::MetaLineTo:
      if (p.Has(0, wmf::Point::Size)) Dev.LineTo(ReversedPoint(p, wmf::Point::YAt));
      break;
    case wmf::MetaSetPixel:
      if (p.Has(0, wmf::SetPixel::Size))
        Dev.SetPixel(ReversedPoint(p, wmf::SetPixel::PointAt),
                     Dev.Color(p.U32(wmf::SetPixel::ColourAt)));
      break;
    case wmf::MetaPolygon:
    case wmf::MetaPolyline:
      Poly(p, function == wmf::MetaPolygon);
      break;
    case wmf::MetaPolyPolygon:
      PolyPolygon(p);
      break;
    case wmf::MetaRectangle:
    case wmf::MetaEllipse:
      Shape(function, p);
      break;
    case wmf::MetaRoundRect:
      RoundRect(p);
      break;
    case wmf::MetaArc:
    case wmf::MetaPie:
    case wmf::MetaChord:
      Arc(function, p);
      break;
    case wmf::MetaTextOut:
      TextOut(p);
      break;
    case wmf::MetaExtTextOut:
      ExtTextOut(p);
      break;
    case wmf::MetaPatBlt:
      PatBlt(p);
      break;
    case wmf::MetaDibBitBlt:
      DibBitBlt(p);
      break;
    case wmf::MetaDibStretchBlt:
      DibStretchBlt(p);
      break;
    case wmf::MetaStretchDib:
      StretchDib(p);
      break;
    case wmf::MetaSetDibToDev:
      SetDibToDev(p);
      break;
    default:
      return false;
  }
  return true;
}

void WmfPlayer::FillRegion(const ByteReader& p) {
  using Fill = wmf::FillRegion;
  const GdiObject* object = Dev.Object(p.U16(Fill::BrushAt));
  const auto* brush = object != nullptr ? std::get_if<GdiBrush>(object) : nullptr;
  if (brush != nullptr && p.Has(0, Fill::Size)) FillRegion(p.U16(Fill::RegionAt), *brush);
}

void WmfPlayer::FillRegion(std::size_t regionIndex, const GdiBrush& brush) {
  const GdiObject* object = Dev.Object(regionIndex);
  const auto* region = object != nullptr ? std::get_if<GdiRegion>(object) : nullptr;
  if (region == nullptr) return;
  DcState& dc = Dev.State();
  const GdiBrush savedBrush = dc.Brush;
  const bool savedNull = dc.Pen.Null;
  const int savedFillMode = dc.FillMode;
  dc.Brush = brush;
  dc.Pen.Null = true;
  dc.FillMode = Winding;  // the region's rectangles may overlap
  Dev.DrawClosed(region->Path);
  dc.Brush = savedBrush;
  dc.Pen.Null = savedNull;
  dc.FillMode = savedFillMode;
}

void WmfPlayer::Shape(std::uint16_t function, const ByteReader& p) {
  if (p.Has(0, wmf::Box::Size))
    Dev.DrawBox(ReversedBox(p, wmf::Box::BoxAt), function != wmf::MetaRectangle);
}

void WmfPlayer::RoundRect(const ByteReader& p) {
  using Round = wmf::RoundRect;
  if (!p.Has(0, Round::Size)) return;
  Dev.DrawRoundRect(ReversedBox(p, Round::BoxAt), p.I16(Round::CornerWidthAt),
                    p.I16(Round::CornerHeightAt));
}

void WmfPlayer::Arc(std::uint16_t function, const ByteReader& p) {
  using ArcRecord = wmf::Arc;
  if (!p.Has(0, ArcRecord::Size)) return;
  const Device::ArcKind kind = function == wmf::MetaArc   ? Device::ArcKind::Arc
                               : function == wmf::MetaPie ? Device::ArcKind::Pie
                                                          : Device::ArcKind::Chord;
  Dev.DrawArc(kind, ReversedBox(p, ArcRecord::BoxAt), ReversedPoint(p, ArcRecord::StartAt),
              ReversedPoint(p, ArcRecord::EndAt));
}

void WmfPlayer::Poly(const ByteReader& p, bool polygon) {
  using Points = wmf::Poly;
  const std::uint16_t count = p.U16(Points::CountAt);
  if (count == 0 || !p.HasArray(Points::PointsAt, count, wmf::PointSize)) return;
  auto point = [&](std::size_t i) {
    const std::size_t at = Points::PointsAt + wmf::PointSize * i;
    return QPointF(p.I16(at), p.I16(at + 2));
  };
  QPainterPath path(point(0));
  for (std::size_t i = 1; i < count; ++i) path.lineTo(point(i));
  if (polygon) {
    path.closeSubpath();
    Dev.DrawClosed(path);
  } else {
    Dev.DrawOpen(path, false);
  }
}

void WmfPlayer::PolyPolygon(const ByteReader& p) {
  using Points = wmf::PolyPolygon;
  const std::uint16_t polygons = p.U16(Points::PolygonsAt);
  if (!p.HasArray(Points::CountsAt, polygons, 2)) return;
  std::size_t at = Points::CountsAt + 2 * std::size_t(polygons);
  QPainterPath path;
  for (std::size_t i = 0; i < polygons; ++i) {
    const std::uint16_t count = p.U16(Points::CountsAt + 2 * i);
    if (!p.HasArray(at, count, wmf::PointSize)) break;
    if (count > 0) {
      path.moveTo(p.I16(at), p.I16(at + 2));
      for (std::size_t k = 1; k < count; ++k)
        path.lineTo(p.I16(at + wmf::PointSize * k), p.I16(at + wmf::PointSize * k + 2));
      path.closeSubpath();
    }
    at += wmf::PointSize * std::size_t(count);
  }
  Dev.DrawClosed(path);
}

void WmfPlayer::TextOut(const ByteReader& p) {
  using Text = wmf::TextOut;
  const std::int16_t length = p.I16(Text::LengthAt);
  if (length <= 0) return;
  const std::size_t padded = (std::size_t(length) + 1) & ~std::size_t(1);
  if (!p.Has(Text::StringAt, padded + wmf::PointSize)) return;
  Device::TextRun run;
  run.Text = AnsiText(p.At(Text::StringAt, std::size_t(length)), std::size_t(length));
  run.Reference = ReversedPoint(p, Text::StringAt + padded);
  Dev.DrawText(run);
}

void WmfPlayer::ExtTextOut(const ByteReader& p) {
  using Text = wmf::ExtTextOut;
  if (!p.Has(0, Text::MinSize)) return;
  Device::TextRun run;
  run.Reference = QPointF(p.I16(Text::XAt), p.I16(Text::YAt));
  const std::int16_t length = p.I16(Text::LengthAt);
  run.Options = p.U16(Text::OptionsAt);
  std::size_t at = Text::StringAt;
  if (run.Options & (EtoOpaque | EtoClipped)) {
    if (!p.Has(Text::RectAt, wmf::BoxSize)) return;
    run.Rect = QRectF(QPointF(p.I16(Text::RectLeftAt), p.I16(Text::RectTopAt)),
                      QPointF(p.I16(Text::RectRightAt), p.I16(Text::RectBottomAt)));
    at = Text::StringAfterRectAt;
  }
  if (length > 0) {
    if (!p.Has(at, std::size_t(length))) return;
    run.Text = AnsiText(p.At(at, std::size_t(length)), std::size_t(length));
    const std::size_t dxAt = at + ((std::size_t(length) + 1) & ~std::size_t(1));
    const std::size_t dxCount = std::size_t(length) * ((run.Options & EtoPdy) ? 2 : 1);
    if (p.HasArray(dxAt, dxCount, 2)) {
      run.Dx.reserve(dxCount);
      for (std::size_t i = 0; i < dxCount; ++i) run.Dx.push_back(p.I16(dxAt + 2 * i));
    }
  }
  Dev.DrawText(run);
}

void WmfPlayer::PatBlt(const ByteReader& p) {
  using Blt = wmf::PatBlt;
  if (p.Has(0, Blt::Size)) Dev.PatBlt(ReversedRect(p, Blt::HeightAt), p.U32(Blt::RopAt));
}

void WmfPlayer::DibBitBlt(const ByteReader& p) {
  if (p.Size() == wmf::DibBitBltWithoutBitmap::Size) {
    using Blt = wmf::DibBitBltWithoutBitmap;
    Dev.PatBlt(ReversedRect(p, Blt::HeightAt), p.U32(Blt::RopAt));
    return;
  }
  using Blt = wmf::DibBitBlt;
  if (!p.Has(0, Blt::BitmapAt)) return;
  const ByteReader dib = PackedBitmap(p, Blt::BitmapAt);
  const double width = p.I16(Blt::WidthAt), height = p.I16(Blt::HeightAt);
  const QRectF destination(p.I16(Blt::DestXAt), p.I16(Blt::DestYAt), width, height);
  const int step = Dev.BitmapStep(destination, destination.size());
  if (step == 0) return;
  const DecodedBitmap image = Dev.PackedDibImage(dib.Data(), dib.Size(), 0, step);
  Dev.DrawImage(image, destination, QRectF(p.I16(Blt::SrcXAt), p.I16(Blt::SrcYAt), width, height),
                p.U32(Blt::RopAt));
}

void WmfPlayer::DibStretchBlt(const ByteReader& p) {
  if (p.Size() == wmf::DibStretchBltWithoutBitmap::Size) {
    using Blt = wmf::DibStretchBltWithoutBitmap;
    Dev.PatBlt(ReversedRect(p, Blt::DestHeightAt), p.U32(Blt::RopAt));
    return;
  }
  using Blt = wmf::DibStretchBlt;
  if (!p.Has(0, Blt::BitmapAt)) return;
  const ByteReader dib = PackedBitmap(p, Blt::BitmapAt);
  const QRectF destination = ReversedRect(p, Blt::DestHeightAt);
  const QRectF source = ReversedRect(p, Blt::SrcHeightAt);
  const int step = Dev.BitmapStep(destination, source.size());
  if (step == 0) return;
  const DecodedBitmap image = Dev.PackedDibImage(dib.Data(), dib.Size(), 0, step);
  Dev.DrawImage(image, destination, source, p.U32(Blt::RopAt));
}

void WmfPlayer::StretchDib(const ByteReader& p) {
  using Dib = wmf::StretchDib;
  if (!p.Has(0, Dib::BitmapAt)) return;
  const ByteReader dib = PackedBitmap(p, Dib::BitmapAt);
  const double w = p.I16(Dib::SrcWidthAt), h = p.I16(Dib::SrcHeightAt);
  const double x = p.I16(Dib::SrcXAt), y = p.I16(Dib::SrcYAt);
  const QRectF destination = ReversedRect(p, Dib::DestHeightAt);
  const int step = Dev.BitmapStep(destination, QSizeF(w, h));
  if (step == 0) return;
  const DecodedBitmap image = Dev.PackedDibImage(dib.Data(), dib.Size(), p.U16(Dib::UsageAt), step);
  if (image.Image.isNull()) return;
  // The source's y counts from the bottom row of a bottom-up bitmap.
  const bool topDown = Device::DibTopDown(dib.Data(), dib.Size());
  Dev.DrawImage(image, destination,
                QRectF(x, topDown ? y : Device::BitmapRows(image) - y - h, w, h),
                p.U32(Dib::RopAt));
}

void WmfPlayer::SetDibToDev(const ByteReader& p) {
  using Dib = wmf::SetDibToDev;
  if (!p.Has(0, Dib::BitmapAt)) return;
  const ByteReader dib = PackedBitmap(p, Dib::BitmapAt);
  const double w = p.I16(Dib::WidthAt), h = p.I16(Dib::HeightAt), x = p.I16(Dib::SrcXAt);
  const double y = double(p.I16(Dib::SrcYAt)) - double(p.U16(Dib::StartScanAt));
  const QRectF destination(p.I16(Dib::DestXAt), p.I16(Dib::DestYAt), w, h);
  const int step = Dev.BitmapStep(destination, QSizeF(w, h));
  if (step == 0) return;
  const DecodedBitmap image = Dev.PackedDibImage(dib.Data(), dib.Size(), p.U16(Dib::UsageAt), step);
  if (image.Image.isNull()) return;
  const bool topDown = Device::DibTopDown(dib.Data(), dib.Size());
  Dev.DrawImage(image, destination,
                QRectF(x, topDown ? y : Device::BitmapRows(image) - y - h, w, h), SrcCopy);
}

bool WmfPlayer::Play(std::uint16_t function, const ByteReader& p) {
  if (function == wmf::MetaEof) return false;
  // Records of no group are not drawn: escapes, palette animation, flood
  // fills, ...
  if (!PlayState(function, p) && !PlayObject(function, p) && !PlayClip(function, p))
    PlayDrawing(function, p);
  return true;
}

// Visits the records from `offset` until the end, a damaged record or the
// end-of-file record.
template <typename Visit>
void ForEachRecord(const ByteReader& file, std::size_t offset, Visit visit) {
  using wmf::Record;
  const std::size_t size = file.Size();
  long records = 0;
  while (offset + Record::HeaderSize <= size && records++ < MaxRecords) {
    const ByteReader head = file.From(offset);
    const std::uint64_t bytes = std::uint64_t(head.U32(Record::SizeWordsAt)) * 2;
    const std::uint16_t function = head.U16(Record::FunctionAt);
    if (bytes < Record::HeaderSize || bytes > size - offset) break;
    if (function == wmf::MetaEof) break;
    const ByteReader parameters =
        file.Part(offset + Record::HeaderSize, std::size_t(bytes) - Record::HeaderSize);
    if (!visit(function, parameters)) break;
    offset += std::size_t(bytes);
  }
}

}  // namespace

bool PlayWindowsRecords(QPainter& painter, const unsigned char* data, std::size_t size,
                        bool placeable, const QRectF& target) {
  using wmf::MetaHeader;
  using wmf::Placeable;
  if (target.isEmpty()) return false;
  const ByteReader file(data, size);
  const std::size_t start = placeable ? Placeable::Size : 0;
  if (size < start + MetaHeader::Size) return false;
  const ByteReader header = file.From(start);
  const std::size_t headerBytes = std::clamp<std::size_t>(
      std::size_t(header.U16(MetaHeader::HeaderWordsAt)) * 2, MetaHeader::Size, size - start);
  const std::size_t first = start + headerBytes;

  // The picture's frame in logical units: the placeable bounding box, else
  // the window the records set first.
  ReferenceDevice reference;
  QRectF frame;
  if (placeable) {
    frame = QRectF(QPointF(file.I16(Placeable::LeftAt), file.I16(Placeable::TopAt)),
                   QPointF(file.I16(Placeable::RightAt), file.I16(Placeable::BottomAt)));
    const std::uint16_t unitsPerInch = file.U16(Placeable::UnitsPerInchAt);
    reference.UnitsPerMmX = reference.UnitsPerMmY = (unitsPerInch != 0 ? unitsPerInch : 96) / 25.4;
  } else {
    std::optional<QPointF> origin;
    std::optional<QSizeF> extent;
    ForEachRecord(file, first, [&](std::uint16_t function, const ByteReader& p) {
      const bool hasPoint = p.Has(0, wmf::Point::Size);
      if (function == wmf::MetaSetWindowOrg && !origin && hasPoint)
        origin = ReversedPoint(p, wmf::Point::YAt);
      if (function == wmf::MetaSetWindowExt && !extent && hasPoint)
        extent = ReversedSize(p, wmf::Point::YAt);
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
  reference.ObjectSlots = header.U16(MetaHeader::ObjectsAt);

  Device device(painter, reference);
  // The records start in the anisotropic mode with the frame as both window
  // and viewport; a window the records set is then mapped onto the frame.
  device.SetMapMode(MmAnisotropic);
  DcState& dc = device.State();
  dc.WindowOrg = dc.ViewportOrg = frame.topLeft();
  dc.WindowExt = dc.ViewportExt = frame.size();
  WmfPlayer player(device);
  ForEachRecord(file, first, [&](std::uint16_t function, const ByteReader& p) {
    return player.Play(function, p);
  });
  return true;
}

}  // namespace metafile
