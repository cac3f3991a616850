#include "drawing/metafile/MetafilePlayerDevice.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPaintEngine>
#include <QPen>

#include <algorithm>
#include <cmath>

#include "core/pictures/formats/Bmp.h"
#include "drawing/decode/BitmapDecoder.h"

namespace metafile {

namespace {

// Limits that keep hostile data from eating memory.
constexpr std::size_t MaxObjects = 65536;
constexpr std::size_t MaxSavedStates = 4096;
constexpr std::size_t MaxDashes = 16;
// Pixels of all the bitmaps of one metafile together.
constexpr long long BitmapPixelBudget = 1LL << 28;
// The widest pen drawn (device pixels); wider ones are drawn this wide.
constexpr double MaxPenPixels = 4096;
// Text taller than this (device pixels) is not drawn.
constexpr double MaxTextPixels = 8192;
// The size of the stock fonts on a 96 dpi screen: their cell height in pixels.
constexpr double StockFontPixels = 16;
// Clipping "everything": far outside any target.
constexpr double EverythingExtent = 1e6;

constexpr double Pi = 3.14159265358979323846;

// Half a device pixel right and down: aliased lines then land on the pixels
// their coordinates round to.
const QTransform PixelCentres = QTransform::fromTranslate(0.5, 0.5);

bool Finite(const QTransform& t) {
  return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
         std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy()) &&
         std::isfinite(t.m13()) && std::isfinite(t.m23()) && std::isfinite(t.m33());
}

// Device pixels per logical unit, as an average of both directions.
double LinearScale(const QTransform& t) {
  return std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
}

double AxisLength(const QTransform& t, double x, double y) {
  const QPointF v = t.map(QPointF(x, y)) - t.map(QPointF(0, 0));
  return std::hypot(v.x(), v.y());
}

// Brings an angle difference into (0, 360] (positive) or [-360, 0).
double NormalisedSweep(double sweep, bool positive) {
  sweep = std::fmod(sweep, 360.0);
  if (positive) {
    if (sweep <= 0) sweep += 360;
  } else {
    if (sweep >= 0) sweep -= 360;
  }
  return sweep;
}

Qt::BrushStyle HatchStyle(int hatch) {
  switch (hatch) {
    case 0:
      return Qt::HorPattern;  // HS_HORIZONTAL
    case 1:
      return Qt::VerPattern;  // HS_VERTICAL
    case 2:
      return Qt::FDiagPattern;  // HS_FDIAGONAL, "\\\\"
    case 3:
      return Qt::BDiagPattern;  // HS_BDIAGONAL, "////"
    case 4:
      return Qt::CrossPattern;  // HS_CROSS
    case 5:
      return Qt::DiagCrossPattern;  // HS_DIAGCROSS
    default:
      return Qt::SolidPattern;
  }
}

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

GdiFont StockFont(const char* face, int height, int weight) {
  GdiFont font;
  font.Face = QString::fromLatin1(face);
  font.Height = height;
  font.Weight = weight;
  font.Stock = true;
  return font;
}

GdiPen StockPen(QColor color, bool null) {
  GdiPen pen;
  pen.Color = color;
  pen.Null = null;
  return pen;
}

GdiBrush StockBrush(QColor color, bool null) {
  GdiBrush brush;
  brush.Color = color;
  brush.Style = null ? GdiBrush::Kind::Null : GdiBrush::Kind::Solid;
  return brush;
}

}  // namespace

GdiObject StockObject(std::uint32_t number) {
  switch (number) {
    case 0:
      return StockBrush(Qt::white, false);  // WHITE_BRUSH
    case 1:
      return StockBrush(QColor(192, 192, 192), false);  // LTGRAY_BRUSH
    case 2:
      return StockBrush(QColor(128, 128, 128), false);  // GRAY_BRUSH
    case 3:
      return StockBrush(QColor(64, 64, 64), false);  // DKGRAY_BRUSH
    case 4:
      return StockBrush(Qt::black, false);  // BLACK_BRUSH
    case 5:
      return StockBrush(Qt::black, true);  // NULL_BRUSH
    case 6:
      return StockPen(Qt::white, false);  // WHITE_PEN
    case 7:
      return StockPen(Qt::black, false);  // BLACK_PEN
    case 8:
      return StockPen(Qt::black, true);  // NULL_PEN
    case 10:
      return StockFont("Courier New", 12, 400);  // OEM_FIXED_FONT
    case 11:
      return StockFont("Courier New", 12, 400);  // ANSI_FIXED_FONT
    case 12:
      return StockFont("Arial", 12, 400);  // ANSI_VAR_FONT
    case 13:
      return StockFont("System", 16, 700);  // SYSTEM_FONT
    case 14:
      return StockFont("System", 16, 700);  // DEVICE_DEFAULT_FONT
    case 15:
      return GdiPalette{};  // DEFAULT_PALETTE
    case 16:
      return StockFont("Courier New", 16, 700);  // SYSTEM_FIXED_FONT
    case 17:
      return StockFont("Arial", -11, 400);  // DEFAULT_GUI_FONT
    case 18:
      return StockBrush(Qt::white, false);  // DC_BRUSH
    case 19:
      return StockPen(Qt::black, false);  // DC_PEN
    default:
      return std::monostate{};
  }
}

