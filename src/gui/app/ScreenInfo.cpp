#include "gui/app/ScreenInfo.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

ScreenMetrics ReadScreenMetrics() {
  ScreenMetrics metrics;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const int pixelsPerInch = static_cast<int>(std::lround(screen->logicalDotsPerInchY()));
    if (pixelsPerInch > 0) metrics.PixelsPerInch = pixelsPerInch;
    if (screen->depth() > 0) metrics.BitsPerPixel = screen->depth();
  }
  // Icons are drawn at the classic standard size.
  metrics.IconWidth = 32;
  metrics.IconHeight = 32;
  return metrics;
}
