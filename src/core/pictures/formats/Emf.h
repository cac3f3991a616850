// Enhanced metafiles (EMF): a sequence of records, each starting with its
// type and its size in bytes, the first being the header. All fields are
// little-endian; offsets count from the start of the record. Read them with
// ByteReader. Each record's layout is a struct of named offsets (never
// instantiated); records of the same shape share one.
#pragma once

#include <cstddef>
#include <cstdint>

namespace emf {

// Record types (EMR_*).
enum RecordType : std::uint32_t {
  EmrHeader = 1,
  EmrPolyBezier = 2,
  EmrPolygon = 3,
  EmrPolyline = 4,
  EmrPolyBezierTo = 5,
  EmrPolylineTo = 6,
  EmrPolyPolyline = 7,
  EmrPolyPolygon = 8,
  EmrSetWindowExtEx = 9,
  EmrSetWindowOrgEx = 10,
  EmrSetViewportExtEx = 11,
  EmrSetViewportOrgEx = 12,
  EmrEof = 14,
  EmrSetPixelV = 15,
  EmrSetMapMode = 17,
  EmrSetBkMode = 18,
  EmrSetPolyFillMode = 19,
  EmrSetStretchBltMode = 21,
  EmrSetTextAlign = 22,
  EmrSetTextColor = 24,
  EmrSetBkColor = 25,
  EmrOffsetClipRgn = 26,
  EmrMoveToEx = 27,
  EmrExcludeClipRect = 29,
  EmrIntersectClipRect = 30,
  EmrScaleViewportExtEx = 31,
  EmrScaleWindowExtEx = 32,
  EmrSaveDc = 33,
  EmrRestoreDc = 34,
  EmrSetWorldTransform = 35,
  EmrModifyWorldTransform = 36,
  EmrSelectObject = 37,
  EmrCreatePen = 38,
  EmrCreateBrushIndirect = 39,
  EmrDeleteObject = 40,
  EmrAngleArc = 41,
  EmrEllipse = 42,
  EmrRectangle = 43,
  EmrRoundRect = 44,
  EmrArc = 45,
  EmrChord = 46,
  EmrPie = 47,
  EmrSelectPalette = 48,
  EmrCreatePalette = 49,
  EmrLineTo = 54,
  EmrArcTo = 55,
  EmrPolyDraw = 56,
  EmrSetArcDirection = 57,
  EmrSetMiterLimit = 58,
  EmrBeginPath = 59,
  EmrEndPath = 60,
  EmrCloseFigure = 61,
  EmrFillPath = 62,
  EmrStrokeAndFillPath = 63,
  EmrStrokePath = 64,
  EmrSelectClipPath = 67,
  EmrAbortPath = 68,
  EmrExtSelectClipRgn = 75,
  EmrBitBlt = 76,
  EmrStretchBlt = 77,
  EmrSetDiBitsToDevice = 80,
  EmrStretchDiBits = 81,
  EmrExtCreateFontIndirectW = 82,
  EmrExtTextOutA = 83,
  EmrExtTextOutW = 84,
  EmrPolyBezier16 = 85,
  EmrPolygon16 = 86,
  EmrPolyline16 = 87,
  EmrPolyBezierTo16 = 88,
  EmrPolylineTo16 = 89,
  EmrPolyPolyline16 = 90,
  EmrPolyPolygon16 = 91,
  EmrPolyDraw16 = 92,
  EmrCreateMonoBrush = 93,
  EmrCreateDibPatternBrushPt = 94,
  EmrExtCreatePen = 95,
};

// The structures that records embed: POINTL (i32 x, y), POINTS (i16 x, y),
// SIZEL (i32 cx, cy), RECTL (i32 left, top, right, bottom, inclusive), XFORM
// (f32 m11, m12, m21, m22, dx, dy) and COLORREF (u32, red in the low byte).
constexpr std::size_t PointLSize = 8;
constexpr std::size_t PointSSize = 4;
constexpr std::size_t RectLSize = 16;

// What every record starts with.
struct Record {
  static constexpr std::size_t TypeAt = 0;  // u32, RecordType
  static constexpr std::size_t SizeAt = 4;  // u32, bytes, a multiple of 4
  static constexpr std::uint32_t MinSize = 8;
};

// ENHMETAHEADER, the first record.
struct Header {
  static constexpr std::size_t BoundsAt = 8;  // RECTL, reference device pixels
  static constexpr std::size_t BoundsLeftAt = 8;
  static constexpr std::size_t BoundsTopAt = 12;
  static constexpr std::size_t BoundsRightAt = 16;
  static constexpr std::size_t BoundsBottomAt = 20;
  static constexpr std::size_t FrameLeftAt = 24;  // RECTL, hundredths of a millimetre
  static constexpr std::size_t FrameTopAt = 28;
  static constexpr std::size_t FrameRightAt = 32;
  static constexpr std::size_t FrameBottomAt = 36;
  static constexpr std::size_t SignatureAt = 40;  // u32, " EMF"
  static constexpr std::uint32_t Signature = 0x464D4520;
  // 44: u32 version.
  static constexpr std::size_t TotalBytesAt = 48;  // u32, the whole metafile
  // 52: u32 number of records.
  static constexpr std::size_t HandlesAt = 56;  // u16, object slots (0 is the metafile)
  // 58: u16 reserved, 60: u32 description length, 64: u32 description offset,
  // 68: u32 palette entries.
  static constexpr std::size_t DevicePixelsXAt = 72;  // i32, reference device in pixels
  static constexpr std::size_t DevicePixelsYAt = 76;
  static constexpr std::size_t DeviceMillimetresXAt = 80;  // i32, reference device in mm
  static constexpr std::size_t DeviceMillimetresYAt = 84;
  // The header record ends no earlier than the reference device's size.
  static constexpr std::uint32_t MinSize = 88;
  // The part read when measuring; later fields (pixel format, OpenGL,
  // micrometres) are optional.
  static constexpr std::size_t ReadSize = 100;
};

// Records with one 32-bit value: the modes (map, background, fill, stretch,
// arc direction, clip path), text alignment, colours, the miter limit, a
// saved state's number, an object's handle.
struct Value {
  static constexpr std::size_t ValueAt = 8;
  static constexpr std::size_t Size = 12;
};
// Records with one POINTL or SIZEL: window and viewport origins and
// extents, MoveToEx, LineTo, OffsetClipRgn.
struct Point {
  static constexpr std::size_t PointAt = 8;
  static constexpr std::size_t XAt = 8;  // i32
  static constexpr std::size_t YAt = 12;
  static constexpr std::size_t Size = 16;
};
// Records with one RECTL: Rectangle, Ellipse, ExcludeClipRect,
// IntersectClipRect.
struct Box {
  static constexpr std::size_t BoxAt = 8;
  static constexpr std::size_t Size = 24;
};

// ScaleViewportExtEx, ScaleWindowExtEx: i32 each.
struct ScaleExt {
  static constexpr std::size_t XNumAt = 8;
  static constexpr std::size_t XDenomAt = 12;
  static constexpr std::size_t YNumAt = 16;
  static constexpr std::size_t YDenomAt = 20;
};

struct SetWorldTransform {
  static constexpr std::size_t XFormAt = 8;
  static constexpr std::size_t Size = 32;
};
struct ModifyWorldTransform {
  static constexpr std::size_t XFormAt = 8;
  static constexpr std::size_t ModeAt = 32;  // u32, MWT_*
  static constexpr std::size_t Size = 36;
};

struct SetPixelV {
  static constexpr std::size_t PointAt = 8;    // POINTL
  static constexpr std::size_t ColourAt = 16;  // COLORREF
  static constexpr std::size_t Size = 20;
};
struct RoundRect {
  static constexpr std::size_t BoxAt = 8;
  static constexpr std::size_t CornerWidthAt = 24;  // i32
  static constexpr std::size_t CornerHeightAt = 28;
  static constexpr std::size_t Size = 32;
};
// Arc, ArcTo, Chord, Pie.
struct Arc {
  static constexpr std::size_t BoxAt = 8;
  static constexpr std::size_t StartAt = 24;  // POINTL
  static constexpr std::size_t EndAt = 32;    // POINTL
  static constexpr std::size_t Size = 40;
};
struct AngleArc {
  static constexpr std::size_t CenterAt = 8;       // POINTL
  static constexpr std::size_t RadiusAt = 16;      // u32
  static constexpr std::size_t StartAngleAt = 20;  // f32, degrees
  static constexpr std::size_t SweepAngleAt = 24;  // f32, degrees
  static constexpr std::size_t Size = 28;
};

// Polyline, Polygon, PolylineTo, PolyBezier, PolyBezierTo and PolyDraw, each
// with POINTL points or (the "16" forms) POINTS.
struct Poly {
  static constexpr std::size_t BoundsAt = 8;
  static constexpr std::size_t CountAt = 24;   // u32
  static constexpr std::size_t PointsAt = 28;  // PolyDraw: then one type byte per point
};
// PolyPolyline, PolyPolygon (and their "16" forms).
struct PolyPoly {
  static constexpr std::size_t BoundsAt = 8;
  static constexpr std::size_t PolygonsAt = 24;  // u32, number of figures
  static constexpr std::size_t PointsAt = 28;    // u32, number of points in all
  static constexpr std::size_t CountsAt = 32;    // u32 per figure, then the points
};
// PolyDraw's point types.
constexpr std::uint8_t PtCloseFigure = 1;
constexpr std::uint8_t PtLineTo = 2;
constexpr std::uint8_t PtBezierTo = 4;
constexpr std::uint8_t PtMoveTo = 6;

// ExtTextOutA, ExtTextOutW: bounds, graphics mode and scales, then an
// EMRTEXT.
struct ExtTextOut {
  static constexpr std::size_t BoundsAt = 8;
  // 24: u32 graphics mode, 28 and 32: f32 x and y scale, unused.
  static constexpr std::size_t ReferenceAt = 36;     // POINTL
  static constexpr std::size_t CharsAt = 44;         // u32, number of characters
  static constexpr std::size_t StringOffsetAt = 48;  // u32, from the record's start
  static constexpr std::size_t OptionsAt = 52;       // u32, ETO_*
  static constexpr std::size_t RectAt = 56;          // RECTL
  static constexpr std::size_t DxOffsetAt = 72;      // u32, i32 advances; 0: none
  static constexpr std::size_t MinSize = 76;
};

struct CreatePen {
  static constexpr std::size_t HandleAt = 8;   // u32
  static constexpr std::size_t StyleAt = 12;   // u32, PS_*
  static constexpr std::size_t WidthAt = 16;   // i32 x; 20: y, unused
  static constexpr std::size_t ColourAt = 24;  // COLORREF
  static constexpr std::size_t Size = 28;
};
struct ExtCreatePen {
  static constexpr std::size_t HandleAt = 8;
  // 12..27: offset and size of a brush bitmap's info block and bits, unused.
  static constexpr std::size_t StyleAt = 28;       // u32, PS_*
  static constexpr std::size_t WidthAt = 32;       // u32
  static constexpr std::size_t BrushStyleAt = 36;  // u32, BS_*
  static constexpr std::size_t ColourAt = 40;      // COLORREF
  static constexpr std::size_t HatchAt = 44;       // u32
  static constexpr std::size_t DashCountAt = 48;   // u32, PS_USERSTYLE entries
  static constexpr std::size_t DashesAt = 52;      // u32 each
  static constexpr std::size_t MinSize = 52;
};
struct CreateBrushIndirect {
  static constexpr std::size_t HandleAt = 8;
  static constexpr std::size_t StyleAt = 12;   // u32, BS_*
  static constexpr std::size_t ColourAt = 16;  // COLORREF
  static constexpr std::size_t HatchAt = 20;   // u32, HS_*
  static constexpr std::size_t Size = 24;
};
// CreateMonoBrush, CreateDibPatternBrushPt.
struct CreatePatternBrush {
  static constexpr std::size_t HandleAt = 8;
  static constexpr std::size_t UsageAt = 12;       // u32, DIB_RGB_COLORS or DIB_PAL_COLORS
  static constexpr std::size_t InfoOffsetAt = 16;  // u32, the bitmap's info block
  static constexpr std::size_t InfoSizeAt = 20;
  static constexpr std::size_t BitsOffsetAt = 24;  // u32, its pixel data
  static constexpr std::size_t BitsSizeAt = 28;
  static constexpr std::size_t Size = 32;
};
// ExtCreateFontIndirectW: a LOGFONTW after the handle.
struct ExtCreateFontIndirectW {
  static constexpr std::size_t HandleAt = 8;
  static constexpr std::size_t HeightAt = 12;      // i32
  static constexpr std::size_t WidthAt = 16;       // i32
  static constexpr std::size_t EscapementAt = 20;  // i32, tenths of a degree
  // 24: i32 orientation.
  static constexpr std::size_t WeightAt = 28;     // i32
  static constexpr std::size_t ItalicAt = 32;     // u8
  static constexpr std::size_t UnderlineAt = 33;  // u8
  static constexpr std::size_t StrikeOutAt = 34;  // u8
  static constexpr std::size_t CharSetAt = 35;    // u8
  // 36..39: u8 precision, clipping precision, quality, pitch and family.
  static constexpr std::size_t FaceAt = 40;  // UTF-16, up to FaceChars, ended by a zero
  static constexpr std::size_t FaceChars = 32;
  static constexpr std::size_t MinSize = 40;
};
struct CreatePalette {
  static constexpr std::size_t HandleAt = 8;
  // 12: u16 version.
  static constexpr std::size_t CountAt = 14;    // u16
  static constexpr std::size_t EntriesAt = 16;  // u8 red, green, blue, flags each
  static constexpr std::size_t EntrySize = 4;
  static constexpr std::size_t MinSize = 16;
};
struct ExtSelectClipRgn {
  static constexpr std::size_t RegionSizeAt = 8;  // u32
  static constexpr std::size_t ModeAt = 12;       // u32, RGN_*
  static constexpr std::size_t RegionAt = 16;     // RGNDATA
  static constexpr std::size_t MinSize = 16;
};
// RGNDATA: a header, then RECTLs in reference device units.
struct RegionData {
  static constexpr std::size_t HeaderSizeAt = 0;  // u32
  // 4: u32 type (RDH_RECTANGLES).
  static constexpr std::size_t CountAt = 8;  // u32, rectangles
  // 12: u32 size of the rectangles, 16: RECTL bounds.
  static constexpr std::size_t HeaderSize = 32;
};

// BitBlt, StretchBlt. Without a bitmap (no info block) the raster operation
// is drawn alone.
struct BitBlt {
  static constexpr std::size_t BoundsAt = 8;
  static constexpr std::size_t DestXAt = 24;  // i32
  static constexpr std::size_t DestYAt = 28;
  static constexpr std::size_t DestWidthAt = 32;
  static constexpr std::size_t DestHeightAt = 36;
  static constexpr std::size_t RopAt = 40;   // u32, raster operation
  static constexpr std::size_t SrcXAt = 44;  // i32
  static constexpr std::size_t SrcYAt = 48;
  static constexpr std::size_t SrcTransformAt = 52;  // XFORM
  // 76: COLORREF background colour, unused.
  static constexpr std::size_t UsageAt = 80;       // u32
  static constexpr std::size_t InfoOffsetAt = 84;  // u32
  static constexpr std::size_t InfoSizeAt = 88;
  static constexpr std::size_t BitsOffsetAt = 92;  // u32
  static constexpr std::size_t BitsSizeAt = 96;
  static constexpr std::size_t Size = 100;
};
struct StretchBlt : BitBlt {
  static constexpr std::size_t SrcWidthAt = 100;  // i32
  static constexpr std::size_t SrcHeightAt = 104;
  static constexpr std::size_t Size = 108;
};
// StretchDIBits and SetDIBitsToDevice share their first fields.
struct StretchDiBits {
  static constexpr std::size_t BoundsAt = 8;
  static constexpr std::size_t DestXAt = 24;  // i32
  static constexpr std::size_t DestYAt = 28;
  static constexpr std::size_t SrcXAt = 32;  // i32
  static constexpr std::size_t SrcYAt = 36;
  static constexpr std::size_t SrcWidthAt = 40;
  static constexpr std::size_t SrcHeightAt = 44;
  static constexpr std::size_t InfoOffsetAt = 48;  // u32
  static constexpr std::size_t InfoSizeAt = 52;
  static constexpr std::size_t BitsOffsetAt = 56;  // u32
  static constexpr std::size_t BitsSizeAt = 60;
  static constexpr std::size_t UsageAt = 64;      // u32
  static constexpr std::size_t RopAt = 68;        // u32
  static constexpr std::size_t DestWidthAt = 72;  // i32
  static constexpr std::size_t DestHeightAt = 76;
  static constexpr std::size_t Size = 80;
};
struct SetDiBitsToDevice {
  static constexpr std::size_t DestXAt = 24;  // i32
  static constexpr std::size_t DestYAt = 28;
  static constexpr std::size_t SrcXAt = 32;  // i32
  static constexpr std::size_t SrcYAt = 36;
  static constexpr std::size_t WidthAt = 40;
  static constexpr std::size_t HeightAt = 44;
  static constexpr std::size_t InfoOffsetAt = 48;  // u32
  static constexpr std::size_t InfoSizeAt = 52;
  static constexpr std::size_t BitsOffsetAt = 56;  // u32
  static constexpr std::size_t BitsSizeAt = 60;
  static constexpr std::size_t UsageAt = 64;      // u32
  static constexpr std::size_t StartScanAt = 68;  // u32
  // 72: u32 number of scans.
  static constexpr std::size_t Size = 76;
};

// A handle with this bit set names a stock object.
constexpr std::uint32_t StockObjectFlag = 0x80000000u;

}  // namespace emf
