#include "gui/common/WindowScaling.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QWidget>
#include <algorithm>
#include <cmath>

WindowScaling::WindowScaling(int designPixelsPerInch, int designTextHeight, int screenPixelsPerInch)
    : DesignPixelsPerInch(designPixelsPerInch),
      DesignTextHeight(designTextHeight),
      ScreenPixelsPerInch(screenPixelsPerInch > 0 ? screenPixelsPerInch : designPixelsPerInch),
      TextHeight(MulDiv(designTextHeight, ScreenPixelsPerInch, designPixelsPerInch)) {}

int WindowScaling::FontPixels(int designPixels) const {
  return MulDiv(designPixels, ScreenPixelsPerInch, DesignPixelsPerInch);
}

int WindowScaling::Length(int designLength) const {
  return MulDiv(designLength, TextHeight, DesignTextHeight);
}

QRect WindowScaling::Rect(const QRect& design) const {
  return QRect(Length(design.x()), Length(design.y()), Length(design.width()),
               Length(design.height()));
}

QSize WindowScaling::Size(const QSize& design) const {
  return QSize(Length(design.width()), Length(design.height()));
}

void ScaleGeometry(std::initializer_list<QWidget*> controls, const WindowScaling& scaling) {
  for (QWidget* control : controls) control->setGeometry(scaling.Rect(control->geometry()));
}

QSize ControlsExtent(const QWidget& window) {
  const QRect controls = window.childrenRect();
  return QSize(controls.x() + controls.width(), controls.y() + controls.height());
}

QSize EnclosingClientSize(const QSize& designed, const QWidget& window) {
  const QSize extent = ControlsExtent(window);
  const QPoint margin = window.childrenRect().topLeft();
  QSize size = designed;
  if (size.width() < extent.width()) size.setWidth(extent.width() + margin.x());
  if (size.height() < extent.height()) size.setHeight(extent.height() + margin.y());
  return size;
}

void SizeToText(QLabel* label) {
  const QRect old = label->geometry();
  // The width the text advances by, as the label draws it on one line.
  const QMargins margins = label->contentsMargins();
  const int textWidth = label->fontMetrics().horizontalAdvance(label->text()) + margins.left() +
                        margins.right() + 2 * (label->frameWidth() + label->margin()) +
                        std::max(0, label->indent());
  const int width = std::max(label->minimumWidth(), textWidth);
  const Qt::Alignment horizontal = label->alignment() & Qt::AlignHorizontal_Mask;
  int left = old.x();
  if (horizontal & Qt::AlignRight)
    left = old.x() + old.width() - width;
  else if (horizontal & Qt::AlignHCenter)
    left = old.x() + (old.width() - width) / 2;
  label->setGeometry(left, old.y(), width, old.height());
}

QString TextInLines(const QLabel& label, const QString& text, int lines) {
  const QFontMetrics metrics = label.fontMetrics();
  const int width = label.contentsRect().width();
  const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  QStringList shown;
  QString line;
  qsizetype next = 0;
  for (; next < words.size(); ++next) {
    const QString longer = line.isEmpty() ? words[next] : line + QLatin1Char(' ') + words[next];
    if (line.isEmpty() || metrics.horizontalAdvance(longer) <= width) {
      line = longer;
      continue;
    }
    if (shown.size() + 1 >= lines) break;  // the last line takes the rest
    shown << metrics.elidedText(line, Qt::ElideRight, width);
    line = words[next];
  }
  for (; next < words.size(); ++next) line += QLatin1Char(' ') + words[next];
  shown << metrics.elidedText(line, Qt::ElideRight, width);
  return shown.join(QLatin1Char('\n'));
}

namespace {
// The application's style, but the frame of a scroll area is drawn half a
// logical pixel further in when the painter's scale is not a whole number:
// the style's lines then land on pixels the control owns.
class WholePixelFrameStyle : public QProxyStyle {
 public:
  WholePixelFrameStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    const qreal scale = painter->deviceTransform().m11();
    if (element != CE_ShapedFrame || scale == std::floor(scale)) {
      QProxyStyle::drawControl(element, option, painter, widget);
      return;
    }
    painter->save();
    painter->translate(0.5, 0.5);
    QProxyStyle::drawControl(element, option, painter, widget);
    painter->restore();
  }
};
}  // namespace

void KeepFrameOnWholePixels(QWidget* control) {
  // A widget does not own the style it is given: the control owns it here.
  auto* style = new WholePixelFrameStyle;
  style->setParent(control);
  control->setStyle(style);
}

QString SansSerifFamily() {
  return QStringLiteral("MS Sans Serif");
}
QString ComicFamily() {
  return QStringLiteral("Comic Sans MS");
}

QStringList FamiliesFor(const QString& family) {
  QStringList families{family};
  if (family == ComicFamily())
    families << QStringLiteral("Comic Neue") << QStringLiteral("Comic Relief")
             << QStringLiteral("URW Gothic");
  // Fonts with the metrics of the classic sans serif dialog font or of
  // Arial first, so the texts fit the controls as designed.
  families << QStringLiteral("Microsoft Sans Serif") << QStringLiteral("Liberation Sans")
           << QStringLiteral("Arimo") << QStringLiteral("Nimbus Sans")
           << QStringLiteral("Helvetica") << QStringLiteral("Arial")
           << QStringLiteral("DejaVu Sans");
  return families;
}

QFont DesignFont(const QString& family, int pixelSize) {
  QFont font;
  font.setFamilies(FamiliesFor(family));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize > 0 ? pixelSize : 1);
  return font;
}