QString AnsiText(const unsigned char* data, std::size_t size) {
  // Windows-1252 at 0x80..0x9F; the rest is Latin-1. Undefined codes stay as
  // their C1 control characters.
  static const char16_t HighCodes[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  QString text;
  text.reserve(qsizetype(size));
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char c = data[i];
    if (c == 0)
      text.append(QChar(u' '));
    else if (c >= 0x80 && c < 0xA0)
      text.append(QChar(HighCodes[c - 0x80]));
    else
      text.append(QChar(char16_t(c)));
  }
  return text;
}

Device::Device(QPainter& painter, const ReferenceDevice& reference)
    : Painter(painter), Reference(reference), BitmapPixelsLeft(BitmapPixelBudget) {
  Painter.save();
  Base = Painter.transform();
  BaseClipped = Painter.hasClipping();
  if (BaseClipped) BaseClip = Painter.clipPath();
  RasterOps = Painter.paintEngine() != nullptr &&
              Painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
  Painter.setRenderHint(QPainter::Antialiasing, true);
  Painter.setRenderHint(QPainter::TextAntialiasing, true);
  Painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  Painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  Objects.resize(std::min(reference.ObjectSlots, MaxObjects));
  Dc.Pen = StockPen(Qt::black, false);
  Dc.Brush = StockBrush(Qt::white, false);
  Dc.Font = std::get<GdiFont>(StockObject(13));
}

Device::~Device() {
  Painter.restore();
}

QColor Device::Color(std::uint32_t colorRef) const {
  if ((colorRef >> 24) == 1) {
    const std::size_t index = colorRef & 0xFFFF;
    if (Dc.Palette.Entries && index < Dc.Palette.Entries->size())
      return QColor((*Dc.Palette.Entries)[index]);
    return Qt::black;
  }
  return QColor(int(colorRef & 0xFF), int((colorRef >> 8) & 0xFF), int((colorRef >> 16) & 0xFF));
}

// --- Mapping ---

void Device::SetMapMode(int mode) {
  // Size of a logical unit in millimetres for the fixed modes; their y axis
  // points up.
  double unit = 0;
  switch (mode) {
    case MmText:
      Dc.WindowExt = QSizeF(1, 1);
      Dc.ViewportExt = QSizeF(1, 1);
      Dc.Mode = mode;
      return;
    case MmLoMetric:
      unit = 0.1;
      break;
    case MmHiMetric:
      unit = 0.01;
      break;
    case MmLoEnglish:
      unit = 0.254;
      break;
    case MmHiEnglish:
      unit = 0.0254;
      break;
    case MmTwips:
      unit = 25.4 / 1440;
      break;
    case MmIsotropic:
      if (Dc.Mode == MmIsotropic) return;
      unit = 0.1;  // starts with the extents of the low metric mode
      break;
    case MmAnisotropic:
      Dc.Mode = mode;  // keeps the extents of the mode before
      return;
    default:
      return;
  }
  Dc.WindowExt = QSizeF(1, 1);
  Dc.ViewportExt = QSizeF(unit * Reference.UnitsPerMmX, -unit * Reference.UnitsPerMmY);
  Dc.Mode = mode;
}

void Device::SetWindowExt(QSizeF extent) {
  if (Dc.Mode != MmIsotropic && Dc.Mode != MmAnisotropic) return;
  if (extent.width() == 0 || extent.height() == 0) return;
  Dc.WindowExt = extent;
}

