// Inside the metafile player: the model of the drawing device that metafile
// records act on (mapping, objects, saved states, clipping, current path) and
// the drawing primitives, shared by the EMF and WMF record readers.
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/pictures/formats/ByteReader.h"

namespace metafile {

// Limits that keep hostile records from keeping the player busy for long:
// records played per metafile (the rest is ignored), rectangles of one
// region, characters of one text record, path elements of the clipping
// (later clip changes are ignored).
constexpr long MaxRecords = 1000000;
constexpr std::size_t MaxRegionRects = 2048;
constexpr std::uint32_t MaxTextChars = 16384;
constexpr int MaxClipElements = 20000;

// GDI constants used by both forms.
enum MapMode {
  MmText = 1,
  MmLoMetric = 2,
  MmHiMetric = 3,
  MmLoEnglish = 4,
  MmHiEnglish = 5,
  MmTwips = 6,
  MmIsotropic = 7,
  MmAnisotropic = 8,
};
enum BackgroundMode { Transparent = 1, Opaque = 2 };
enum PolyFillMode { Alternate = 1, Winding = 2 };
enum TextAlign : std::uint32_t {
  TaUpdateCp = 1,
  TaRight = 2,
  TaCenter = 6,
  TaHorizontalMask = 6,
  TaBottom = 8,
  TaBaseline = 24,
  TaVerticalMask = 24,
};
enum TextOutOptions : std::uint32_t {
  EtoOpaque = 0x2,
  EtoClipped = 0x4,
  EtoGlyphIndex = 0x10,
  EtoPdy = 0x2000,
};
// The colour usage of a bitmap record: its colour table holds 16-bit indices
// into the selected palette (DIB_PAL_COLORS), not colours.
constexpr std::uint32_t DibPalColours = 1;
enum RegionMode { RgnAnd = 1, RgnOr = 2, RgnXor = 3, RgnDiff = 4, RgnCopy = 5 };
// Raster operations of the bitmap records.
enum RasterOp : std::uint32_t {
  SrcCopy = 0x00CC0020,
  SrcPaint = 0x00EE0086,
  SrcAnd = 0x008800C6,
  SrcInvert = 0x00660046,
  SrcErase = 0x00440328,
  NotSrcCopy = 0x00330008,
  NotSrcErase = 0x001100A6,
  MergePaint = 0x00BB0226,
  PatCopy = 0x00F00021,
  PatInvert = 0x005A0049,
  DstInvert = 0x00550009,
  Blackness = 0x00000042,
  Whiteness = 0x00FF0062,
};

// A pen as the pen records define it. Width is in logical units; a width of 0
// is one device pixel.
struct GdiPen {
  bool Null = false;
  QColor Color = Qt::black;
  double Width = 0;
  int Style = 0;                   // PS_SOLID .. PS_ALTERNATE (low 4 bits of the style)
  int EndCap = 0;                  // PS_ENDCAP_ROUND 0x000, SQUARE 0x100, FLAT 0x200
  int Join = 0;                    // PS_JOIN_ROUND 0x0000, BEVEL 0x1000, MITER 0x2000
  bool Geometric = false;          // made by ExtCreatePen with PS_GEOMETRIC
  std::vector<double> UserDashes;  // PS_USERSTYLE lengths, logical units
};

struct GdiBrush {
  enum class Kind { Solid, Null, Hatched, Pattern };
  Kind Style = Kind::Solid;
  QColor Color = Qt::white;
  int Hatch = 0;   // HS_HORIZONTAL .. HS_DIAGCROSS
  QImage Pattern;  // Kind::Pattern
};

struct GdiFont {
  int Height = 0;      // < 0: character height, > 0: cell height, 0: default
  int Width = 0;       // average character width, 0: the font's own
  int Escapement = 0;  // tenths of a degree, counter-clockwise
  int Weight = 400;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  int CharSet = 0;
  QString Face;
  // Stock fonts have a fixed size on the device, not in logical units.
  bool Stock = false;
};

// Shared, so that selecting and saving states copies no colours.
struct GdiPalette {
  std::shared_ptr<const std::vector<QRgb>> Entries;
};

// A Windows metafile region: rectangles in logical units.
struct GdiRegion {
  QPainterPath Path;
};

// An object the player does not use (bitmaps, damaged records); it still
// takes its slot so that later objects keep their numbers.
struct GdiPlaceholder {};

// std::monostate marks a free slot.
using GdiObject =
    std::variant<std::monostate, GdiPlaceholder, GdiPen, GdiBrush, GdiFont, GdiPalette, GdiRegion>;

// The stock object with the given number (WHITE_BRUSH 0 .. DC_PEN 19).
GdiObject StockObject(std::uint32_t number);

// The state that SaveDC keeps and RestoreDC brings back.
struct DcState {
  GdiPen Pen;
  GdiBrush Brush;
  GdiFont Font;
  GdiPalette Palette;
  QColor TextColor = Qt::black;
  QColor BackColor = Qt::white;
  int BackMode = Opaque;
  int FillMode = Alternate;
  std::uint32_t TextAlignment = 0;
  int CharExtra = 0;
  int Mode = MmText;
  QPointF WindowOrg;
  QSizeF WindowExt{1, 1};
  QPointF ViewportOrg;
  QSizeF ViewportExt{1, 1};
  QTransform World;
  QPointF Position;  // current position, logical units
  bool Clockwise = false;
  double MiterLimit = 10;
  bool SmoothStretch = false;
  // Clipping in painter coordinates; none: the whole surface.
  std::optional<QPainterPath> Clip;
};

// How logical units relate to the reference device the metafile was made
// for, and how that device maps onto the target.
struct ReferenceDevice {
  // Reference device units per millimetre (for the metric and English
  // mapping modes).
  double UnitsPerMmX = 96 / 25.4;
  double UnitsPerMmY = 96 / 25.4;
  // Reference device units to painter coordinates (frame onto target).
  QTransform ToTarget;
  // Number of object slots (the header's count of handles or objects).
  std::size_t ObjectSlots = 0;
};

class Device {
 public:
  Device(QPainter& painter, const ReferenceDevice& reference);
  ~Device();
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  DcState& State() { return Dc; }
  const DcState& State() const { return Dc; }

