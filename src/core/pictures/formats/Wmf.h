// Windows metafiles (WMF): an optional placeable header, the metafile header,
// then records, each starting with its size in 16-bit words and its function
// number. All fields are little-endian. The records' parameters are mostly
// 16-bit and stored in reverse order (the last argument first); their offsets
// below count from the first parameter, right after the record's own header.
// Read them with ByteReader. Each record's layout is a struct of named
// offsets (never instantiated); records of the same shape share one.
#pragma once

#include <cstddef>
#include <cstdint>

namespace wmf {

// The placeable header in front of a Windows metafile (Aldus).
struct Placeable {
  static constexpr std::size_t KeyAt = 0;  // u32
  static constexpr std::uint32_t Key = 0x9AC6CDD7;
  // 4: u16 handle, unused.
  static constexpr std::size_t LeftAt = 6;  // 4 x i16, bounding box in metafile units
  static constexpr std::size_t TopAt = 8;
  static constexpr std::size_t RightAt = 10;
  static constexpr std::size_t BottomAt = 12;
  static constexpr std::size_t UnitsPerInchAt = 14;  // u16
  // 16: u32 reserved.
  static constexpr std::size_t ChecksumAt = 20;  // u16, XOR of the ten words before it
  static constexpr std::size_t Size = 22;
};

// METAHEADER, the metafile's own header (after the placeable one, if any).
struct MetaHeader {
  static constexpr std::size_t TypeAt = 0;         // u16: MemoryType or DiskType
  static constexpr std::size_t HeaderWordsAt = 2;  // u16: HeaderWords
  static constexpr std::size_t VersionAt = 4;      // u16: Version1 or Version3
  static constexpr std::size_t SizeWordsAt = 6;    // u32: whole metafile in 16-bit words
  static constexpr std::size_t ObjectsAt = 10;     // u16: object slots
  // 12: u32 largest record in words, 16: u16 unused.
  static constexpr std::size_t Size = 18;
  static constexpr std::uint16_t MemoryType = 1;
  static constexpr std::uint16_t DiskType = 2;
  static constexpr std::uint16_t HeaderWords = 9;
  static constexpr std::uint16_t Version1 = 0x0100;
  static constexpr std::uint16_t Version3 = 0x0300;
};

// What every record starts with; the parameters follow.
struct Record {
  static constexpr std::size_t SizeWordsAt = 0;  // u32, the whole record in 16-bit words
  static constexpr std::size_t FunctionAt = 4;   // u16, Function
  static constexpr std::size_t HeaderSize = 6;
};

// Function numbers (META_*).
enum Function : std::uint16_t {
  MetaEof = 0x0000,
  MetaSaveDc = 0x001E,
  MetaCreatePalette = 0x00F7,
  MetaSetBkMode = 0x0102,
  MetaSetMapMode = 0x0103,
  MetaSetPolyFillMode = 0x0106,
  MetaSetStretchBltMode = 0x0107,
  MetaSetTextCharExtra = 0x0108,
  MetaRestoreDc = 0x0127,
  MetaPaintRegion = 0x012B,
  MetaSelectClipRegion = 0x012C,
  MetaSelectObject = 0x012D,
  MetaSetTextAlign = 0x012E,
  MetaDibCreatePatternBrush = 0x0142,
  MetaDeleteObject = 0x01F0,
  MetaCreatePatternBrush = 0x01F9,
  MetaSetBkColor = 0x0201,
  MetaSetTextColor = 0x0209,
  MetaSetWindowOrg = 0x020B,
  MetaSetWindowExt = 0x020C,
  MetaSetViewportOrg = 0x020D,
  MetaSetViewportExt = 0x020E,
  MetaOffsetWindowOrg = 0x020F,
  MetaOffsetViewportOrg = 0x0211,
  MetaLineTo = 0x0213,
  MetaMoveTo = 0x0214,
  MetaOffsetClipRgn = 0x0220,
  MetaFillRegion = 0x0228,
  MetaSelectPalette = 0x0234,
  MetaCreatePenIndirect = 0x02FA,
  MetaCreateFontIndirect = 0x02FB,
  MetaCreateBrushIndirect = 0x02FC,
  MetaCreateBitmapIndirect = 0x02FD,
  MetaPolygon = 0x0324,
  MetaPolyline = 0x0325,
  MetaScaleWindowExt = 0x0410,
  MetaScaleViewportExt = 0x0412,
  MetaExcludeClipRect = 0x0415,
  MetaIntersectClipRect = 0x0416,
  MetaEllipse = 0x0418,
  MetaRectangle = 0x041B,
  MetaSetPixel = 0x041F,
  MetaTextOut = 0x0521,
  MetaPolyPolygon = 0x0538,
  MetaRoundRect = 0x061C,
  MetaPatBlt = 0x061D,
  MetaCreateRegion = 0x06FF,
  MetaCreateBitmap = 0x06FE,
  MetaArc = 0x0817,
  MetaPie = 0x081A,
  MetaChord = 0x0830,
  MetaDibBitBlt = 0x0940,
  MetaExtTextOut = 0x0A32,
  MetaDibStretchBlt = 0x0B41,
  MetaSetDibToDev = 0x0D33,
  MetaStretchDib = 0x0F43,
};

// The structures that parameters hold, reversed: a point is y, x; a
// rectangle bottom, right, top, left (i16 each).
constexpr std::size_t PointSize = 4;
constexpr std::size_t BoxSize = 8;
constexpr std::size_t ColourRefSize = 4;  // COLORREF, u32: red in the low byte

// Records with one 16-bit value: the modes, text alignment and character
// extra, a saved state's number, an object's index. A COLORREF (SetBkColor,
// SetTextColor) takes the same place.
struct Value {
  static constexpr std::size_t ValueAt = 0;
  static constexpr std::size_t Size = 2;
};
// Records with one point or size (y, x): window and viewport origins and
// extents and their offsets, MoveTo, LineTo, OffsetClipRgn.
struct Point {
  static constexpr std::size_t YAt = 0;
  static constexpr std::size_t XAt = 2;
  static constexpr std::size_t Size = 4;
};
// Records with one rectangle: Rectangle, Ellipse, ExcludeClipRect,
// IntersectClipRect.
struct Box {
  static constexpr std::size_t BoxAt = 0;
  static constexpr std::size_t Size = 8;
};

// ScaleWindowExt, ScaleViewportExt.
struct ScaleExt {
  static constexpr std::size_t YDenomAt = 0;  // i16
  static constexpr std::size_t YNumAt = 2;
  static constexpr std::size_t XDenomAt = 4;
  static constexpr std::size_t XNumAt = 6;
  static constexpr std::size_t Size = 8;
};

struct SetPixel {
  static constexpr std::size_t ColourAt = 0;  // COLORREF
  static constexpr std::size_t PointAt = 4;
  static constexpr std::size_t Size = 8;
};
struct RoundRect {
  static constexpr std::size_t CornerHeightAt = 0;  // i16
  static constexpr std::size_t CornerWidthAt = 2;
  static constexpr std::size_t BoxAt = 4;
  static constexpr std::size_t Size = 12;
};
// Arc, Pie, Chord.
struct Arc {
  static constexpr std::size_t EndAt = 0;  // point
  static constexpr std::size_t StartAt = 4;
  static constexpr std::size_t BoxAt = 8;
  static constexpr std::size_t Size = 16;
};
struct FillRegion {
  static constexpr std::size_t RegionAt = 0;  // u16, object index
  static constexpr std::size_t BrushAt = 2;   // u16, object index
  static constexpr std::size_t Size = 4;
};

// Polygon, Polyline: the points are x, y (not reversed).
struct Poly {
  static constexpr std::size_t CountAt = 0;   // u16
  static constexpr std::size_t PointsAt = 2;  // i16 x, y each
};
struct PolyPolygon {
  static constexpr std::size_t PolygonsAt = 0;  // u16
  static constexpr std::size_t CountsAt = 2;    // u16 per polygon, then all points (x, y)
};

struct TextOut {
  static constexpr std::size_t LengthAt = 0;  // i16
  static constexpr std::size_t StringAt = 2;  // padded to 16 bits, then the point (y, x)
};
// ExtTextOut: the rectangle is there only when the options ask for it
// (ETO_OPAQUE, ETO_CLIPPED), and it is not reversed. The string is padded to
// 16 bits; i16 advances follow when the record has room for them.
struct ExtTextOut {
  static constexpr std::size_t YAt = 0;  // i16
  static constexpr std::size_t XAt = 2;
  static constexpr std::size_t LengthAt = 4;   // i16
  static constexpr std::size_t OptionsAt = 6;  // u16, ETO_*
  static constexpr std::size_t RectAt = 8;     // i16 left, top, right, bottom
  static constexpr std::size_t RectLeftAt = 8;
  static constexpr std::size_t RectTopAt = 10;
  static constexpr std::size_t RectRightAt = 12;
  static constexpr std::size_t RectBottomAt = 14;
  static constexpr std::size_t StringAt = 8;            // without the rectangle
  static constexpr std::size_t StringAfterRectAt = 16;  // with it
  static constexpr std::size_t MinSize = 8;
};

struct CreatePenIndirect {
  static constexpr std::size_t StyleAt = 0;   // u16, PS_*
  static constexpr std::size_t WidthAt = 2;   // i16 x; 4: y, unused
  static constexpr std::size_t ColourAt = 6;  // COLORREF
  static constexpr std::size_t Size = 10;
};
struct CreateBrushIndirect {
  static constexpr std::size_t StyleAt = 0;   // u16, BS_*
  static constexpr std::size_t ColourAt = 2;  // COLORREF
  static constexpr std::size_t HatchAt = 6;   // u16, HS_*
  static constexpr std::size_t Size = 8;
};
// CreateFontIndirect: a 16-bit LOGFONT.
struct CreateFontIndirect {
  static constexpr std::size_t HeightAt = 0;      // i16
  static constexpr std::size_t WidthAt = 2;       // i16
  static constexpr std::size_t EscapementAt = 4;  // i16, tenths of a degree
  // 6: i16 orientation.
  static constexpr std::size_t WeightAt = 8;      // i16
  static constexpr std::size_t ItalicAt = 10;     // u8
  static constexpr std::size_t UnderlineAt = 11;  // u8
  static constexpr std::size_t StrikeOutAt = 12;  // u8
  static constexpr std::size_t CharSetAt = 13;    // u8
  // 14..17: u8 precision, clipping precision, quality, pitch and family.
  static constexpr std::size_t FaceAt = 18;  // 8-bit, up to FaceBytes, ended by a zero
  static constexpr std::size_t FaceBytes = 32;
  static constexpr std::size_t MinSize = 18;
};
struct CreatePalette {
  // 0: u16 start (0x0300).
  static constexpr std::size_t CountAt = 2;    // u16
  static constexpr std::size_t EntriesAt = 4;  // u8 red, green, blue, flags each
  static constexpr std::size_t EntrySize = 4;
};
struct CreateRegion {
  // 0: u16 next in chain, 2: u16 object type, 4: u32 object count,
  // 8: u16 region size.
  static constexpr std::size_t ScanCountAt = 10;  // u16
  // 12: u16 largest scan.
  static constexpr std::size_t BoundsAt = 14;  // i16 left, top, right, bottom
  static constexpr std::size_t BoundsLeftAt = 14;
  static constexpr std::size_t BoundsTopAt = 16;
  static constexpr std::size_t BoundsRightAt = 18;
  static constexpr std::size_t BoundsBottomAt = 20;
  static constexpr std::size_t ScansAt = 22;
};
// One scan of a region: the count of 16-bit values, top, bottom, that many
// values (left, right pairs), the count again.
struct RegionScan {
  static constexpr std::size_t CountAt = 0;  // u16
  static constexpr std::size_t TopAt = 2;    // i16
  static constexpr std::size_t BottomAt = 4;
  static constexpr std::size_t ValuesAt = 6;   // i16 each
  static constexpr std::size_t FixedSize = 8;  // without the values
};
struct DibCreatePatternBrush {
  // 0: u16 brush style.
  static constexpr std::size_t UsageAt = 2;   // u16, DIB_RGB_COLORS or DIB_PAL_COLORS
  static constexpr std::size_t BitmapAt = 4;  // packed DIB
};

// The bitmap records. A packed DIB (info block directly followed by the
// pixel data) ends each of them. The forms of DibBitBlt and DibStretchBlt
// without a bitmap have a 16-bit word more after the raster operation, and
// draw the raster operation alone.
struct PatBlt {
  static constexpr std::size_t RopAt = 0;     // u32
  static constexpr std::size_t HeightAt = 4;  // i16
  static constexpr std::size_t WidthAt = 6;
  static constexpr std::size_t YAt = 8;
  static constexpr std::size_t XAt = 10;
  static constexpr std::size_t Size = 12;
};
struct DibBitBlt {
  static constexpr std::size_t RopAt = 0;   // u32
  static constexpr std::size_t SrcYAt = 4;  // i16
  static constexpr std::size_t SrcXAt = 6;
  static constexpr std::size_t HeightAt = 8;
  static constexpr std::size_t WidthAt = 10;
  static constexpr std::size_t DestYAt = 12;
  static constexpr std::size_t DestXAt = 14;
  static constexpr std::size_t BitmapAt = 16;
};
struct DibBitBltWithoutBitmap {
  static constexpr std::size_t RopAt = 0;   // u32; 4: u16 reserved
  static constexpr std::size_t SrcYAt = 6;  // i16
  static constexpr std::size_t SrcXAt = 8;
  static constexpr std::size_t HeightAt = 10;
  static constexpr std::size_t WidthAt = 12;
  static constexpr std::size_t DestYAt = 14;
  static constexpr std::size_t DestXAt = 16;
  static constexpr std::size_t Size = 18;
};
struct DibStretchBlt {
  static constexpr std::size_t RopAt = 0;        // u32
  static constexpr std::size_t SrcHeightAt = 4;  // i16
  static constexpr std::size_t SrcWidthAt = 6;
  static constexpr std::size_t SrcYAt = 8;
  static constexpr std::size_t SrcXAt = 10;
  static constexpr std::size_t DestHeightAt = 12;
  static constexpr std::size_t DestWidthAt = 14;
  static constexpr std::size_t DestYAt = 16;
  static constexpr std::size_t DestXAt = 18;
  static constexpr std::size_t BitmapAt = 20;
};
struct DibStretchBltWithoutBitmap {
  static constexpr std::size_t RopAt = 0;        // u32
  static constexpr std::size_t SrcHeightAt = 4;  // i16
  static constexpr std::size_t SrcWidthAt = 6;
  static constexpr std::size_t SrcYAt = 8;
  static constexpr std::size_t SrcXAt = 10;
  // 12: u16 reserved.
  static constexpr std::size_t DestHeightAt = 14;
  static constexpr std::size_t DestWidthAt = 16;
  static constexpr std::size_t DestYAt = 18;
  static constexpr std::size_t DestXAt = 20;
  static constexpr std::size_t Size = 22;
};
struct StretchDib {
  static constexpr std::size_t RopAt = 0;        // u32
  static constexpr std::size_t UsageAt = 4;      // u16
  static constexpr std::size_t SrcHeightAt = 6;  // i16
  static constexpr std::size_t SrcWidthAt = 8;
  static constexpr std::size_t SrcYAt = 10;
  static constexpr std::size_t SrcXAt = 12;
  static constexpr std::size_t DestHeightAt = 14;
  static constexpr std::size_t DestWidthAt = 16;
  static constexpr std::size_t DestYAt = 18;
  static constexpr std::size_t DestXAt = 20;
  static constexpr std::size_t BitmapAt = 22;
};
struct SetDibToDev {
  static constexpr std::size_t UsageAt = 0;  // u16
  // 2: u16 number of scans.
  static constexpr std::size_t StartScanAt = 4;  // u16
  static constexpr std::size_t SrcYAt = 6;       // i16
  static constexpr std::size_t SrcXAt = 8;
  static constexpr std::size_t HeightAt = 10;
  static constexpr std::size_t WidthAt = 12;
  static constexpr std::size_t DestYAt = 14;
  static constexpr std::size_t DestXAt = 16;
  static constexpr std::size_t BitmapAt = 18;
};

}  // namespace wmf