void Device::SetViewportExt(QSizeF extent) {
  if (Dc.Mode != MmIsotropic && Dc.Mode != MmAnisotropic) return;
  if (extent.width() == 0 || extent.height() == 0) return;
  Dc.ViewportExt = extent;
}

void Device::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom) {
  if (xDenom == 0 || yDenom == 0) return;
  SetWindowExt(QSizeF(Dc.WindowExt.width() * xNum / xDenom, Dc.WindowExt.height() * yNum / yDenom));
}

void Device::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom) {
  if (xDenom == 0 || yDenom == 0) return;
  SetViewportExt(
      QSizeF(Dc.ViewportExt.width() * xNum / xDenom, Dc.ViewportExt.height() * yNum / yDenom));
}

void Device::SetWorldTransform(const QTransform& transform) {
  if (!Finite(transform) || !transform.isInvertible()) return;
  Dc.World = transform;
}

void Device::ModifyWorldTransform(const QTransform& transform, std::uint32_t mode) {
  switch (mode) {
    case 1:  // MWT_IDENTITY
      Dc.World = QTransform();
      break;
    case 2:  // MWT_LEFTMULTIPLY: the new transform applies first
      SetWorldTransform(transform * Dc.World);
      break;
    case 3:  // MWT_RIGHTMULTIPLY
      SetWorldTransform(Dc.World * transform);
      break;
    case 4:  // MWT_SET
      SetWorldTransform(transform);
      break;
    default:
      break;
  }
}

QTransform Device::PageTransform() const {
  double sx = Dc.ViewportExt.width() / Dc.WindowExt.width();
  double sy = Dc.ViewportExt.height() / Dc.WindowExt.height();
  if (Dc.Mode == MmIsotropic) {
    // Units are equal in both directions: the smaller scale wins.
    const double m = std::min(std::abs(sx), std::abs(sy));
    sx = std::copysign(m, sx);
    sy = std::copysign(m, sy);
  }
  return QTransform(sx, 0, 0, sy, Dc.ViewportOrg.x() - Dc.WindowOrg.x() * sx,
                    Dc.ViewportOrg.y() - Dc.WindowOrg.y() * sy);
}

QTransform Device::LogicalToPainter() const {
  return Dc.World * PageTransform() * Reference.ToTarget;
}

bool Device::Drawable(const QTransform& transform) const {
  return Finite(transform) && transform.isInvertible() && Finite(transform * Base);
}

// --- Objects ---

void Device::PutObject(std::size_t index, GdiObject object) {
  if (index >= MaxObjects) return;
  if (index >= Objects.size()) Objects.resize(index + 1);
  Objects[index] = std::move(object);
}

int Device::AddObject(GdiObject object) {
  for (std::size_t i = 0; i < Objects.size(); ++i) {
    if (std::holds_alternative<std::monostate>(Objects[i])) {
      Objects[i] = std::move(object);
      return static_cast<int>(i);
    }
  }
  if (Objects.size() >= MaxObjects) return -1;
  Objects.push_back(std::move(object));
  return static_cast<int>(Objects.size() - 1);
}

const GdiObject* Device::Object(std::size_t index) const {
  return index < Objects.size() ? &Objects[index] : nullptr;
}

void Device::SelectObject(std::size_t index) {
  const GdiObject* object = Object(index);
  if (object == nullptr) return;
  if (const auto* pen = std::get_if<GdiPen>(object)) {
    Dc.Pen = *pen;
  } else if (const auto* brush = std::get_if<GdiBrush>(object)) {
    Dc.Brush = *brush;
  } else if (const auto* font = std::get_if<GdiFont>(object)) {
    Dc.Font = *font;
  } else if (const auto* palette = std::get_if<GdiPalette>(object)) {
    Dc.Palette = *palette;
  } else if (const auto* region = std::get_if<GdiRegion>(object)) {
    const QTransform t = LogicalToPainter();
    if (Drawable(t)) CombineClip(t.map(region->Path), RgnCopy);
  }
}

void Device::SelectStockObject(std::uint32_t number) {
  const GdiObject object = StockObject(number);
  if (const auto* pen = std::get_if<GdiPen>(&object)) {
    Dc.Pen = *pen;
  } else if (const auto* brush = std::get_if<GdiBrush>(&object)) {
    Dc.Brush = *brush;
  } else if (const auto* font = std::get_if<GdiFont>(&object)) {
    Dc.Font = *font;
  } else if (std::holds_alternative<GdiPalette>(object)) {
    Dc.Palette = GdiPalette{};
  }
}