  // A COLORREF: red in the low byte; 0x01 in the high byte selects an entry
  // of the selected palette.
  QColor Color(std::uint32_t colorRef) const;

  // --- Mapping ---
  void SetMapMode(int mode);
  void SetWindowOrg(QPointF origin) { Dc.WindowOrg = origin; }
  void SetViewportOrg(QPointF origin) { Dc.ViewportOrg = origin; }
  void SetWindowExt(QSizeF extent);
  void SetViewportExt(QSizeF extent);
  void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
  void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
  void SetWorldTransform(const QTransform& transform);
  void ModifyWorldTransform(const QTransform& transform, std::uint32_t mode);
  // Logical units to painter coordinates.
  QTransform LogicalToPainter() const;
  const QTransform& ReferenceToPainter() const { return Reference.ToTarget; }

  // --- Objects ---
  void PutObject(std::size_t index, GdiObject object);  // EMF: numbered by the record
  int AddObject(GdiObject object);                      // WMF: lowest free slot, -1: full
  void SelectObject(std::size_t index);
  void SelectStockObject(std::uint32_t number);
  void SelectPalette(std::size_t index);
  void DeleteObject(std::size_t index);
  const GdiObject* Object(std::size_t index) const;

  // --- Saved states ---
  void SaveDc();
  void RestoreDc(int which);  // < 0: relative to the newest; > 0: absolute

  // --- Drawing; shapes in logical units ---
  void MoveTo(QPointF point) { Dc.Position = point; }
  void LineTo(QPointF point);
  // A closed shape: filled with the brush and outlined with the pen.
  void DrawClosed(const QPainterPath& shape);
  // Open figures: outlined only. With `fromPosition` the figure continues
  // from the current position (LineTo, PolylineTo, ...) and leaves it at the
  // figure's end.
  void DrawOpen(const QPainterPath& figure, bool fromPosition);
  // An arc of the ellipse in `box`, from the radial through `start` to the
  // radial through `end`, in the current arc direction (device space).
  enum class ArcKind { Arc, ArcTo, Chord, Pie };
  void DrawArc(ArcKind kind, QRectF box, QPointF start, QPointF end);
  void AngleArc(QPointF center, double radius, double startDegrees, double sweepDegrees);
  void SetPixel(QPointF point, QColor color);

