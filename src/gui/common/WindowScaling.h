// Window layouts are drawn in pixels at a design density. On a screen of
// another density a window's fonts are scaled by the ratio of the densities,
// and its positions and sizes by the ratio of the scaled text height to the
// design text height, so the controls keep fitting their texts.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <initializer_list>

#include "core/platform/IntegerMath.h"

class QWidget;

// The main window and the description editor are designed at 96 pixels per
// inch with text 13 pixels high, the About box at 120 with text 16 high.
inline constexpr int MainDesignPixelsPerInch = 96;
inline constexpr int MainDesignTextHeight = 13;
inline constexpr int AboutDesignPixelsPerInch = 120;
inline constexpr int AboutDesignTextHeight = 16;

class WindowScaling {
 public:
  WindowScaling(int designPixelsPerInch, int designTextHeight, int screenPixelsPerInch);

  // A font height designed in pixels, on this screen.
  int FontPixels(int designPixels) const;
  // A position or a length designed in pixels, on this screen.
  int Length(int designLength) const;
  QRect Rect(const QRect& design) const;
  QSize Size(const QSize& design) const;

  int ScaledTextHeight() const { return TextHeight; }

 private:
  int DesignPixelsPerInch;
  int DesignTextHeight;
  int ScreenPixelsPerInch;
  int TextHeight;
};

// Moves and sizes each control from the geometry it was designed with (its
// current geometry), relative to its parent.
void ScaleGeometry(std::initializer_list<QWidget*> controls, const WindowScaling& scaling);

// The font families tried, in order, for a family the program was designed
// with: the family itself, then the installed look-alikes.
QStringList FamiliesFor(const QString& family);

// The named family, or the nearest installed one, at a pixel height.
QFont DesignFont(const QString& family, int pixelSize);

// The two families the windows are drawn with.
QString SansSerifFamily();  // "MS Sans Serif"
QString ComicFamily();      // "Comic Sans MS"
