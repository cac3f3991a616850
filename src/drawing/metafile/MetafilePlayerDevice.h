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
#include <QRegion>
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
#include "drawing/decode/BitmapDecoder.h"

namespace metafile {

// Limits that keep hostile records from keeping the player busy for long:
// records played per metafile (the rest is ignored), rectangles of one
// region, characters of one text record. (The clipping is kept as whole
// pixels of the painter's device, see ClipRegion, with a budget of work per
// metafile.)
constexpr long MaxRecords = 1000000;
constexpr std::size_t MaxRegionRects = 2048;
constexpr std::uint32_t MaxTextChars = 16384;

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

// A Windows metafile region: rectangles in logical units (winding fill, as
// they may overlap).
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
  // Clipping: whole pixels in painter coordinates, within the painter's
  // device; none: the whole surface.
  std::optional<QRegion> Clip;
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
  // A rectangle or the ellipse in it; a rectangle whose corners are
  // rounded by an ellipse of the given width and height.
  void DrawBox(const QRectF& box, bool ellipse);
  void DrawRoundRect(const QRectF& box, double cornerWidth, double cornerHeight);
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
  // Combines the clip with a shape given in painter coordinates (a region's
  // rectangles, a path); with no shape and RgnCopy the clip is removed.
  void CombineClip(const std::optional<QPainterPath>& shape, int mode);

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
  // Draws `source` (pixels of the whole bitmap, top-down) of a bitmap read
  // with its step into the logical rectangle `destination` (negative sizes
  // mirror).
  void DrawImage(const DecodedBitmap& bitmap, const QRectF& destination, const QRectF& source,
                 std::uint32_t rop);
  // The step to read a bitmap with when `sourceSize` of its pixels are drawn
  // into the logical rectangle `destination`: the whole number of its pixels
  // to a device pixel in both directions, at least 1, so that the work
  // follows the size drawn rather than the size the bitmap's header claims;
  // 0 when nothing would be drawn.
  int BitmapStep(const QRectF& destination, QSizeF sourceSize) const;
  // Fills the logical rectangle by a raster operation without source.
  void PatBlt(const QRectF& destination, std::uint32_t rop);
  // A device-independent bitmap of a record, read with the given step: info
  // block and bits apart, or packed together. With `usage` 1
  // (DIB_PAL_COLORS) the colour table holds 16-bit indices into the selected
  // palette. Null when unreadable. Bitmaps beyond a budget of pixels read per
  // metafile are not read, so that many huge bitmaps cannot keep the player
  // busy.
  DecodedBitmap DibImage(const unsigned char* info, std::size_t infoSize, const unsigned char* bits,
                         std::size_t bitsSize, std::uint32_t usage, int step = 1);
  DecodedBitmap PackedDibImage(const unsigned char* data, std::size_t size, std::uint32_t usage,
                               int step = 1);
  // True for a bitmap stored top-down (negative height).
  static bool DibTopDown(const unsigned char* info, std::size_t size);
  // The height of a bitmap read with a step, in the bitmap's own rows.
  static double BitmapRows(const DecodedBitmap& bitmap) {
    return double(bitmap.Image.height()) * bitmap.Step;
  }

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
  void StrokePainterPath(const QPainterPath& path, const QPen& givenPen);
  QPen BoundedDashes(const QPen& pen, const QPainterPath& path) const;
  void FillShape(const QPainterPath& path, const QTransform& painterTransform);
  void StrokeShape(const QPainterPath& path, const QTransform& logicalToPainter);
  void FillWith(const QPainterPath& path, const QBrush& brush,
                QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver);
  void AppendToPath(const QPainterPath& logical, bool continueFigure);
  QFont MakeFont(double pixelHeight, double scaleX) const;
  // The pixels of the painter's device whose centres a shape in painter
  // coordinates covers, as Qt clips by a path. The shape is filled into a
  // mask of the device, so the cost grows with the shape's length and the
  // device's size, never with how its parts cross (combining paths does).
  // None once the metafile's clip work is spent.
  std::optional<QRegion> ClipRegion(const QPainterPath& shape);

  QPainter& Painter;
  ReferenceDevice Reference;
  QTransform Base;
  bool BaseClipped = false;
  QPainterPath BaseClip;
  QRect Bounds;  // the painter's device
  bool RasterOps = false;
  DcState Dc;
  std::vector<DcState> Saved;
  std::vector<GdiObject> Objects;
  bool PathOpen = false;
  QPainterPath CurrentPath;  // painter coordinates
  bool ClipDirty = true;
  long long BitmapPixelsLeft;
  long long ClipWorkLeft;
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
