#include "gui/common/WindowScaling.h"

#include <QWidget>

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
  // Fonts with the metrics of the classic sans serif dialog font first, so
  // the texts fit the controls as designed.
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