  // --- Path bracket ---
  void BeginPath();
  void EndPath() { PathOpen = false; }
  void AbortPath();
  void CloseFigure();
  void FillPath(bool fill, bool stroke);
  void SelectClipPath(int mode);

  // --- Clipping ---
  void IntersectClipRect(const QRectF& logical);
  void ExcludeClipRect(const QRectF& logical);
  void OffsetClip(QPointF logicalDelta);
  // Combines the clip with a region given in painter coordinates; with no
  // region and RgnCopy the clip is removed.
  void CombineClip(const std::optional<QPainterPath>& region, int mode);

  // --- Text ---
  struct TextRun {
    QPointF Reference;  // logical
    QString Text;
    std::vector<double> Dx;  // logical advances (pairs with EtoPdy); may be empty
    std::uint32_t Options = 0;
    std::optional<QRectF> Rect;  // logical; for EtoOpaque and EtoClipped
  };
  void DrawText(const TextRun& run);

  // --- Bitmaps ---
  // Draws `source` (pixels of image, top-down) into the logical rectangle
  // `destination` (negative sizes mirror).
  void DrawImage(const QImage& image, const QRectF& destination, const QRectF& source,
                 std::uint32_t rop);
  // Fills the logical rectangle by a raster operation without source.
  void PatBlt(const QRectF& destination, std::uint32_t rop);
  // A device-independent bitmap of a record: info block and bits apart, or
  // packed together. With `usage` 1 (DIB_PAL_COLORS) the colour table holds
  // 16-bit indices into the selected palette. Null when unreadable.
  // Bitmaps beyond a budget of pixels per metafile are not decoded, so that
  // many huge empty bitmaps cannot keep the player busy.
  QImage DibImage(const unsigned char* info, std::size_t infoSize, const unsigned char* bits,
                  std::size_t bitsSize, std::uint32_t usage);
  QImage PackedDibImage(const unsigned char* data, std::size_t size, std::uint32_t usage);
  // True for a bitmap stored top-down (negative height).
  static bool DibTopDown(const unsigned char* info, std::size_t size);

 private:
  QTransform PageTransform() const;
  bool Drawable(const QTransform& transform) const;
  void ApplyClip();
  void PrepareTransform(const QTransform& logicalToPainter);
  // The selected pen for stroking in painter coordinates, its width taken
  // from logical units through logicalToPainter. Pens stay round on the
  // device, as the device draws them.
  QPen MakePen(const QTransform& logicalToPainter) const;
  // Strokes a path given in painter coordinates.
  void StrokePainterPath(const QPainterPath& path, const QPen& pen);
  void FillShape(const QPainterPath& path, const QTransform& painterTransform);
  void StrokeShape(const QPainterPath& path, const QTransform& logicalToPainter);
  void FillWith(const QPainterPath& path, const QBrush& brush,
                QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver);
  void AppendToPath(const QPainterPath& logical, bool continueFigure);
  QFont MakeFont(double pixelHeight, double scaleX) const;
  QPainterPath Everything() const;
  bool ClipTooComplex() const;

  QPainter& Painter;
  ReferenceDevice Reference;
  QTransform Base;
  bool BaseClipped = false;
  QPainterPath BaseClip;
  bool RasterOps = false;
  DcState Dc;
  std::vector<DcState> Saved;
  std::vector<GdiObject> Objects;
  bool PathOpen = false;
  QPainterPath CurrentPath;  // painter coordinates
  bool ClipDirty = true;
  long long BitmapPixelsLeft;
};

// Windows-1252 text (the 8-bit text of the records) as Unicode.
QString AnsiText(const unsigned char* data, std::size_t size);

enum class MetafileForm {
  None,       // not a metafile we can play
  Enhanced,   // EMF: the header record with its signature " EMF"
  Placeable,  // WMF records after a placeable header
  Windows,    // WMF records without a placeable header
};

// Which of the forms the bytes hold, judged from their first bytes.
MetafileForm DetectForm(const std::string& bytes);

// The record readers of the two forms; false when the header or frame does not
// allow playing.
bool PlayEnhancedRecords(QPainter& painter, const unsigned char* data, std::size_t size,
                         const QRectF& target);
bool PlayWindowsRecords(QPainter& painter, const unsigned char* data, std::size_t size,
                        bool placeable, const QRectF& target);

}  // namespace metafile
