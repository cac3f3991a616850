// Inside the metafile player: the device's state. Its construction and
// colours, the mapping from logical units to the painter, the object table
// with the stock objects, the saved states and the clipping. Drawing, text
// and bitmaps are in MetafilePlayerDrawing.cpp, MetafilePlayerText.cpp and
// MetafilePlayerBitmaps.cpp.
#include "drawing/metafile/MetafilePlayerDevice.h"

#include <QPaintEngine>

#include <algorithm>
#include <cmath>

namespace metafile {

namespace {

// Limits that keep hostile data from eating memory.
constexpr std::size_t MaxObjects = 65536;
constexpr std::size_t MaxSavedStates = 4096;
// Pixels of all the bitmaps of one metafile together.
constexpr long long BitmapPixelBudget = 1LL << 28;
// Clipping "everything": far outside any target.
constexpr double EverythingExtent = 1e6;

bool Finite(const QTransform& t) {
  return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
         std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy()) &&
         std::isfinite(t.m13()) && std::isfinite(t.m23()) && std::isfinite(t.m33());
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

}  // namespace metafile
