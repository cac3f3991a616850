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

// Plays the metafile into `target` (in the painter's current coordinates):
// an enhanced metafile's frame, or a Windows metafile's bounding box (its
// window when it has no placeable header), is mapped onto the rectangle. The
// form is told by the bytes themselves. The painter's state is the same
// afterwards; the background is left as it is. Returns false, having drawn
// nothing, for data that is no metafile, a damaged header, an empty frame,
// an empty target or an inactive painter; records that are damaged end the
// playing with what was drawn so far.
bool PlayMetafile(QPainter& painter, const std::string& bytes, const QRectF& target);
