#include "drawing/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

namespace {

// A sunrise over mountains and a lake, drawn into the rectangle r.
void DrawLandscape(QPainter& p, const QRectF& r) {
  const qreal w = r.width();
  const qreal h = r.height();
  auto at = [&](qreal x, qreal y) { return QPointF(r.left() + x * w, r.top() + y * h); };
  const qreal horizon = 0.62;

  QLinearGradient sky(at(0, 0), at(0, horizon));
  sky.setColorAt(0.0, QColor(0x1c, 0x3f, 0x8c));
  sky.setColorAt(0.55, QColor(0x6f, 0x8f, 0xd0));
  sky.setColorAt(0.85, QColor(0xf6, 0xb2, 0x6b));
  sky.setColorAt(1.0, QColor(0xfb, 0xd9, 0x8f));
  p.fillRect(QRectF(at(0, 0), at(1, horizon)), sky);

  // The sun with its glow, half behind the mountains.
  const QPointF sun = at(0.62, 0.47);
  QRadialGradient glow(sun, 0.42 * w);
  glow.setColorAt(0.0, QColor(255, 236, 170, 230));
  glow.setColorAt(0.35, QColor(255, 200, 120, 90));
  glow.setColorAt(1.0, QColor(255, 180, 100, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(sun, 0.42 * w, 0.42 * w);
  p.setBrush(QColor(0xff, 0xf1, 0xc4));
  p.drawEllipse(sun, 0.11 * w, 0.11 * w);

  // Two mountain ranges, the far one lighter.
  QPainterPath far;
  far.moveTo(at(0, horizon));
  far.lineTo(at(0, 0.44));
  far.lineTo(at(0.18, 0.33));
  far.lineTo(at(0.33, 0.45));
  far.lineTo(at(0.5, 0.30));
  far.lineTo(at(0.7, 0.47));
  far.lineTo(at(0.86, 0.38));
  far.lineTo(at(1, 0.46));
  far.lineTo(at(1, horizon));
  far.closeSubpath();
  p.setBrush(QColor(0x7a, 0x6a, 0xa8));
  p.drawPath(far);

  QPainterPath nearRange;
  nearRange.moveTo(at(0, horizon));
  nearRange.lineTo(at(0, 0.50));
  nearRange.lineTo(at(0.22, 0.41));
  nearRange.lineTo(at(0.4, 0.55));
  nearRange.lineTo(at(0.58, 0.49));
  nearRange.lineTo(at(0.8, 0.58));
  nearRange.lineTo(at(1, 0.52));
  nearRange.lineTo(at(1, horizon));
  nearRange.closeSubpath();
  p.setBrush(QColor(0x3b, 0x3a, 0x6e));
  p.drawPath(nearRange);
  // Snow on the near peak.
  QPainterPath snow;
  snow.moveTo(at(0.22, 0.41));
  snow.lineTo(at(0.27, 0.445));
  snow.lineTo(at(0.24, 0.44));
  snow.lineTo(at(0.21, 0.455));
  snow.lineTo(at(0.175, 0.43));
  snow.closeSubpath();
  p.setBrush(QColor(0xe8, 0xe6, 0xf4));
  p.drawPath(snow);

  // The lake, mirroring the sky's colours, with light on the water.
  QLinearGradient lake(at(0, horizon), at(0, 1));
  lake.setColorAt(0.0, QColor(0xe9, 0xa8, 0x6e));
  lake.setColorAt(0.25, QColor(0x5d, 0x78, 0xb8));
  lake.setColorAt(1.0, QColor(0x14, 0x2c, 0x66));
  p.fillRect(QRectF(at(0, horizon), at(1, 1)), lake);
  p.setBrush(QColor(255, 236, 190, 170));
  for (int i = 0; i < 5; ++i) {
    const qreal y = horizon + 0.04 + i * 0.055;
    const qreal half = 0.12 - i * 0.018;
    p.drawRoundedRect(QRectF(at(0.62 - half, y), at(0.62 + half, y + 0.012)), 1, 1);
  }
  // A shore in the foreground.
  QPainterPath shore;
  shore.moveTo(at(0, 1));
  shore.lineTo(at(0, 0.86));
  shore.cubicTo(at(0.2, 0.83), at(0.35, 0.9), at(0.5, 1));
  shore.closeSubpath();
  p.setBrush(QColor(0x1f, 0x3b, 0x2a));
  p.drawPath(shore);
}

// A photo print: white border, the landscape inside, a soft shadow below.
void DrawPrint(QPainter& p, const QRectF& r, qreal border) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 60));
  p.drawRoundedRect(r.translated(border * 0.5, border * 0.7), border * 0.6, border * 0.6);
  p.setBrush(QColor(0xfb, 0xf8, 0xf1));
  p.drawRoundedRect(r, border * 0.6, border * 0.6);
  p.save();
  const QRectF inner = r.adjusted(border, border, -border, -border * 2.2);
  p.setClipRect(inner);
  DrawLandscape(p, inner);
  p.restore();
}

}  // namespace

QImage DrawProgramPicture(const QSize& size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(QColor(0xf4, 0xe9, 0xd4));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal border = size.width() * 0.07;
  DrawPrint(
      p,
      QRectF(border * 0.6, border * 0.6, size.width() - border * 1.8, size.height() - border * 1.8),
      border);
  return image;
}

QImage DrawApplicationIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  // Drawn on a 64 x 64 grid.
  p.scale(size / 64.0, size / 64.0);

  // The print behind: an amber-tinted one, turned to the left.
  p.save();
  p.translate(28, 32);
  p.rotate(-14);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 50));
  p.drawRoundedRect(QRectF(-21, -19, 42, 40), 3, 3);
  p.setBrush(QColor(0xf0, 0xa2, 0x2e));
  p.drawRoundedRect(QRectF(-22, -21, 42, 40), 3, 3);
  p.setBrush(QColor(0xfb, 0xd6, 0x8a));
  p.drawRoundedRect(QRectF(-18, -17, 34, 26), 2, 2);
  p.restore();

  // The print in front, turned a little to the right.
  p.save();
  p.translate(36, 34);
  p.rotate(8);
  DrawPrint(p, QRectF(-22, -21, 44, 42), 3.5);
  p.restore();
  return image;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addPixmap(QPixmap::fromImage(DrawApplicationIcon(size)));
  return icon;
}
