// Our own player of Windows metafiles: plays the records of an enhanced
// metafile (EMF) or of a Windows metafile (WMF, usually after a 22-byte
// placeable header) with a QPainter into a target rectangle.
//
// It knows the common records of both forms: mapping modes, window and
// viewport, world transforms, saved states, pens, brushes, fonts and text,
// lines, polylines, polygons, Bezier curves, rectangles, ellipses, arcs,
// paths, clipping and device-independent bitmaps. Unknown records are
// skipped. Every record is bounds-checked: damaged or hostile data draws what
// it can and never reads outside the bytes given.
#pragma once

#include <QPainter>
#include <QRectF>

#include <string>

enum class MetafileForm {
  None,       // not a metafile we can play
  Enhanced,   // EMF: record type 1 at offset 0 and the signature " EMF" at 40
  Placeable,  // WMF records after a placeable header (key 0x9AC6CDD7)
  Windows,    // WMF records without a placeable header
};

class MetafilePlayer {
 public:
  // Which of the forms the bytes hold, judged from their first bytes.
  static MetafileForm DetectForm(const std::string& bytes);

  // Plays the metafile into `target` (in the painter's current coordinates):
  // an enhanced metafile's frame, or a Windows metafile's bounding box (its
  // window when it has no placeable header), is mapped onto the rectangle.
  // The painter's state is the same afterwards; the background is left as it
  // is. Returns false, having drawn nothing, for data that is no metafile, a
  // damaged header, an empty frame or an empty target; records that are
  // damaged end the playing with what was drawn so far.
  static bool Play(QPainter& painter, const std::string& bytes, const QRectF& target);

  // Records played at most per metafile; the rest is ignored.
  static constexpr long kMaxRecords = 1000000;
};