void Device::SelectPalette(std::size_t index) {
  const GdiObject* object = Object(index);
  if (object == nullptr) return;
  if (const auto* palette = std::get_if<GdiPalette>(object)) Dc.Palette = *palette;
}

void Device::DeleteObject(std::size_t index) {
  // A selected object stays in use: the state holds its own copy.
  if (index < Objects.size()) Objects[index] = std::monostate{};
}

// --- Saved states ---

void Device::SaveDc() {
  if (Saved.size() < MaxSavedStates) Saved.push_back(Dc);
}

void Device::RestoreDc(int which) {
  std::size_t keep;  // states left on the stack afterwards
  if (which < 0) {
    const std::size_t back = std::size_t(-std::int64_t(which));
    if (back > Saved.size()) return;
    keep = Saved.size() - back;
  } else if (which > 0) {
    if (std::size_t(which) > Saved.size()) return;
    keep = std::size_t(which) - 1;
  } else {
    return;
  }
  Dc = Saved[keep];
  Saved.resize(keep);
  ClipDirty = true;
}

// --- Clipping ---

QPainterPath Device::Everything() const {
  QPainterPath all;
  all.addRect(
      QRectF(-EverythingExtent, -EverythingExtent, 2 * EverythingExtent, 2 * EverythingExtent));
  return all;
}

void Device::ApplyClip() {
  if (!ClipDirty) return;
  ClipDirty = false;
  Painter.setTransform(Base);
  if (BaseClipped) {
    Painter.setClipPath(BaseClip, Qt::ReplaceClip);
    if (Dc.Clip) Painter.setClipPath(*Dc.Clip, Qt::IntersectClip);
  } else if (Dc.Clip) {
    Painter.setClipPath(*Dc.Clip, Qt::ReplaceClip);
  } else {
    Painter.setClipping(false);
  }
}

bool Device::ClipTooComplex() const {
  return Dc.Clip && Dc.Clip->elementCount() > MaxClipElements;
}

void Device::IntersectClipRect(const QRectF& logical) {
  const QTransform t = LogicalToPainter();
  if (!Drawable(t) || ClipTooComplex()) return;
  QPainterPath rect;
  rect.addRect(logical.normalized());
  rect = t.map(rect);
  Dc.Clip = Dc.Clip ? Dc.Clip->intersected(rect) : rect;
  ClipDirty = true;
}

void Device::ExcludeClipRect(const QRectF& logical) {
  const QTransform t = LogicalToPainter();
  if (!Drawable(t) || ClipTooComplex()) return;
  QPainterPath rect;
  rect.addRect(logical.normalized());
  rect = t.map(rect);
  Dc.Clip = (Dc.Clip ? *Dc.Clip : Everything()).subtracted(rect);
  ClipDirty = true;
}

void Device::OffsetClip(QPointF logicalDelta) {
  if (!Dc.Clip) return;
  const QTransform t = LogicalToPainter();
  if (!Drawable(t)) return;
  const QPointF delta = t.map(logicalDelta) - t.map(QPointF(0, 0));
  Dc.Clip->translate(delta);
  ClipDirty = true;
}

void Device::CombineClip(const std::optional<QPainterPath>& region, int mode) {
  ClipDirty = true;
  if (!region) {
    if (mode == RgnCopy) Dc.Clip.reset();
    return;
  }
  if (mode != RgnCopy && (ClipTooComplex() || region->elementCount() > MaxClipElements)) return;
  switch (mode) {
    case RgnAnd:
      Dc.Clip = Dc.Clip ? Dc.Clip->intersected(*region) : *region;
      break;
    case RgnOr:
      if (Dc.Clip) Dc.Clip = Dc.Clip->united(*region);
      break;
    case RgnXor: {
      const QPainterPath current = Dc.Clip ? *Dc.Clip : Everything();
      Dc.Clip = current.subtracted(*region).united(region->subtracted(current));
      break;
    }
    case RgnDiff:
      Dc.Clip = (Dc.Clip ? *Dc.Clip : Everything()).subtracted(*region);
      break;
    case RgnCopy:
      Dc.Clip = *region;
      break;
    default:
      break;
  }
}

// --- Pens and brushes ---

