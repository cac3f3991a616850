// Inside the metafile player: drawing with the selected pen and brush. The
// pens and brushes as Qt draws them, shapes, lines, arcs and pixels, and the
// path bracket that collects shapes instead of drawing them.
#include "drawing/metafile/MetafilePlayerDevice.h"

#include <QLineF>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace metafile {

namespace {

// Dash patterns with more entries than this are drawn solid.
constexpr std::size_t MaxDashes = 16;
// The widest pen drawn (device pixels); wider ones are drawn this wide.
constexpr double MaxPenPixels = 4096;
// The shortest dash pattern drawn as dashes (device pixels), and the most
// dash work of one stroke (dashes times the pixel rows each covers) in
// device areas; beyond either the line is drawn solid.
constexpr double MinDashPeriodPixels = 2;
constexpr double MaxDashWorkInAreas = 4;

// Half a device pixel right and down: aliased lines then land on the pixels
// their coordinates round to.
const QTransform PixelCentres = QTransform::fromTranslate(0.5, 0.5);

// Device pixels per logical unit, as an average of both directions.
double LinearScale(const QTransform& t) {
  return std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
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

}  // namespace

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

// Dashes finer than the device shows, or so many that drawing them costs
// far more than filling the device (a hostile file's wide pen with a
// pattern of millionths), are drawn as a solid line.
QPen Device::BoundedDashes(const QPen& pen, const QPainterPath& path) const {
  if (pen.style() == Qt::SolidLine || pen.style() == Qt::NoPen) return pen;
  double period = 0;
  for (const qreal entry : pen.dashPattern()) period += entry;
  const double scale = LinearScale(Base);
  const double width = pen.isCosmetic() ? 1.0 : pen.widthF() * scale;
  const double dashPeriod = period * (width > 0 ? width : 1.0);
  const double dashes = path.length() * scale / dashPeriod;
  const double rows = std::min(std::max(width, 1.0), double(Bounds.width() + Bounds.height()));
  const double area = std::max(1.0, double(Bounds.width()) * Bounds.height());
  if (dashPeriod >= MinDashPeriodPixels && dashes * rows <= MaxDashWorkInAreas * area) return pen;
  QPen solid = pen;
  solid.setStyle(Qt::SolidLine);
  return solid;
}

void Device::StrokePainterPath(const QPainterPath& path, const QPen& givenPen) {
  const QPen pen = BoundedDashes(givenPen, path);
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

void Device::DrawBox(const QRectF& box, bool ellipse) {
  QPainterPath path;
  if (ellipse)
    path.addEllipse(box.normalized());
  else
    path.addRect(box.normalized());
  DrawClosed(path);
}

void Device::DrawRoundRect(const QRectF& box, double cornerWidth, double cornerHeight) {
  QPainterPath path;
  path.addRoundedRect(box.normalized(), std::abs(cornerWidth) / 2, std::abs(cornerHeight) / 2);
  DrawClosed(path);
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
    return (x == 0 && y == 0) ? 0.0 : std::atan2(y, x) * 180 / std::numbers::pi;
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

}  // namespace metafile
