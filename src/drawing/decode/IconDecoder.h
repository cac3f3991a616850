// Icon files (.ico) decoded for drawing: the image of the file that suits the
// screen's icon size best, scaled to that size.
#pragma once

#include <QImage>
#include <QSize>

#include <string>

// Picks the image as the system does for its standard icon size: the one whose
// width and height differ least from `iconSize` (sum of both differences),
// and among those the colour depth closest to the screen's `screenBits`.
// Images that Qt's icon reader cannot read are passed over. The chosen image is
// scaled to iconSize (whole pixels repeated when enlarging, smoothed when
// reducing) and returned as Format_ARGB32_Premultiplied with the icon's
// transparency. Null when the file holds no readable image.
QImage DecodeIcon(const std::string& bytes, QSize iconSize, int screenBits);