QPen Device::MakePen(const QTransform& logicalToPainter) const {
  const GdiPen& gdi = Dc.Pen;
  QPen pen(gdi.Color);
  const double scale = LinearScale(logicalToPainter);
  const double deviceWidth = gdi.Width * LinearScale(logicalToPainter * Base);
  const bool cosmetic = gdi.Width <= 0 || !std::isfinite(deviceWidth) || deviceWidth < 1.0;
  if (cosmetic) {
    pen.setCosmetic(true);
    pen.setWidthF(1);
  } else {
    double width = gdi.Width * scale;
    if (deviceWidth > MaxPenPixels) width *= MaxPenPixels / deviceWidth;
    pen.setCosmetic(false);
    pen.setWidthF(std::min(width, MaxPenPixels));
  }

  // Dash lengths in pen widths; the cosmetic patterns are the device's pixel
  // patterns. Pens made by CreatePen draw wide lines solid.
  std::vector<double> dashes;
  const bool patterned = cosmetic || gdi.Geometric;
  switch (gdi.Style) {
    case 1:
      dashes = {18, 6};
      break;  // PS_DASH
    case 2:
      dashes = {3, 3};
      break;  // PS_DOT
    case 3:
      dashes = {9, 6, 3, 6};
      break;  // PS_DASHDOT
    case 4:
      dashes = {9, 3, 3, 3, 3, 3};
      break;  // PS_DASHDOTDOT
    case 8:
      dashes = {1, 1};
      break;  // PS_ALTERNATE
    case 7:   // PS_USERSTYLE
      if (gdi.Width > 0)
        for (double length : gdi.UserDashes) dashes.push_back(length / gdi.Width);
      else
        dashes = gdi.UserDashes;
      break;
    default:
      break;
  }
  if (patterned && !dashes.empty()) {
    if (gdi.Geometric && gdi.Style != 7 && gdi.Style != 8) {
      for (double& d : dashes) d /= 3;  // geometric dashes scale with the width
    }
    if (dashes.size() % 2 != 0) dashes.push_back(dashes.back());
    double total = 0;
    bool usable = dashes.size() <= MaxDashes;
    for (double d : dashes) {
      if (!(d > 0) || !std::isfinite(d)) usable = false;
      total += d;
    }
    // Very short patterns on long lines would take the stroker forever; they
    // look solid anyway.
    if (usable && total * (cosmetic ? 1.0 : deviceWidth) >= 2.0)
      pen.setDashPattern(QList<qreal>(dashes.begin(), dashes.end()));
  }

  switch (gdi.EndCap) {
    case 0x100:
      pen.setCapStyle(Qt::SquareCap);
      break;
    case 0x200:
      pen.setCapStyle(Qt::FlatCap);
      break;
    default:
      pen.setCapStyle(cosmetic ? Qt::FlatCap : Qt::RoundCap);
      break;
  }
  switch (gdi.Join) {
    case 0x1000:
      pen.setJoinStyle(Qt::BevelJoin);
      break;
    case 0x2000:
      pen.setJoinStyle(Qt::MiterJoin);
      pen.setMiterLimit(std::clamp(Dc.MiterLimit, 1.0, 100.0));
      break;
    default:
      pen.setJoinStyle(Qt::RoundJoin);
      break;
  }
  return pen;
}

void Device::PrepareTransform(const QTransform& logicalToPainter) {
  ApplyClip();
  Painter.setTransform(logicalToPainter * Base);
}

