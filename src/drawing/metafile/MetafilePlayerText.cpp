// Inside the metafile player: text. The records' 8-bit text, fonts made
// from the selected logical font, and text runs placed as the device places
// them (alignment, advances, escapement, opaque and clipped rectangles).
#include "core/platform/StoredText.h"
#include "drawing/metafile/MetafilePlayerDevice.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace metafile {

namespace {

// Text taller than this (device pixels) is not drawn.
constexpr double MaxTextPixels = 8192;
// The size of the stock fonts on a 96 dpi screen: their cell height in pixels.
constexpr double StockFontPixels = 16;

double AxisLength(const QTransform& t, double x, double y) {
  const QPointF v = t.map(QPointF(x, y)) - t.map(QPointF(0, 0));
  return std::hypot(v.x(), v.y());
}

}  // namespace

QString AnsiText(const unsigned char* data, std::size_t size) {
  QString text;
  text.reserve(qsizetype(size));
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char c = data[i];
    // A NUL inside a record's string is drawn as a blank.
    text.append(c == 0 ? QChar(u' ') : QChar(char16_t(Windows1252CodePoint(c))));
  }
  return text;
}

QFont Device::MakeFont(double pixelHeight, double scaleX) const {
  const GdiFont& gdi = Dc.Font;
  QFont font(gdi.Face.isEmpty() ? QStringLiteral("Arial") : gdi.Face);
  font.setStyleHint(QFont::AnyStyle, QFont::PreferAntialias);
  font.setPixelSize(std::max(1, int(std::lround(pixelHeight))));
  font.setWeight(QFont::Weight(std::clamp(gdi.Weight == 0 ? 400 : gdi.Weight, 100, 900)));
  font.setItalic(gdi.Italic);
  font.setUnderline(gdi.Underline);
  font.setStrikeOut(gdi.StrikeOut);
  if (gdi.Height > 0 && !gdi.Stock) {
    // A positive height is the cell height (ascent plus descent).
    const double cell = QFontMetricsF(font).height();
    if (cell > 0)
      font.setPixelSize(std::max(1, int(std::lround(pixelHeight * pixelHeight / cell))));
  }
  if (gdi.Width != 0) {
    const double average = QFontMetricsF(font).averageCharWidth();
    const double wanted = std::abs(gdi.Width) * scaleX;
    if (average > 0 && std::isfinite(wanted))
      font.setStretch(std::clamp(int(std::lround(wanted * 100 / average)), 1, 4000));
  }
  if (Dc.CharExtra != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, Dc.CharExtra * scaleX);
  return font;
}

void Device::DrawText(const TextRun& run) {
  const QTransform t = LogicalToPainter();
  if (!Drawable(t)) return;

  if (run.Rect && (run.Options & EtoOpaque)) {
    QPainterPath box;
    box.addRect(run.Rect->normalized());
    PrepareTransform(t);
    Painter.fillPath(box, Dc.BackColor);
  }
  if (run.Text.isEmpty() || (run.Options & EtoGlyphIndex)) return;

  const bool updatePosition = (Dc.TextAlignment & TaUpdateCp) != 0;
  const QPointF origin = updatePosition ? Dc.Position : run.Reference;
  const QPointF at = t.map(origin);
  const double scaleX = AxisLength(t, 1, 0);
  const double scaleY = AxisLength(t, 0, 1);

  double pixels;
  if (Dc.Font.Stock || Dc.Font.Height == 0) {
    const double referenceUnits = StockFontPixels / 96 * 25.4 * Reference.UnitsPerMmY;
    pixels = (Dc.Font.Stock ? std::abs(Dc.Font.Height) / StockFontPixels : 1.0) * referenceUnits *
             AxisLength(Reference.ToTarget, 0, 1);
  } else {
    pixels = std::abs(double(Dc.Font.Height)) * scaleY;
  }
  if (!std::isfinite(pixels) || pixels < 1 || pixels > MaxTextPixels) return;
  const QFont font = MakeFont(pixels, scaleX);
  const QFontMetricsF metrics(font, Painter.device());

  // Character positions along the baseline (device pixels), from the
  // advances when the record gives them.
  const bool pairs = (run.Options & EtoPdy) != 0;
  const std::size_t step = pairs ? 2 : 1;
  const bool explicitAdvances = run.Dx.size() >= std::size_t(run.Text.size()) * step;
  std::vector<QPointF> positions;
  double width = 0;
  if (explicitAdvances) {
    QPointF pen(0, 0);
    for (qsizetype i = 0; i < run.Text.size(); ++i) {
      positions.push_back(pen);
      const double dx = run.Dx[std::size_t(i) * step];
      const double dy = pairs ? run.Dx[std::size_t(i) * step + 1] : 0.0;
      pen += QPointF(dx * scaleX, -dy * scaleY);
    }
    width = pen.x();
  } else {
    width = metrics.horizontalAdvance(run.Text);
  }
  if (!std::isfinite(width)) return;

  double x = 0;
  switch (Dc.TextAlignment & TaHorizontalMask) {
    case TaRight:
      x = -width;
      break;
    case TaCenter:
      x = -width / 2;
      break;
    default:
      break;
  }
  double y = metrics.ascent();
  switch (Dc.TextAlignment & TaVerticalMask) {
    case TaBaseline:
      y = 0;
      break;
    case TaBottom:
      y = -metrics.descent();
      break;
    default:
      break;
  }

  // Text stays upright under mirroring mappings; it turns with a rotating
  // world transform and by the font's escapement.
  double rotation = -Dc.Font.Escapement / 10.0;
  if (t.m12() != 0 || t.m21() != 0)
    rotation += std::atan2(t.m12(), t.m11()) * 180 / std::numbers::pi;
  QTransform textTransform;
  textTransform.translate(at.x(), at.y());
  textTransform.rotate(rotation);

  ApplyClip();
  Painter.save();
  if (run.Rect && (run.Options & EtoClipped)) {
    QPainterPath clip;
    clip.addRect(run.Rect->normalized());
    Painter.setTransform(t * Base);
    Painter.setClipPath(clip, Painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  }
  Painter.setTransform(textTransform * Base);
  if (Dc.BackMode == Opaque && !(run.Rect && (run.Options & EtoOpaque)))
    Painter.fillRect(QRectF(x, y - metrics.ascent(), width, metrics.ascent() + metrics.descent()),
                     Dc.BackColor);
  Painter.setFont(font);
  Painter.setPen(Dc.TextColor);
  if (!explicitAdvances) {
    Painter.drawText(QPointF(x, y), run.Text);
  } else {
    for (qsizetype i = 0; i < run.Text.size(); ++i) {
      const QChar c = run.Text.at(i);
      QString glyph(c);
      if (c.isHighSurrogate() && i + 1 < run.Text.size() && run.Text.at(i + 1).isLowSurrogate())
        glyph.append(run.Text.at(i + 1));
      else if (c.isLowSurrogate())
        continue;
      const QPointF p = positions[std::size_t(i)];
      Painter.drawText(QPointF(x + p.x(), y + p.y()), glyph);
    }
  }
  Painter.restore();
  ClipDirty = true;

  if (updatePosition && scaleX > 0) {
    const double advance = width / scaleX * (t.m11() < 0 ? -1 : 1);
    switch (Dc.TextAlignment & TaHorizontalMask) {
      case TaRight:
        Dc.Position.rx() -= advance;
        break;
      case TaCenter:
        break;
      default:
        Dc.Position.rx() += advance;
        break;
    }
  }
}

}  // namespace metafile