void Device::FillWith(const QPainterPath& path, const QBrush& brush,
                      QPainter::CompositionMode mode) {
  const bool raster = mode != QPainter::CompositionMode_SourceOver;
  if (raster) {
    if (!RasterOps) return;
    Painter.setCompositionMode(mode);
  }
  Painter.fillPath(path, brush);
  if (raster) Painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void Device::FillShape(const QPainterPath& path, const QTransform& painterTransform) {
  const GdiBrush& brush = Dc.Brush;
  switch (brush.Style) {
    case GdiBrush::Kind::Null:
      return;
    case GdiBrush::Kind::Solid:
      FillWith(path, brush.Color);
      return;
    case GdiBrush::Kind::Hatched:
      // Hatch lines are device pixels (Qt keeps its patterns cosmetic).
      if (Dc.BackMode == Opaque) FillWith(path, Dc.BackColor);
      FillWith(path, QBrush(brush.Color, HatchStyle(brush.Hatch)));
      return;
    case GdiBrush::Kind::Pattern: {
      if (brush.Pattern.isNull()) {
        FillWith(path, brush.Color);
        return;
      }
      // Pattern pixels are device pixels, anchored at the device origin.
      QBrush pattern(brush.Pattern);
      const QTransform full = painterTransform * Base;
      if (full.isInvertible()) pattern.setTransform(full.inverted());
      FillWith(path, pattern);
      return;
    }
  }
}

void Device::StrokeShape(const QPainterPath& path, const QTransform& logicalToPainter) {
  if (Dc.Pen.Null) return;
  StrokePainterPath(logicalToPainter.map(path), MakePen(logicalToPainter));
}

void Device::StrokePainterPath(const QPainterPath& path, const QPen& pen) {
  if (!pen.isCosmetic()) {
    Painter.setTransform(Base);
    Painter.strokePath(path, pen);
    return;
  }
  // One-pixel lines are drawn as the device draws them, without smoothing: a
  // line through device point (x, y), rounded to whole pixels, covers pixel
  // (x, y), the square right of and below the point.
  Painter.setRenderHint(QPainter::Antialiasing, false);
  Painter.setTransform(Base * PixelCentres);
  Painter.strokePath(path, pen);
  Painter.setRenderHint(QPainter::Antialiasing, true);
}

// --- Drawing ---

void Device::AppendToPath(const QPainterPath& logical, bool continueFigure) {
  const QTransform t = LogicalToPainter();
  if (!Drawable(t)) return;
  const QPainterPath mapped = t.map(logical);
  // A figure continues only from where the last one ended; after a move or a
  // closed figure it starts a new one.
  const bool joins = continueFigure && CurrentPath.elementCount() > 0 &&
                     mapped.elementCount() > 0 &&
                     QLineF(CurrentPath.currentPosition(), mapped.elementAt(0)).length() < 1e-6;
  if (joins)
    CurrentPath.connectPath(mapped);
  else
    CurrentPath.addPath(mapped);
}

void Device::DrawClosed(const QPainterPath& shape) {
  QPainterPath path = shape;
  path.setFillRule(Dc.FillMode == Winding ? Qt::WindingFill : Qt::OddEvenFill);
  if (PathOpen) {
    AppendToPath(path, false);
    return;
  }
  const QTransform t = LogicalToPainter();
  if (!Drawable(t)) return;
  PrepareTransform(t);
  FillShape(path, t);
  StrokeShape(path, t);
}

void Device::DrawOpen(const QPainterPath& figure, bool fromPosition) {
  if (figure.elementCount() == 0) return;
  if (fromPosition) Dc.Position = figure.currentPosition();
  if (PathOpen) {
    AppendToPath(figure, fromPosition);
    return;
  }
  const QTransform t = LogicalToPainter();
  if (!Drawable(t)) return;
  PrepareTransform(t);
  StrokeShape(figure, t);
}

void Device::LineTo(QPointF point) {
  QPainterPath line(Dc.Position);
  line.lineTo(point);
  DrawOpen(line, true);
}

void Device::DrawArc(ArcKind kind, QRectF box, QPointF start, QPointF end) {
  box = box.normalized();
  if (!(box.width() > 0) || !(box.height() > 0)) return;
  const QTransform t = LogicalToPainter();
  if (!Drawable(t)) return;
  const QPointF center = box.center();
  const double rx = box.width() / 2;
  const double ry = box.height() / 2;
  // Angles as Qt takes them: of the ellipse's parameter, counter-clockwise
  // on a y-down plane. GDI's direction is that seen on the device.
  auto angle = [&](QPointF p) {
    const double x = (p.x() - center.x()) / rx;
    const double y = -(p.y() - center.y()) / ry;
    return (x == 0 && y == 0) ? 0.0 : std::atan2(y, x) * 180 / Pi;
  };
  const double from = angle(start);
  const bool positive = (!Dc.Clockwise) == (t.determinant() > 0);
  const double sweep = NormalisedSweep(angle(end) - from, positive);

  QPainterPath path;
  switch (kind) {
    case ArcKind::Arc:
      path.arcMoveTo(box, from);
      path.arcTo(box, from, sweep);
      DrawOpen(path, false);
      break;
    case ArcKind::ArcTo:
      path.moveTo(Dc.Position);
      path.arcTo(box, from, sweep);
      DrawOpen(path, true);
      break;
    case ArcKind::Chord:
      path.arcMoveTo(box, from);
      path.arcTo(box, from, sweep);
      path.closeSubpath();
      DrawClosed(path);
      break;
    case ArcKind::Pie:
      path.moveTo(center);
      path.arcTo(box, from, sweep);
      path.closeSubpath();
      DrawClosed(path);
      break;
  }
}

void Device::AngleArc(QPointF center, double radius, double startDegrees, double sweepDegrees) {
  if (!(radius > 0) || !std::isfinite(radius) || !std::isfinite(startDegrees) ||
      !std::isfinite(sweepDegrees))
    return;
  const QTransform t = LogicalToPainter();
  if (!Drawable(t)) return;
  // Angles count counter-clockwise as seen on the device.
  const double sign = t.determinant() > 0 ? 1 : -1;
  const QRectF box(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
  QPainterPath path(Dc.Position);
  path.arcTo(box, sign * startDegrees, sign * std::clamp(sweepDegrees, -3600.0, 3600.0));
  DrawOpen(path, true);
}

void Device::SetPixel(QPointF point, QColor color) {
  const QTransform t = LogicalToPainter();
  if (!Drawable(t)) return;
  const QPointF p = t.map(point);
  ApplyClip();
  Painter.setTransform(Base);
  Painter.fillRect(QRectF(std::floor(p.x()), std::floor(p.y()), 1, 1), color);
}

// --- Path bracket ---

void Device::BeginPath() {
  PathOpen = true;
  CurrentPath = QPainterPath();
}

void Device::AbortPath() {
  PathOpen = false;
  CurrentPath = QPainterPath();
}

void Device::CloseFigure() {
  if (PathOpen && CurrentPath.elementCount() > 0) CurrentPath.closeSubpath();
}

void Device::FillPath(bool fill, bool stroke) {
  PathOpen = false;
  QPainterPath path = CurrentPath;
  CurrentPath = QPainterPath();
  if (path.elementCount() == 0) return;
  path.setFillRule(Dc.FillMode == Winding ? Qt::WindingFill : Qt::OddEvenFill);
  const QTransform t = LogicalToPainter();
  if (!Drawable(t)) return;
  ApplyClip();
  Painter.setTransform(Base);
  if (fill) FillShape(path, QTransform());
  if (stroke && !Dc.Pen.Null) StrokePainterPath(path, MakePen(t));
}

void Device::SelectClipPath(int mode) {
  PathOpen = false;
  QPainterPath path = CurrentPath;
  CurrentPath = QPainterPath();
  path.setFillRule(Dc.FillMode == Winding ? Qt::WindingFill : Qt::OddEvenFill);
  CombineClip(path, mode);
}

// --- Text ---

QFont Device::MakeFont(double pixelHeight, double scaleX) const {
  const GdiFont& gdi = Dc.Font;
  QFont font(gdi.Face.isEmpty() ? QStringLiteral("Arial") : gdi.Face);
  font.setStyleHint(QFont::AnyStyle, QFont::PreferAntialias);
  font.setPixelSize(std::max(1, int(std::lround(pixelHeight))));
  font.setWeight(QFont::Weight(std::clamp(gdi.Weight == 0 ? 400 : gdi.Weight, 100, 900)));
  font.setItalic(gdi.Italic);
  font.setUnderline(gdi.Underline);
  font.setStrikeOut(gdi.StrikeOut);
  if (gdi.Height > 0 && !gdi.Stock) {
    // A positive height is the cell height (ascent plus descent).
    const double cell = QFontMetricsF(font).height();
    if (cell > 0)
      font.setPixelSize(std::max(1, int(std::lround(pixelHeight * pixelHeight / cell))));
  }
  if (gdi.Width != 0) {
    const double average = QFontMetricsF(font).averageCharWidth();
    const double wanted = std::abs(gdi.Width) * scaleX;
    if (average > 0 && std::isfinite(wanted))
      font.setStretch(std::clamp(int(std::lround(wanted * 100 / average)), 1, 4000));
  }
  if (Dc.CharExtra != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, Dc.CharExtra * scaleX);
  return font;
}

void Device::DrawText(const TextRun& run) {
  const QTransform t = LogicalToPainter();
  if (!Drawable(t)) return;

  if (run.Rect && (run.Options & EtoOpaque)) {
    QPainterPath box;
    box.addRect(run.Rect->normalized());
    PrepareTransform(t);
    Painter.fillPath(box, Dc.BackColor);
  }
  if (run.Text.isEmpty() || (run.Options & EtoGlyphIndex)) return;

  const bool updatePosition = (Dc.TextAlignment & TaUpdateCp) != 0;
  const QPointF origin = updatePosition ? Dc.Position : run.Reference;
  const QPointF at = t.map(origin);
  const double scaleX = AxisLength(t, 1, 0);
  const double scaleY = AxisLength(t, 0, 1);

  double pixels;
  if (Dc.Font.Stock || Dc.Font.Height == 0) {
    const double referenceUnits = StockFontPixels / 96 * 25.4 * Reference.UnitsPerMmY;
    pixels = (Dc.Font.Stock ? std::abs(Dc.Font.Height) / StockFontPixels : 1.0) * referenceUnits *
             AxisLength(Reference.ToTarget, 0, 1);
  } else {
    pixels = std::abs(double(Dc.Font.Height)) * scaleY;
  }
  if (!std::isfinite(pixels) || pixels < 1 || pixels > MaxTextPixels) return;
  const QFont font = MakeFont(pixels, scaleX);
  const QFontMetricsF metrics(font, Painter.device());

  // Character positions along the baseline (device pixels), from the
  // advances when the record gives them.
  const bool pairs = (run.Options & EtoPdy) != 0;
  const std::size_t step = pairs ? 2 : 1;
  const bool explicitAdvances = run.Dx.size() >= std::size_t(run.Text.size()) * step;
  std::vector<QPointF> positions;
  double width = 0;
  if (explicitAdvances) {
    QPointF pen(0, 0);
    for (qsizetype i = 0; i < run.Text.size(); ++i) {
      positions.push_back(pen);
      const double dx = run.Dx[std::size_t(i) * step];
      const double dy = pairs ? run.Dx[std::size_t(i) * step + 1] : 0.0;
      pen += QPointF(dx * scaleX, -dy * scaleY);
    }
    width = pen.x();
  } else {
    width = metrics.horizontalAdvance(run.Text);
  }
  if (!std::isfinite(width)) return;

  double x = 0;
  switch (Dc.TextAlignment & TaHorizontalMask) {
    case TaRight:
      x = -width;
      break;
    case TaCenter:
      x = -width / 2;
      break;
    default:
      break;
  }
  double y = metrics.ascent();
  switch (Dc.TextAlignment & TaVerticalMask) {
    case TaBaseline:
      y = 0;
      break;
    case TaBottom:
      y = -metrics.descent();
      break;
    default:
      break;
  }

  // Text stays upright under mirroring mappings; it turns with a rotating
  // world transform and by the font's escapement.
  double rotation = -Dc.Font.Escapement / 10.0;
  if (t.m12() != 0 || t.m21() != 0) rotation += std::atan2(t.m12(), t.m11()) * 180 / Pi;
  QTransform textTransform;
  textTransform.translate(at.x(), at.y());
  textTransform.rotate(rotation);

  ApplyClip();
  Painter.save();
  if (run.Rect && (run.Options & EtoClipped)) {
    QPainterPath clip;
    clip.addRect(run.Rect->normalized());
    Painter.setTransform(t * Base);
    Painter.setClipPath(clip, Painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  }
  Painter.setTransform(textTransform * Base);
  if (Dc.BackMode == Opaque && !(run.Rect && (run.Options & EtoOpaque)))
    Painter.fillRect(QRectF(x, y - metrics.ascent(), width, metrics.ascent() + metrics.descent()),
                     Dc.BackColor);
  Painter.setFont(font);
  Painter.setPen(Dc.TextColor);
  if (!explicitAdvances) {
    Painter.drawText(QPointF(x, y), run.Text);
  } else {
    for (qsizetype i = 0; i < run.Text.size(); ++i) {
      const QChar c = run.Text.at(i);
      QString glyph(c);
      if (c.isHighSurrogate() && i + 1 < run.Text.size() && run.Text.at(i + 1).isLowSurrogate())
        glyph.append(run.Text.at(i + 1));
      else if (c.isLowSurrogate())
        continue;
      const QPointF p = positions[std::size_t(i)];
      Painter.drawText(QPointF(x + p.x(), y + p.y()), glyph);
    }
  }
  Painter.restore();
  ClipDirty = true;

  if (updatePosition && scaleX > 0) {
    const double advance = width / scaleX * (t.m11() < 0 ? -1 : 1);
    switch (Dc.TextAlignment & TaHorizontalMask) {
      case TaRight:
        Dc.Position.rx() -= advance;
        break;
      case TaCenter:
        break;
      default:
        Dc.Position.rx() += advance;
        break;
    }
  }
}

// --- Bitmaps ---

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
